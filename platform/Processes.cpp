#include "Processes.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <vector>
#include <sys/types.h>
#include <unistd.h>

namespace {

QList<qint64> OtherProcesses()
{
    QList<qint64> pids;
    const qint64 self = getpid();
    DIR* proc = opendir("/proc");
    if (!proc)
        return pids;
    while (const dirent* entry = readdir(proc)) {
        char* end = nullptr;
        const long long pid = std::strtoll(entry->d_name, &end, 10);
        if (end != entry->d_name && *end == '\0' && pid != self)
            pids << pid;
    }
    closedir(proc);
    return pids;
}

} // namespace

QList<qint64> SystemProcesses::holdersOf(const QString& path)
{
    // Every descriptor of every process is looked at: plain system calls, no path objects,
    // so that a desktop with hundreds of processes is walked in a few milliseconds.
    const QByteArray target = QFile::encodeName(QFileInfo(path).canonicalFilePath());
    QList<qint64> holders;
    if (target.isEmpty())
        return holders;
    std::vector<char> link(size_t(target.size()) + 2);
    for (const qint64 pid : OtherProcesses()) {
        const QByteArray folder = "/proc/" + QByteArray::number(pid) + "/fd/";
        DIR* fds = opendir(folder.constData());
        if (!fds)
            continue;
        while (const dirent* entry = readdir(fds)) {
            if (entry->d_name[0] == '.')
                continue;
            const QByteArray fd = folder + entry->d_name;
            const ssize_t n = readlink(fd.constData(), link.data(), link.size());
            if (n == target.size() && std::memcmp(link.data(), target.constData(), size_t(n)) == 0) {
                holders << pid;
                break;
            }
        }
        closedir(fds);
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
