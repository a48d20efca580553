#include "SafeWrite.h"

#include "SystemCalls.h"

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

Outcome WriteFailed(const QString& path, int error)
{
    return Outcome::failed(Cause::WriteFailed, path, error);
}

// 0, or why the folder could not be flushed.
int SyncFolder(const QString& folder)
{
    const int fd = systemCalls().open(Native(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0);
    if (fd < 0)
        return errno;
    const int synced = systemCalls().fsync(fd) == 0 || errno == EINVAL ? 0 : errno;  // some file systems cannot sync folders
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
        const int fd = systemCalls().open(Native(path).constData(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
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

namespace {

// Moves the finished temporary file to target without replacing what stands there; where the
// file system has no such rename, a hard link does it, and where it has neither, the target is
// looked at just before.
bool RenameNew(const QByteArray& from, const QByteArray& to)
{
    if (systemCalls().renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS)
        return false;
    if (systemCalls().link(from.constData(), to.constData()) == 0) {
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
    return systemCalls().rename(from.constData(), to.constData()) == 0;
}

} // namespace

Outcome WriteAtomically(const QString& target, const std::function<bool(QFileDevice&)>& produce,
                        const WrittenCheck& check, Replace replace)
{
    const QFileInfo info(target);
    const QString folder = info.absolutePath();
    RemoveStaleTemporaries(folder);
    struct stat existing {};
    mode_t mode = 0666;  // less the umask, as for any new file
    if (::lstat(Native(target).constData(), &existing) == 0) {
        if (replace == Replace::Never)
            return WriteFailed(target, EEXIST);
        if (S_ISDIR(existing.st_mode))
            return WriteFailed(target, EISDIR);
        if (S_ISREG(existing.st_mode))
            mode = existing.st_mode & 0777;
    }
    QString temporary;
    const int fd = CreateTemporary(folder, info.fileName(), mode, temporary);
    if (fd < 0)
        return WriteFailed(target, errno);
    auto abandon = [&](int error) {
        ::unlink(Native(temporary).constData());
        ::close(fd);
        return WriteFailed(target, error);
    };
    // The umask must not narrow what the file had: a document others could read stays readable.
    if (S_ISREG(existing.st_mode) && systemCalls().fchmod(fd, mode) != 0)
        return abandon(errno);
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
    if (systemCalls().fsync(fd) != 0)
        return abandon(errno);
    if (check) {
        if (const Outcome wrong = check(temporary); !wrong.ok()) {
            ::unlink(Native(temporary).constData());
            ::close(fd);
            return wrong;
        }
    }
    const bool renamed = replace == Replace::Never
                             ? RenameNew(Native(temporary), Native(target))
                             : systemCalls().rename(Native(temporary).constData(), Native(target).constData()) == 0;
    if (!renamed)
        return abandon(errno);
    ::close(fd);
    // The file is whole and in place: a folder that cannot be flushed is said, not taken for a
    // failed write (the caller must take the new file as written).
    if (const int error = SyncFolder(folder))
        return Outcome::failed(Cause::NotDurable, target, error);
    return {};
}

Outcome WriteBytesAtomically(const QString& target, const QByteArray& bytes)
{
    return WriteAtomically(target, [&bytes](QFileDevice& out) { return out.write(bytes) == bytes.size(); });
}

Outcome DeliverCopy(const QString& source, const QString& target, Replace replace)
{
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        return Outcome::failed(Cause::ReadFailed, source, errno);
    const qint64 size = in.size();
    const Outcome written = WriteAtomically(target, [&in](QFileDevice& out) {
        QByteArray buffer;
        while (!in.atEnd()) {
            buffer = in.read(Chunk);
            if (buffer.isEmpty() && in.error() != QFileDevice::NoError)
                return false;
            if (out.write(buffer) != buffer.size())
                return false;
        }
        return true;
    }, {}, replace);
    if (!written.written())
        return written;

    // Read back what the device holds, not what the cache remembers.
    const int fd = systemCalls().open(Native(target).constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC, 0);
    if (fd < 0)
        return Outcome::failed(Cause::ReadFailed, target, errno);
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
    QFile back;
    bool same = back.open(fd, QIODevice::ReadOnly, QFileDevice::DontCloseHandle) && back.size() == size;
    in.seek(0);
    while (same && !in.atEnd()) {
        const QByteArray expected = in.read(Chunk);
        same = back.read(expected.size()) == expected;
    }
    back.close();
    ::close(fd);
    if (!same)
        return Outcome::failed(Cause::CopyDiffers, target);
    return written;
}

Outcome RenameWithoutReplacing(const QString& from, const QString& to)
{
    if (!RenameNew(Native(from), Native(to)))
        return WriteFailed(to, errno);
    if (const int error = SyncFolder(QFileInfo(to).absolutePath()))
        return Outcome::failed(Cause::NotDurable, to, error);
    return {};
}

Outcome FlushToDevice(const QString& path)
{
    const int fd = systemCalls().open(Native(path).constData(), O_RDONLY | O_CLOEXEC, 0);
    if (fd < 0 || systemCalls().fsync(fd) != 0) {
        const int error = errno;
        if (fd >= 0)
            ::close(fd);
        return WriteFailed(path, error);
    }
    ::close(fd);
    if (const int error = SyncFolder(QFileInfo(path).absolutePath()))
        return Outcome::failed(Cause::NotDurable, path, error);
    return {};
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
