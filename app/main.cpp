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
#include <cstdio>
#include <cstring>

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

// Answered on the terminal, before any window or display is needed.
constexpr char HelpText[] =
    "usage: vantra [DOCUMENT.qvx | PACKAGE.qvs]\n"
    "       vantra --help | --version\n"
    "\n"
    "Prepares an application for the provincial natural-science research programme and hands it in.\n"
    "With a document, works on it; with a package, unpacks its document first; without either, offers\n"
    "the documents of the year's folder. See vantra(1) and qvtool(1).\n";

} // namespace

int main(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(HelpText, stdout);
            return 0;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("vantra %s\n", VersionText.toUtf8().constData());
            return 0;
        }
    }
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
