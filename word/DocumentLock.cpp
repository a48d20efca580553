#include "DocumentLock.h"

#include "Seams.h"
#include "Settings.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSysInfo>
#include <fcntl.h>
#include <unistd.h>


QList<qint64> LockFileHolders(const QString& path)
{
    // LibreOffice 7.4 keeps a document it has open open (read and write, no fcntl lock) and
    // writes ".~lock.NAME#" = "display name,user,host,date,profile URL;". On this machine the
    // open descriptor is the evidence, and a lock file without one is stale, whatever office
    // runs. A lock file written on another machine (a shared folder) or by another user cannot
    // be checked here and counts.
    const QFileInfo info(path);
    QFile office(info.absolutePath() + "/.~lock." + info.fileName() + "#");
    if (!office.open(QIODevice::ReadOnly))
        return {};
    const QStringList fields = QString::fromUtf8(office.read(4096)).split(',');
    if (fields.size() < 3)
        return {};
    const QString user = QString::fromLocal8Bit(qgetenv("USER"));
    const bool here = fields.at(2).trimmed() == QSysInfo::machineHostName();
    const bool mine = user.isEmpty() || fields.at(1).trimmed() == user;
    return here && mine ? QList<qint64>() : QList<qint64>{-1};
}

Tlockqen::~Tlockqen()
{
    ReleaseHandle();
}

bool Tlockqen::TryOpenExclusive(const QString& path)
{
    ReleaseHandle();
    // The holders first, while this program has no descriptor of its own on the file.
    if (!processes().holdersOf(path).isEmpty() || !LockFileHolders(path).isEmpty())
        return true;
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return true;
    struct flock probe {};
    probe.l_type = F_WRLCK;
    probe.l_whence = SEEK_SET;
    const bool locked = fcntl(fd, F_GETLK, &probe) == 0 && probe.l_type != F_UNLCK;
    if (locked) {
        ::close(fd);
        return true;
    }
    FileHandle = fd;
    HandleOpen = true;
    return false;
}

void Tlockqen::ReleaseHandle()
{
    if (HandleOpen) {
        ::close(FileHandle);
        HandleOpen = false;
    }
}

bool Tlockqen::IsInUse(const QString& path)
{
    const bool inUse = TryOpenExclusive(path);
    ReleaseHandle();
    return inUse;
}

Outcome Tlockqen::EnsureNotInUse(const QString& path, const CloseElsewhereQuestion& ask)
{
    if (!QFileInfo::exists(path))
        return Outcome::failed(Cause::Missing, path);
    // Reading needs nobody's consent; this runs before a write. The program that has the file
    // open is never ended (LibreOffice would take the user's other documents with it): the user
    // saves and closes the file there, and the question looks again.
    while (IsInUse(path))
        if (!ask || !ask(path))
            return Outcome::failed(Cause::InUse, path);
    return {};
}

QStringList WordProcessorCommand()
{
    const QString configured = SettingValue("wordprocessor");
    if (!configured.trimmed().isEmpty())
        return QProcess::splitCommand(configured);
    const QList<QStringList> candidates = {{"wps"}, {"lowriter"}, {"libreoffice", "--writer"}, {"soffice", "--writer"}};
    for (const QStringList& candidate : candidates) {
        const QString program = processes().findExecutable(candidate.first());
        if (!program.isEmpty())
            return QStringList{program} + candidate.mid(1);
    }
    return {};
}

Outcome Tlockqen::OpenWithProgram(const QString& documentPath, const QString&)
{
    const QFileInfo info(documentPath);
    const QStringList command = WordProcessorCommand();
    if (command.isEmpty())
        return Outcome::other(QStringLiteral("没有找到可以打开本文件的文字处理软件（LibreOffice 或 WPS），请先安装。"));
    // The file goes as one argument of its own, so blanks in its name need no replacing.
    if (!processes().startDetached(command.first(), command.mid(1) << info.absoluteFilePath(), info.absolutePath()))
        return Outcome::other(QStringLiteral("无法启动文字处理软件 %1，请检查它是否安装完好。").arg(command.join(' ')));
    return {};
}

QString Tlockqen::BlanksToQuestionMarks(const QString& text)
{
    return QString(text).replace(' ', '?');
}
