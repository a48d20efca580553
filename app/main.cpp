// vantra: prepares and hands in an application for the provincial research programme.
#include "Forms.h"
#include "MainWindow.h"
#include "KeychainSecrets.h"
#include "Simpleform.h"
#include "WidgetSeams.h"

#include <QApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <functional>
#include <QFile>
#include <QTimer>
#include <cstdio>

namespace {

// Peak resident memory so far, from the kernel's own count.
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

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName("vantra");
    QApplication::setApplicationVersion("1.001");

    MessageBoxPrompter prompter;
    DialogFilePicker picker;
    DesktopUrlOpener opener;
    KeychainSecrets keychain;
    installSecrets(&keychain);
    installPrompter(&prompter);
    installFilePicker(&picker);
    installUrlOpener(&opener);

    CreateForms();
    FrmVantraMain->Arguments = QApplication::arguments().mid(1);

    // For the start-up benchmark: the launcher's clock reading in nanoseconds since the epoch.
    const QByteArray benchStart = qgetenv("VANTRA_BENCH_T0");
    if (!benchStart.isEmpty() && qEnvironmentVariableIsSet("VANTRA_BENCH_SHORTFORM")) {
        // For the short-form benchmark: from "申请书简表" to the screen's first paint with the values.
        QObject::connect(FrmVantraMain, &TFrmVantraMain::FirstShowDone, [] {
            QTimer::singleShot(0, FrmVantraMain, [] {
                auto* clock = new QElapsedTimer;
                auto* painted = new PaintProbe(FrmSimpleform, [clock] {
                    std::printf("shortform_ms=%.2f\n", clock->nsecsElapsed() / 1e6);
                    std::fflush(stdout);
                    QTimer::singleShot(0, FrmSimpleform, &QWidget::close);
                });
                clock->start();
                FrmSimpleform->exec();  // what "申请书简表" does before it names the document
                delete painted;
                delete clock;
                FrmVantraMain->CloseWithoutAsking = true;
                FrmVantraMain->close();
            });
        });
    } else if (!benchStart.isEmpty()) {
        QObject::connect(FrmVantraMain, &TFrmVantraMain::FirstShowDone, [&benchStart] {
            const double ms = (QDateTime::currentMSecsSinceEpoch() * 1e6 - benchStart.toDouble()) / 1e6;
            std::printf("startup_ms=%.1f peak_kb=%ld\n", ms, PeakKilobytes());
            std::fflush(stdout);
            FrmVantraMain->CloseWithoutAsking = true;
            QTimer::singleShot(0, FrmVantraMain, &QWidget::close);
        });
    }

    FrmVantraMain->show();
    const int result = QApplication::exec();
    FreeForms();
    installPrompter(nullptr);
    installFilePicker(nullptr);
    installUrlOpener(nullptr);
    installSecrets(nullptr);
    return result;
}
