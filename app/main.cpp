// vantra: prepares and hands in an application for the provincial research programme.
#include "BenchmarkProbes.h"
#include "Edition.h"
#include "Failure.h"
#include "FormHelpers.h"
#include "Forms.h"
#include "KeychainSecrets.h"
#include "MainWindow.h"
#include "Translation.h"
#include "WidgetSeams.h"

#include <QApplication>
#include <QTimer>

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

    // The benchmarks' clocks (bench/startup.sh, bench/shortform.sh), when they ask.
    StartBenchmarkProbes();
    const int result = QApplication::exec();
    FreeForms();
    installPrompter(nullptr);
    installFilePicker(nullptr);
    installUrlOpener(nullptr);
    installSecrets(nullptr);
    return result;
}
