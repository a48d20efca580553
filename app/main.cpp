// vantra: prepares and hands in an application for the provincial research programme.
#include "Forms.h"
#include "MainWindow.h"
#include "WidgetSeams.h"

#include <QApplication>
#include <QDateTime>
#include <QFile>
#include <QTimer>
#include <cstdio>

namespace {

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
    QApplication app(argc, argv);
    QApplication::setApplicationName("vantra");
    QApplication::setApplicationVersion("1.001");

    MessageBoxPrompter prompter;
    DialogFilePicker picker;
    DesktopUrlOpener opener;
    installPrompter(&prompter);
    installFilePicker(&picker);
    installUrlOpener(&opener);

    CreateForms();
    FrmVantraMain->Arguments = QApplication::arguments().mid(1);

    // For the start-up benchmark: the launcher's clock reading in nanoseconds since the epoch.
    const QByteArray benchStart = qgetenv("VANTRA_BENCH_T0");
    if (!benchStart.isEmpty()) {
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
    return result;
}
