#include "Drives.h"

#include "Seams.h"

#include "Files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStringList>

namespace {

// mountinfo escapes blanks, tabs, newlines and backslashes as octal.
QString Unescape(const QString& field)
{
    QString out;
    for (qsizetype i = 0; i < field.size(); ++i) {
        if (field.at(i) == '\\' && i + 3 < field.size()) {
            bool ok = false;
            const int code = field.mid(i + 1, 3).toInt(&ok, 8);
            if (ok) {
                out += QChar(code);
                i += 3;
                continue;
            }
        }
        out += field.at(i);
    }
    return out;
}

QString NearestExisting(const QString& path)
{
    QString p = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    while (!QFileInfo::exists(p)) {
        const QString parent = QFileInfo(p).path();
        if (parent == p)
            return {};
        p = parent;
    }
    const QString canonical = QFileInfo(p).canonicalFilePath();
    return canonical.isEmpty() ? p : canonical;
}

bool Under(const QString& path, const QString& mountPoint)
{
    return mountPoint == "/" || path == mountPoint || path.startsWith(mountPoint + '/');
}

bool IsNetworkFs(const QString& fs)
{
    static const QStringList network = {"nfs", "nfs4", "cifs", "smb3", "smbfs", "sshfs", "fuse.sshfs",
                                        "afs", "ceph", "glusterfs", "fuse.glusterfs", "davfs",
                                        "fuse.davfs2", "ncpfs", "9p", "fuse.rclone", "fuse.gvfsd-fuse"};
    return network.contains(fs);
}

int KindOfBlockDevice(const QString& source, const QString& sysRoot)
{
    if (!source.startsWith("/dev/"))
        return DriveFixed;
    const QString name = QFileInfo(source).fileName();
    if (name.startsWith("sr"))
        return DriveOptical;
    QString dir = QFileInfo(sysRoot + "/class/block/" + name).canonicalFilePath();
    if (dir.isEmpty())
        return DriveFixed;
    if (QFileInfo::exists(dir + "/partition"))
        dir = QFileInfo(dir).path();
    QFile removable(dir + "/removable");
    if (removable.open(QIODevice::ReadOnly) && removable.readAll().trimmed() == "1")
        return DriveRemovable;
    // USB sticks often report removable 0; their device path still runs through a USB bus.
    if (dir.contains("/usb"))
        return DriveRemovable;
    return DriveFixed;
}

} // namespace

int DriveKindFrom(const QString& path, const QString& mountInfo, const QString& sysRoot)
{
    const QString where = NearestExisting(path);
    if (where.isEmpty())
        return DriveUnknown;
    QString bestMount, bestFs, bestSource;
    for (const QString& line : mountInfo.split('\n', Qt::SkipEmptyParts)) {
        const QStringList fields = line.split(' ');
        const qsizetype dash = fields.indexOf("-");
        if (fields.size() < 5 || dash < 0 || dash + 2 >= fields.size())
            continue;
        const QString mountPoint = Unescape(fields.at(4));
        // Later lines mount over earlier ones on the same point, so >= keeps the last.
        if (Under(where, mountPoint) && mountPoint.size() >= bestMount.size()) {
            bestMount = mountPoint;
            bestFs = fields.at(dash + 1);
            bestSource = Unescape(fields.at(dash + 2));
        }
    }
    if (bestMount.isEmpty())
        return DriveUnknown;
    if (bestFs == "tmpfs" || bestFs == "ramfs")
        return DriveRam;
    if (IsNetworkFs(bestFs))
        return DriveNetwork;
    if (bestFs == "iso9660" || bestFs == "udf")
        return DriveOptical;
    return KindOfBlockDevice(bestSource, sysRoot);
}

int DriveKind(const QString& path)
{
    QFile mounts("/proc/self/mountinfo");
    if (!mounts.open(QIODevice::ReadOnly))
        return DriveUnknown;
    return DriveKindFrom(path, QString::fromUtf8(mounts.readAll()), "/sys");
}

QString WindowsFolder()
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    QDir().mkpath(folder);
    if (!folder.endsWith('/'))
        folder += '/';
    return folder;
}

QString TempFolderPath()
{
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    QDir().mkpath(cache);
    const QString folder = cache + "/qentemp/";
    EnsureFolder(folder);
    return folder;
}

QString LocalCopyPath(const QString& path)
{
    const QString name = QFileInfo(path).fileName();
    if (name != path && drives().kindOf(path) == DriveFixed)
        return path;
    return TempFolderPath() + name;
}
