#pragma once
// Tfrmmsgbox: the small stay-on-top window that shows progress of long steps.
#include "Seams.h"

#include <QWidget>

class QLabel;
class QProgressBar;
class QPushButton;
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
    void allowCancel(bool on) override;
    bool cancelRequested() override;
    void SetupStepBar(int steps);

    QString LastText;
    QLabel* lblmsg;
    QProgressBar* Gauge1;
    QProgressBar* pgbx;
    QTimer* Timer1;
    QPushButton* BtnCancel;  // 取消, for work that can be given up

    void Timer1Timer();
    void lblmsgClick();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Place();
    bool m_cancelled = false;
};
