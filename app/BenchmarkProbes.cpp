#include "BenchmarkProbes.h"

#include "Forms.h"
#include "MainWindow.h"
#include "Simpleform.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QEvent>
#include <QFile>
#include <QTimer>
#include <cstdio>
#include <functional>

namespace {

// Calls back once, at the first paint of a window's contents.
class PaintProbe : public QObject {
public:
    PaintProbe(QWidget* window, std::function<void()> then) : m_then(std::move(then))
    {
        for (QWidget* widget : window->findChildren<QWidget*>())
            widget->installEventFilter(this);
    }
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && m_then) {
            auto then = std::move(m_then);
            m_then = nullptr;
            QTimer::singleShot(0, then);
        }
        return false;
    }

private:
    std::function<void()> m_then;
};

constexpr int BenchClickAfterMs = 1000;

// Peak resident memory so far, from the kernel's own count.
long PeakKilobytes()
{
    QFile status("/proc/self/status");
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    return -1;
}

} // namespace

void StartBenchmarkProbes()
{
    static const QByteArray benchStart = qgetenv("VANTRA_BENCH_T0");
    if (!benchStart.isEmpty() && qEnvironmentVariableIsSet("VANTRA_BENCH_SHORTFORM")) {
        // From "申请书简表" to the screen's first paint with the values: clicked as a person
        // would, a second after the window appeared, or with "cold" at once.
        const bool cold = qgetenv("VANTRA_BENCH_SHORTFORM") == "cold";
        QTimer::singleShot(cold ? 0 : BenchClickAfterMs, FrmVantraMain, [] {
            auto* clock = new QElapsedTimer;
            clock->start();
            auto* painted = new PaintProbe(FrmSimpleform, [clock] {
                std::printf("shortform_ms=%.2f\n", clock->nsecsElapsed() / 1e6);
                std::fflush(stdout);
                QTimer::singleShot(0, FrmSimpleform, &QWidget::close);
            });
            FrmSimpleform->exec();  // what "申请书简表" does before it names the document
            delete painted;
            delete clock;
            FrmVantraMain->CloseWithoutAsking = true;
            FrmVantraMain->close();
        });
    } else if (!benchStart.isEmpty()) {
        QTimer::singleShot(0, FrmVantraMain, [] {
            const double ms = (QDateTime::currentMSecsSinceEpoch() * 1e6 - benchStart.toDouble()) / 1e6;
            std::printf("startup_ms=%.1f peak_kb=%ld\n", ms, PeakKilobytes());
            std::fflush(stdout);
            FrmVantraMain->CloseWithoutAsking = true;
            FrmVantraMain->close();
        });
    }
}
