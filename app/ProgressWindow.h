#pragma once
// Tfrmmsgbox: the small stay-on-top window that shows progress of long steps.
#include "Seams.h"

#include <QWidget>

class QLabel;
class QProgressBar;
class QTimer;

class Tfrmmsgbox : public QWidget, public ProgressSink {
    Q_OBJECT
public:
    explicit Tfrmmsgbox(QWidget* parent = nullptr);

    static QString CatalogueText(unsigned kind);  // empty for 0 and above 19

    void FrmShow(unsigned kind, int steps) override;
    void run(const QString& text) override;
    void zipxMsg(const QString& text) override;
    void setGauge(int percent) override;
    void Close() override;
    void SetupStepBar(int steps);

    QString LastText;
    QLabel* lblmsg;
    QProgressBar* Gauge1;
    QProgressBar* pgbx;
    QTimer* Timer1;

    void Timer1Timer();
    void lblmsgClick();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Place();
};
