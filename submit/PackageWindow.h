#pragma once
// Tfrmzipx: the package window. It is never shown; its controls carry the state of the three
// package operations while the progress window is on the screen.
#include "OnFirstUse.h"
#include "Package.h"

#include <QWidget>

class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;

class Tfrmzipx : public QWidget {
    Q_OBJECT
public:
    explicit Tfrmzipx(QWidget* parent = nullptr);

    PackResult CompressPackage(const QString& document, const QString& package, int deflateType);
    PackageCheck CheckPackage(const QString& package);
    PackResult ExtractPackage(const QString& package, const QString& target);

    PackageState State;
    QListWidget* ListBox1;
    QPushButton* Button2;
    QLabel* StatusPanel[3];
    QProgressBar* Gauge1;  // entry percentage
    QProgressBar* Gauge2;  // archive percentage

private:
    void ShowState();
};

extern OnFirstUse<Tfrmzipx> frmzipx;
