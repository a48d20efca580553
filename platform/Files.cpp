#include "Files.h"

#include "DosTime.h"
#include "Edition.h"
#include "Failure.h"
#include "Session.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <sys/stat.h>
#include <unistd.h>

QString ChangeExtension(const QString& path, const QString& ext)
{
    const qsizetype nameStart = path.lastIndexOf('/') + 1;
    const qsizetype dot = path.lastIndexOf('.');
    const QString stem = dot >= nameStart ? path.left(dot) : path;
    return stem + "." + ext;
}

QString FileNamePart(const QString& text)
{
    QString part = text;
    for (QChar& c : part)
        if (c == '/' || c == '\\' || c.unicode() < 32 || c.unicode() == 127)
            c = '_';
    if (part == "." || part == "..")
        part.fill('_');
    return part;
}

QString MissingDocumentText(const QString& path)
{
    return QStringLiteral("找不到申请书文件:") + QDir::toNativeSeparators(path);
}

QString FreeDocName(const QString& base, const QString& folder)
{
    for (int n = 0;; ++n) {
        const QString name = n == 0 ? base : base + QString::number(n);
        if (!QFileInfo::exists(folder + DocPrefix + name + DocExtension()))
            return name;
    }
}

QString FreeDocPath(const QString& base)
{
    return DocFolder + DocPrefix + FreeDocName(base, DocFolder) + DocExtension();
}

AutoNameTarget AutoNameTargetFor(const QString& currentPath, const QString& namingBase, const QString& applicantId)
{
    // The applicant's name goes into a file name: it must not move the document elsewhere.
    const QString base = FileNamePart(namingBase);
    if (base.isEmpty() || (!applicantId.isEmpty() && currentPath.contains(applicantId)) || currentPath.contains('~'))
        return {};
    const QFileInfo current(currentPath);
    if (current.fileName().startsWith(DocPrefix + base))
        return {};
    const QString folder = current.absolutePath() + "/";
    const QString name = FreeDocName(base, folder);
    return {folder + DocPrefix + name + DocExtension(), name};
}

bool IsReadOnlyFile(const QString& path)
{
    struct stat st {};
    const QByteArray native = QFile::encodeName(path);
    if (::stat(native.constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    return (st.st_mode & 0222) == 0 || ::access(native.constData(), W_OK) != 0;
}

bool FolderExists(const QString& path)
{
    return QFileInfo(path).isDir();
}

void EnsureFolder(const QString& path)
{
    if (FolderExists(path))
        return;
    if (!QDir().mkdir(path))
        throw Failure(QStringLiteral("无法创建文件夹 %1").arg(QDir::toNativeSeparators(path)));
}

void CopyFileChunked(const QString& source, const QString& dest)
{
    QString target = QFileInfo(dest).absoluteFilePath();
    if (QFileInfo(target).isDir()) {
        if (!target.endsWith('/'))
            target += '/';
        target += QFileInfo(source).fileName();
    }
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        throw Failure(QStringLiteral("Cannot open file %1").arg(source));
    QFile out(target);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw Failure(QStringLiteral("Cannot create file %1").arg(target));
    char buffer[8192];
    for (;;) {
        const qint64 got = in.read(buffer, sizeof buffer);
        if (got < 0)
            throw Failure(QStringLiteral("Cannot read file %1").arg(source));
        if (got > 0 && out.write(buffer, got) != got)
            throw Failure(QStringLiteral("Cannot write file %1").arg(target));
        if (got < qint64(sizeof buffer))
            break;
    }
    if (!out.flush())
        throw Failure(QStringLiteral("Cannot write file %1").arg(target));
}

bool ForceDelete(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink())
        return true;
    // Read-only here means the owner may not write; clearing it mirrors clearing the attribute.
    if (!info.isSymLink()
        && !QFile::setPermissions(path, info.permissions() | QFile::WriteOwner | QFile::ReadOwner))
        return false;
    QFile::remove(path);
    return true;
}

bool ReplaceCopy(const QString& source, const QString& dest)
{
    if (source == dest)
        return true;
    try {
        ForceDelete(dest);
        CopyFileChunked(source, dest);
        return true;
    } catch (const Failure&) {
        return false;
    }
}

FileInfoTexts FileInfoText(const QString& path, FileTime which)
{
    const QFileInfo info(path);
    if (!info.exists())
        return {};
    const quint32 low = quint32(quint64(info.size()) & 0xffffffffu);
    FileInfoTexts texts;
    texts.size = (QString::asprintf("%8.2f", low / 1048576.0) + QStringLiteral("兆(M)")).trimmed();

    QDateTime when;
    switch (which) {
    case FileTime::Creation:
        when = info.birthTime();
        if (!when.isValid())
            when = info.metadataChangeTime();
        break;
    case FileTime::LastWrite:
        when = info.lastModified();
        break;
    case FileTime::LastAccess:
        when = info.lastRead();
        break;
    }
    texts.time = FromDosDateTime(ToDosDateTime(when)).toString(QStringLiteral("yyyy'年'M'月'd'日' HH:mm"));
    return texts;
}
