#include "IntakeScan.h"

#include "SafeWrite.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString LinkText = QStringLiteral("是符号链接，没有读取");
const QString NotRegularText = QStringLiteral("不是普通文件（管道、设备或套接字），没有读取");

QByteArray Joined(const QByteArray& folder, const QByteArray& name)
{
    return folder.endsWith('/') ? folder + name : folder + '/' + name;
}

IntakeFile Described(const QByteArray& path, IntakeFile::Kind kind, const struct stat& st)
{
    IntakeFile file;
    file.path = path;
    file.shownPath = QFile::decodeName(path);
    file.kind = kind;
    file.size = st.st_size;
    file.modifiedNs = qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    file.inode = qint64(st.st_ino);
    file.device = qint64(st.st_dev);
    if (S_ISLNK(st.st_mode))
        file.refusal = LinkText;
    else if (!S_ISREG(st.st_mode))
        file.refusal = NotRegularText;
    return file;
}

// parent is the folder's own descriptor, from its parent's: each level is entered without
// following a link, so that a link put in place of a folder leads nowhere.
void Walk(int parent, const QByteArray& folder, int depth, IntakeScan& scan)
{
    DIR* dir = fdopendir(parent);
    if (!dir) {
        const int error = errno;
        ::close(parent);
        scan.problems << QStringLiteral("无法读取文件夹 %1：%2").arg(QFile::decodeName(folder), FailureCause(error));
        return;
    }
    QList<QByteArray> folders;
    while (const dirent* entry = readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (name == "." || name == "..")
            continue;
        struct stat st {};
        if (fstatat(dirfd(dir), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0)
            continue;  // gone since the folder was listed
        if (S_ISDIR(st.st_mode)) {
            folders << name;
        } else if (const std::optional<IntakeFile::Kind> kind = IntakeKindOf(name)) {
            scan.files << Described(Joined(folder, name), *kind, st);
        } else {
            if (scan.skippedCount++ < MaxSkippedNamed)
                scan.skipped << QFile::decodeName(Joined(folder, name));
        }
    }
    for (const QByteArray& name : std::as_const(folders)) {
        const QByteArray path = Joined(folder, name);
        if (depth + 1 > MaxFolderDepth) {
            scan.problems << QStringLiteral("文件夹层次过深，没有进入：%1").arg(QFile::decodeName(path));
            continue;
        }
        const int fd = ::openat(dirfd(dir), name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0)
            scan.problems << QStringLiteral("无法读取文件夹 %1：%2").arg(QFile::decodeName(path), FailureCause(errno));
        else
            Walk(fd, path, depth + 1, scan);
    }
    closedir(dir);
}

} // namespace

std::optional<IntakeFile::Kind> IntakeKindOf(const QByteArray& name)
{
    const QByteArray lower = name.toLower();
    if (lower.size() <= 4)
        return std::nullopt;
    if (lower.endsWith(".qvs"))
        return IntakeFile::Package;
    if (lower.endsWith(".qvx"))
        return IntakeFile::Document;
    return std::nullopt;
}

IntakeScan ScanFolders(const QStringList& folders)
{
    IntakeScan scan;
    for (const QString& folder : folders) {
        // Named on the command line, a link to a folder is the user's own choice and is taken.
        const QString canonical = QFileInfo(folder).canonicalFilePath();
        const QByteArray path = QFile::encodeName(canonical);
        struct stat st {};
        const std::optional<IntakeFile::Kind> kind = IntakeKindOf(path.mid(path.lastIndexOf('/') + 1));
        if (canonical.isEmpty() || ::stat(path.constData(), &st) != 0) {
            scan.problems << QStringLiteral("找不到文件夹 %1").arg(folder);
        } else if (S_ISDIR(st.st_mode)) {
            const int fd = ::open(path.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
            if (fd < 0)
                scan.problems << QStringLiteral("无法读取文件夹 %1：%2").arg(folder, FailureCause(errno));
            else
                Walk(fd, path, 0, scan);
        } else if (kind) {
            scan.files << Described(path, *kind, st);
        } else {
            scan.problems << QStringLiteral("%1 不是文件夹，也不是上报文件或申请书").arg(folder);
        }
    }
    std::sort(scan.files.begin(), scan.files.end(),
              [](const IntakeFile& a, const IntakeFile& b) { return a.path < b.path; });
    // A file named twice (two folder arguments that overlap) is taken once.
    scan.files.erase(std::unique(scan.files.begin(), scan.files.end(),
                                 [](const IntakeFile& a, const IntakeFile& b) { return a.path == b.path; }),
                     scan.files.end());
    return scan;
}
