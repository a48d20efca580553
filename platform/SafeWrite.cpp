#include "SafeWrite.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr qint64 Chunk = 1 << 20;

QByteArray Native(const QString& path)
{
    return QFile::encodeName(path);
}

bool Fail(QString* reason, const QString& text)
{
    if (reason)
        *reason = text;
    return false;
}

bool SyncFolder(const QString& folder)
{
    const int fd = ::open(Native(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool synced = ::fsync(fd) == 0 || errno == EINVAL;  // some file systems cannot sync folders
    ::close(fd);
    return synced;
}

// The temporary file beside the target, created new (never an existing file, never a link) and
// locked for as long as it is being written.
int CreateTemporary(const QString& folder, const QString& name, mode_t mode, QString& path)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        path = folder + "/" + TemporaryMark + name + "-"
               + QString::number(QRandomGenerator::global()->generate() % 0x1000000, 16);
        const int fd = ::open(Native(path).constData(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
        if (fd >= 0) {
            ::flock(fd, LOCK_EX);
            return fd;
        }
        if (errno != EEXIST)
            return -1;
    }
    errno = EEXIST;
    return -1;
}

} // namespace

QString FailureCause(int error)
{
    switch (error) {
    case ENOSPC:
    case EDQUOT: return QStringLiteral("磁盘空间不足");
    case EACCES:
    case EPERM: return QStringLiteral("没有写入权限");
    case EROFS: return QStringLiteral("磁盘是只读的");
    case ENOENT:
    case ENOTDIR: return QStringLiteral("文件或文件夹不存在");
    case EIO:
    case ENXIO:
    case ENODEV: return QStringLiteral("设备读写出错（可能已被拔出）");
    case EISDIR: return QStringLiteral("已有同名的文件夹");
    case ELOOP: return QStringLiteral("路径中有符号链接");
    case EBUSY:
    case ETXTBSY: return QStringLiteral("文件正被占用");
    case EFBIG: return QStringLiteral("文件太大");
    case ENAMETOOLONG: return QStringLiteral("文件名太长");
    case EEXIST: return QStringLiteral("已有同名的文件");
    default: return QString::fromLocal8Bit(std::strerror(error));
    }
}

QString WriteFailureText(const QString& path, int error)
{
    return QStringLiteral("无法保存文件 %1：%2").arg(QDir::toNativeSeparators(path), FailureCause(error));
}

namespace {

// Moves the finished temporary file to target without replacing what stands there; where the
// file system has no such rename, a hard link does it, and where it has neither, the target is
// looked at just before.
bool RenameNew(const QByteArray& from, const QByteArray& to)
{
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS)
        return false;
    if (::link(from.constData(), to.constData()) == 0) {
        ::unlink(from.constData());  // the new name holds the data; a leftover here is removed later
        return true;
    }
    if (errno != EPERM && errno != EOPNOTSUPP && errno != ENOSYS)
        return false;
    struct stat st {};
    if (::lstat(to.constData(), &st) == 0) {
        errno = EEXIST;
        return false;
    }
    return ::rename(from.constData(), to.constData()) == 0;
}

} // namespace

bool WriteAtomically(const QString& target, const std::function<bool(QFileDevice&)>& produce, QString* reason,
                     const WrittenCheck& check, Replace replace)
{
    const QFileInfo info(target);
    const QString folder = info.absolutePath();
    RemoveStaleTemporaries(folder);
    struct stat existing {};
    mode_t mode = 0666;  // less the umask, as for any new file
    if (::lstat(Native(target).constData(), &existing) == 0) {
        if (replace == Replace::Never)
            return Fail(reason, WriteFailureText(target, EEXIST));
        if (S_ISDIR(existing.st_mode))
            return Fail(reason, WriteFailureText(target, EISDIR));
        if (S_ISREG(existing.st_mode))
            mode = existing.st_mode & 0777;
    }
    QString temporary;
    const int fd = CreateTemporary(folder, info.fileName(), mode, temporary);
    if (fd < 0)
        return Fail(reason, WriteFailureText(target, errno));
    if (S_ISREG(existing.st_mode))
        ::fchmod(fd, mode);  // the umask must not narrow what the file had

    auto abandon = [&](int error) {
        ::unlink(Native(temporary).constData());
        ::close(fd);
        return Fail(reason, WriteFailureText(target, error));
    };
    {
        QFile device;
        if (!device.open(fd, QIODevice::ReadWrite, QFileDevice::DontCloseHandle))
            return abandon(EIO);
        errno = 0;
        const bool produced = produce(device);
        int writeError = errno;
        // What the device still buffers fails only now: its cause is taken here too.
        errno = 0;
        const bool flushed = produced && device.flush();
        if (writeError == 0)
            writeError = errno;
        if (!produced || !flushed || device.error() != QFileDevice::NoError)
            return abandon(writeError != 0 ? writeError : (device.error() == QFileDevice::ResourceError ? ENOSPC : EIO));
    }
    if (::fsync(fd) != 0)
        return abandon(errno);
    QString wrong;
    if (check && !check(temporary, &wrong)) {
        ::unlink(Native(temporary).constData());
        ::close(fd);
        return Fail(reason, wrong);
    }
    const bool renamed = replace == Replace::Never ? RenameNew(Native(temporary), Native(target))
                                                   : ::rename(Native(temporary).constData(), Native(target).constData()) == 0;
    if (!renamed)
        return abandon(errno);
    ::close(fd);
    if (!SyncFolder(folder))
        return Fail(reason, WriteFailureText(target, errno));
    return true;
}

bool WriteBytesAtomically(const QString& target, const QByteArray& bytes, QString* reason)
{
    return WriteAtomically(target, [&bytes](QFileDevice& out) { return out.write(bytes) == bytes.size(); }, reason);
}

bool DeliverCopy(const QString& source, const QString& target, QString* reason, Replace replace)
{
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        return Fail(reason, QStringLiteral("无法读取文件 %1：%2").arg(QDir::toNativeSeparators(source), FailureCause(errno)));
    const qint64 size = in.size();
    const bool written = WriteAtomically(target, [&in](QFileDevice& out) {
        QByteArray buffer;
        while (!in.atEnd()) {
            buffer = in.read(Chunk);
            if (buffer.isEmpty() && in.error() != QFileDevice::NoError)
                return false;
            if (out.write(buffer) != buffer.size())
                return false;
        }
        return true;
    }, reason, {}, replace);
    if (!written)
        return false;

    // Read back what the device holds, not what the cache remembers.
    const int fd = ::open(Native(target).constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return Fail(reason, WriteFailureText(target, errno));
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
    QFile back;
    back.open(fd, QIODevice::ReadOnly, QFileDevice::DontCloseHandle);
    in.seek(0);
    bool same = back.size() == size;
    while (same && !in.atEnd()) {
        const QByteArray expected = in.read(Chunk);
        same = back.read(expected.size()) == expected;
    }
    back.close();
    ::close(fd);
    if (!same)
        return Fail(reason, QStringLiteral("复制到 %1 的文件与原文件不一致，设备可能有故障或已被拔出")
                                .arg(QDir::toNativeSeparators(target)));
    return true;
}

bool FlushToDevice(const QString& path, QString* reason)
{
    const int fd = ::open(Native(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0 || ::fsync(fd) != 0) {
        const int error = errno;
        if (fd >= 0)
            ::close(fd);
        return Fail(reason, WriteFailureText(path, error));
    }
    ::close(fd);
    if (!SyncFolder(QFileInfo(path).absolutePath()))
        return Fail(reason, WriteFailureText(path, errno));
    return true;
}

void RemoveStaleTemporaries(const QString& folder)
{
    DIR* dir = ::opendir(Native(folder).constData());
    if (!dir)
        return;
    const QByteArray mark = Native(TemporaryMark);
    std::vector<QByteArray> stale;
    while (const dirent* entry = ::readdir(dir))
        if (std::strncmp(entry->d_name, mark.constData(), size_t(mark.size())) == 0)
            stale.push_back(Native(folder) + "/" + entry->d_name);
    ::closedir(dir);
    for (const QByteArray& path : stale) {
        const int fd = ::open(path.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0)
            continue;
        struct stat st {};
        // A writer that still runs holds the lock; one that was killed holds nothing.
        if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && ::flock(fd, LOCK_EX | LOCK_NB) == 0)
            ::unlink(path.constData());
        ::close(fd);
    }
}
