#pragma once
// Baseline JPEG decoding through libjpeg, into packed 8-bit RGB rows.
#include <QByteArray>
#include <optional>

struct RgbImage {
    int width = 0;
    int height = 0;
    QByteArray rgb;  // width * 3 bytes per row, rows top to bottom
};

std::optional<RgbImage> DecodeJpeg(const QByteArray& data);
