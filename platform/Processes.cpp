#include "Processes.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QElapsedTimer>
#include <QStandardPaths>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
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

// Whether the kernel says that no descriptor anywhere has the file open: a write lease is
// granted only then. Given back at once; a process that opens the file in that instant waits
// for the give-back, and the notice of it goes as SIGURG, which is ignored, so that it can
// never end this program. False where leases are not to be had (another owner, a network
// file system): then nothing is known.
bool OpenNowhere(const QByteArray& file)
{
    const int fd = ::open(file.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
        return false;
    const bool alone = fcntl(fd, F_SETSIG, SIGURG) == 0 && fcntl(fd, F_SETLEASE, F_WRLCK) == 0;
    if (alone)
        fcntl(fd, F_SETLEASE, F_UNLCK);
    ::close(fd);
    return alone;
}

} // namespace

QList<qint64> SystemProcesses::holdersOf(const QString& path)
{
    const QByteArray target = QFile::encodeName(QFileInfo(path).canonicalFilePath());
    QList<qint64> holders;
    if (target.isEmpty() || OpenNowhere(target))
        return holders;
    // Somebody has it open (perhaps this program): every descriptor of every process is looked
    // at, with plain system calls and no path objects, so that a desktop with hundreds of
    // processes is walked in a few milliseconds.
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

RunOutcome SystemProcesses::run(const QString& program, const QStringList& arguments, int timeoutMs,
                                const std::function<bool()>& stop)
{
    constexpr int Slice = 100;  // milliseconds between looks at the clock and at stop
    RunOutcome outcome;
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.setChildProcessModifier([] { ::setsid(); });  // a group of its own
    process.start(program, arguments);
    if (!process.waitForStarted()) {
        outcome.output = process.errorString().toLocal8Bit();
        return outcome;
    }
    outcome.started = true;
    const pid_t group = pid_t(process.processId());
    QElapsedTimer clock;
    clock.start();
    while (!process.waitForFinished(Slice)) {
        outcome.output += process.readAll();
        outcome.timedOut = clock.elapsed() > timeoutMs;
        outcome.stopped = !outcome.timedOut && stop && stop();
        if (outcome.timedOut || outcome.stopped) {
            ::kill(-group, SIGKILL);  // the group this run made: its own processes only
            process.waitForFinished();
            break;
        }
    }
    outcome.output += process.readAll();
    if (!outcome.timedOut && !outcome.stopped)
        outcome.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return outcome;
}
