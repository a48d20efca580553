// vantra: prepares and hands in an application for the provincial research programme.
#include "Forms.h"
#include "FormHelpers.h"
#include "MainWindow.h"
#include "Edition.h"
#include "Failure.h"
#include "KeychainSecrets.h"
#include "Simpleform.h"
#include "Translation.h"
#include "WidgetSeams.h"

#include <QApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <functional>
#include <QFile>
#include <QTimer>
#include <cstdio>

namespace {

// A failure that escapes an event handler ends that action with its own text in an error box;
// the window stays open.
class VantraApplication : public QApplication {
public:
    using QApplication::QApplication;
    bool notify(QObject* receiver, QEvent* event) override
    {
        try {
            return QApplication::notify(receiver, event);
        } catch (const Failure& failure) {
            ShowError(failure.text());
        } catch (const std::bad_alloc&) {
            ShowError(QStringLiteral("内存不足，操作没有完成。"));
        } catch (const std::exception& error) {
            ShowError(QString::fromLocal8Bit(error.what()));
        }
        return false;
    }
};

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

int main(int argc, char** argv)
{
    VantraApplication app(argc, argv);
    QApplication::setApplicationName("vantra");
    InstallQtChinese();
    // One face and size everywhere, notices and file dialogs included, with the CJK fallbacks.
    QApplication::setFont(WindowFont());
    QApplication::setApplicationVersion(VersionText);

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

    // The document is decided before the window appears, so that it appears once, with its
    // size, place and title; a start that ends (the chooser's exit) shows no window at all.
    FrmVantraMain->FormShow();
    if (FrmVantraMain->QuitRequested) {
        FreeForms();
        return 0;
    }
    FrmVantraMain->show();

    QTimer::singleShot(PrepareAfterStartMs, FrmVantraMain, PrepareLikelyWindows);

    // For the benchmarks: the launcher's clock reading in nanoseconds since the epoch.
    const QByteArray benchStart = qgetenv("VANTRA_BENCH_T0");
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
        QTimer::singleShot(0, FrmVantraMain, [&benchStart] {
            const double ms = (QDateTime::currentMSecsSinceEpoch() * 1e6 - benchStart.toDouble()) / 1e6;
            std::printf("startup_ms=%.1f peak_kb=%ld\n", ms, PeakKilobytes());
            std::fflush(stdout);
            FrmVantraMain->CloseWithoutAsking = true;
            FrmVantraMain->close();
        });
    }
    const int result = QApplication::exec();
    FreeForms();
    installPrompter(nullptr);
    installFilePicker(nullptr);
    installUrlOpener(nullptr);
    installSecrets(nullptr);
    return result;
}
