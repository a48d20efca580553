#include "DocumentLock.h"

#include "Edition.h"
#include "Seams.h"
#include "Session.h"
#include "Settings.h"
#include "WordSession.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSysInfo>
#include <fcntl.h>
#include <unistd.h>

namespace {

QList<qint64> RunningAny(const QStringList& executables)
{
    QList<qint64> pids;
    for (const QString& name : executables)
        pids << processes().processesNamed(name);
    return pids;
}

} // namespace

QList<qint64> LockFileHolders(const QString& path)
{
    const QFileInfo info(path);
    const QString folder = info.absolutePath() + "/";
    // LibreOffice writes ".~lock.NAME#" with the user and host that hold the document.
    QFile office(folder + ".~lock." + info.fileName() + "#");
    if (office.open(QIODevice::ReadOnly)) {
        const QStringList fields = QString::fromUtf8(office.readAll()).split(',');
        const bool here = fields.contains(QSysInfo::machineHostName());
        const QList<qint64> running = RunningAny({"soffice.bin", "soffice"});
        // A lock from this machine without a running office is stale; one from another machine
        // (a shared folder) cannot be checked and counts.
        if (!running.isEmpty())
            return running;
        if (!here && fields.size() > 2)
            return {-1};
    }
    if (QFileInfo::exists(folder + "~$" + info.fileName()))
        return RunningAny({"wps"});
    return {};
}

Tlockqen::~Tlockqen()
{
    ReleaseHandle();
}

bool Tlockqen::TryOpenExclusive(const QString& path)
{
    ReleaseHandle();
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return true;
    struct flock probe {};
    probe.l_type = F_WRLCK;
    probe.l_whence = SEEK_SET;
    const bool locked = fcntl(fd, F_GETLK, &probe) == 0 && probe.l_type != F_UNLCK;
    if (locked || !processes().holdersOf(path).isEmpty() || !LockFileHolders(path).isEmpty()) {
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

bool Tlockqen::EnsureNotInUse(const QString& path)
{
    if (!IsInUse(path))
        return true;
    const QString name = QFileInfo(path).fileName();
    ShowNotice(name + QStringLiteral("文件已打开，请关闭WORD后再按确认铵钮!"), NoticeCaption);
    CloseWordWindowFor(path);
    sleeper().sleep(1000);
    if (!IsInUse(path))
        return true;
    // Ending every word processor frees a file one of them holds; a missing file nobody holds,
    // and ending them then would only lose the user's unsaved work elsewhere.
    if (QFileInfo::exists(path)) {
        if (WordSession)
            WordSession->QuitWord();
        for (const QString& executable : WordProcessorExecutables)
            KillProcessByName(executable);
        if (WordSession)
            WordSession->StartWord();
    }
    sleeper().sleep(500);
    if (!IsInUse(path))
        return true;
    ShowNotice(name + QStringLiteral("文件已打开!!!"), NoticeCaption);
    return false;
}

void Tlockqen::CloseWordWindowFor(const QString& path)
{
    QList<qint64> holders = processes().holdersOf(path);
    for (const qint64 pid : LockFileHolders(path))
        if (pid > 0 && !holders.contains(pid))
            holders << pid;
    for (const qint64 pid : holders) {
        processes().terminate(pid);
        for (int i = 0; i < 20; ++i)
            sleeper().sleep(100);
    }
}

void Tlockqen::KillProcessByName(const QString& name)
{
    for (const qint64 pid : processes().processesNamed(name))
        processes().kill(pid);
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

bool Tlockqen::OpenWithProgram(const QString& documentPath, const QString&)
{
    const QFileInfo info(documentPath);
    const QStringList command = WordProcessorCommand();
    // The file goes as one argument of its own, so blanks in its name need no replacing.
    if (command.isEmpty()
        || !processes().startDetached(command.first(), command.mid(1) << info.absoluteFilePath(), info.absolutePath())) {
        ShowNotice(QStringLiteral("没有找到可以打开本文件的文字处理软件（LibreOffice 或 WPS），请先安装。"), NoticeCaption);
        return false;
    }
    return true;
}

void OpenHelpDocument()
{
    if (DocLock && DocLock->EnsureNotInUse(HelpDocPath))
        DocLock->OpenWithProgram(HelpDocPath, "winword");
}

QString Tlockqen::BlanksToQuestionMarks(const QString& text)
{
    return QString(text).replace(' ', '?');
}
