#include "Processes.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
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

QString SystemProcesses::findExecutable(const QString& name)
{
    return QStandardPaths::findExecutable(name);
}

bool SystemProcesses::startDetached(const QString& program, const QStringList& arguments, const QString& folder)
{
    return QProcess::startDetached(program, arguments, folder);
}
