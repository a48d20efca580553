#pragma once
// Tfrmmsgbox: the small stay-on-top window that shows progress of long steps. Work that ends
// within ShowDelay shows no window at all: it appears only once the work has taken longer.
#include "Seams.h"

#include <QElapsedTimer>
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
    QTimer* ShowTimer;       // shows the window once ShowDelay has passed with the event loop running
    int ShowDelay = DefaultShowDelay;  // milliseconds; tests set 0 to see the window at once
    static constexpr int DefaultShowDelay = 300;

    void Timer1Timer();
    void lblmsgClick();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Place();
    void Request();      // the work has begun: show the window now or when it is due
    void ShowWhenDue();  // called from the work's own callbacks, for work that blocks the loop
    void Appear();
    bool m_cancelled = false;
    bool m_pending = false;  // asked for and not yet shown
    QElapsedTimer m_since;
};
