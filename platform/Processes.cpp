#include "Processes.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <csignal>
#include <sys/types.h>
#include <unistd.h>

namespace {

QList<qint64> OtherProcesses()
{
    QList<qint64> pids;
    const qint64 self = getpid();
    for (const QString& entry : QDir("/proc").entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        bool number = false;
        const qint64 pid = entry.toLongLong(&number);
        if (number && pid != self)
            pids << pid;
    }
    return pids;
}

} // namespace

QList<qint64> SystemProcesses::holdersOf(const QString& path)
{
    const QString target = QFileInfo(path).canonicalFilePath();
    QList<qint64> holders;
    if (target.isEmpty())
        return holders;
    for (const qint64 pid : OtherProcesses()) {
        const QDir fds(QStringLiteral("/proc/%1/fd").arg(pid));
        for (const QFileInfo& fd : fds.entryInfoList(QDir::Files | QDir::System | QDir::NoDotAndDotDot)) {
            if (fd.symLinkTarget() == target) {
                holders << pid;
                break;
            }
        }
    }
    return holders;
}

QList<qint64> SystemProcesses::processesNamed(const QString& executable)
{
    QList<qint64> found;
    for (const qint64 pid : OtherProcesses()) {
        const QString base = QStringLiteral("/proc/%1/").arg(pid);
        QFile comm(base + "comm");
        QString name = comm.open(QIODevice::ReadOnly) ? QString::fromUtf8(comm.readAll()).trimmed() : QString();
        const QString exe = QFileInfo(QFile::symLinkTarget(base + "exe")).fileName();
        QFile cmdline(base + "cmdline");
        const QString first = cmdline.open(QIODevice::ReadOnly)
                                  ? QFileInfo(QString::fromUtf8(cmdline.readAll().split('\0').value(0))).fileName()
                                  : QString();
        // comm is cut to 15 characters; the executable and argv[0] carry the whole name.
        for (const QString& candidate : {name, exe, first})
            if (!candidate.isEmpty() && candidate.compare(executable, Qt::CaseInsensitive) == 0) {
                found << pid;
                break;
            }
    }
    return found;
}

void SystemProcesses::terminate(qint64 pid)
{
    ::kill(pid_t(pid), SIGTERM);
}

void SystemProcesses::kill(qint64 pid)
{
    ::kill(pid_t(pid), SIGKILL);
}

QString SystemProcesses::findExecutable(const QString& name)
{
    return QStandardPaths::findExecutable(name);
}

bool SystemProcesses::startDetached(const QString& program, const QStringList& arguments, const QString& folder)
{
    return QProcess::startDetached(program, arguments, folder);
}
