#pragma once
// The main window's background picture, decoded from the embedded JPEG.
#include <QImage>

class QLabel;

// Null image on any error.
QImage DecodeBackground(const QByteArray& jpeg);
// Shows the embedded background in the picture control; false on any error, nothing reported.
bool LoadBackground(QLabel* picture);
