#include "OfficeRun.h"

#include "Seams.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>

namespace {

QString Office()
{
    for (const char* name : {"soffice", "libreoffice"})
        if (const QString found = processes().findExecutable(name); !found.isEmpty())
            return found;
    return {};
}

QString Tail(const QByteArray& output)
{
    return QString::fromLocal8Bit(output).trimmed().right(300);
}

} // namespace

OfficeOutcome ConvertWithOffice(const QString& document, const QString& copyName, const QString& filter,
                                const QString& extension, int seconds, const std::function<bool()>& stop)
{
    OfficeOutcome outcome;
    const QString office = Office();
    if (office.isEmpty()) {
        outcome.status = OfficeOutcome::NoOffice;
        return outcome;
    }
    outcome.folder = std::make_shared<QTemporaryDir>(QDir::tempPath() + "/vantra-office-XXXXXX");
    const QString work = outcome.folder->path();
    const QString copy = work + "/" + copyName;
    if (!outcome.folder->isValid() || !QFile::copy(document, copy)) {
        outcome.status = OfficeOutcome::Unreadable;
        outcome.detail = QDir::toNativeSeparators(document);
        return outcome;
    }
    const QString outFolder = work + "/out";
    const RunOutcome run = processes().run(
        office,
        {"-env:UserInstallation=" + QUrl::fromLocalFile(work + "/profile").toString(), "--headless", "--norestore",
         "--nologo", "--nodefault", "--convert-to", filter, "--outdir", outFolder, copy},
        seconds * 1000, stop);
    outcome.detail = Tail(run.output);
    const QString made = outFolder + "/" + QFileInfo(copyName).completeBaseName() + "." + extension;
    if (!run.started)
        outcome.status = OfficeOutcome::NotStarted;
    else if (run.stopped)
        outcome.status = OfficeOutcome::Stopped;
    else if (run.timedOut)
        outcome.status = OfficeOutcome::TimedOut;
    else if (run.exitCode != 0 || !QFileInfo(made).isFile())
        outcome.status = OfficeOutcome::Failed;
    else {
        outcome.status = OfficeOutcome::Done;
        outcome.output = made;
    }
    return outcome;
}
