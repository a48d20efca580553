#include "IntakePasswords.h"

#include "SafeWrite.h"
#include "Seams.h"

#include <QFile>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace {

PasswordFound FromFile(const QString& file)
{
    const int fd = ::open(QFile::encodeName(file).constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return {std::nullopt, QStringLiteral("无法读取密码文件 %1：%2").arg(file, FailureCause(errno))};
    struct stat st {};
    QFile in;
    const bool regular = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    if (!regular || (st.st_mode & 077) != 0) {
        ::close(fd);
        return {std::nullopt, regular ? QStringLiteral("密码文件 %1 别人也能读取，没有使用：请先 chmod 600 %1").arg(file)
                                      : QStringLiteral("密码文件 %1 不是普通文件").arg(file)};
    }
    in.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle);
    QByteArray line = in.readLine(4096);
    while (line.endsWith('\n') || line.endsWith('\r'))
        line.chop(1);
    return {QString::fromUtf8(line), {}};
}

// Typed at the terminal, not echoed; nothing when no terminal is there.
std::optional<QString> Typed(const QString& what)
{
    if (!isatty(STDIN_FILENO))
        return std::nullopt;
    std::fprintf(stderr, "%s", QStringLiteral("%1的密码：").arg(what).toUtf8().constData());
    std::fflush(stderr);
    termios old {};
    const bool quiet = tcgetattr(STDIN_FILENO, &old) == 0;
    if (quiet) {
        termios silent = old;
        silent.c_lflag &= tcflag_t(~ECHO);
        tcsetattr(STDIN_FILENO, TCSAFLUSH, &silent);
    }
    char buffer[1024] = {};
    const bool got = std::fgets(buffer, sizeof buffer, stdin) != nullptr;
    if (quiet)
        tcsetattr(STDIN_FILENO, TCSAFLUSH, &old);
    std::fputc('\n', stderr);
    if (!got)
        return std::nullopt;
    QByteArray line(buffer);
    while (line.endsWith('\n') || line.endsWith('\r'))
        line.chop(1);
    return QString::fromUtf8(line);
}

} // namespace

PasswordFound FindPassword(const QString& file, const QString& key, const QString& what)
{
    if (!file.isEmpty())
        return FromFile(file);
    QString stored;
    if (secrets().read(key, stored))
        return {stored, {}};
    if (const std::optional<QString> typed = Typed(what))
        return {typed, {}};
    return {std::nullopt, QStringLiteral("没有%1的密码：请用密码文件（权限 0600）给出，或在终端上运行以输入密码。").arg(what)};
}
