#include "UserFiles.h"

#include "Drives.h"
#include "Edition.h"
#include "Failure.h"
#include "Files.h"
#include "FileTypes.h"
#include "Resources.h"
#include "SafeWrite.h"
#include "Session.h"
#include "Settings.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

QString DocumentsFolder()
{
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return documents.isEmpty() ? QDir::homePath() : documents;
}

void PrepareUserFiles(const QString& programPath, const QString& yearText)
{
    ExeFolder = QFileInfo(programPath).absolutePath() + "/";
    const QString documents = DocumentsFolder();
    // The user's documents folder may not exist yet on a new account; it is theirs, not ours.
    QDir().mkpath(documents);
    DocFolder = DocFolderIn(documents, yearText);
    bool force = false;
    if (!FolderExists(DocFolder)) {
        EnsureFolder(DocFolder);
        force = true;
    }

    const QString stamp = FileInfoText(programPath, FileTime::LastWrite).time;
    if (SettingValue(VersionStampKey()) != stamp) {
        if (!WriteVersionStamp(stamp))
            throw Failure(QStringLiteral("无法写入设置文件 %1").arg(QDir::toNativeSeparators(SettingsFilePath())));
        force = true;
    }

    const QString windowsFolder = WindowsFolder();
    ExtractResource("ficon", "jxs", windowsFolder + IconFileName(), force);
    HelpDocPath = windowsFolder + HelpDocFileName();
    ExtractResource("text", "help", HelpDocPath, force);
    RegisterProgramTypes(windowsFolder, programPath, force);
}

void RemoveStaleWork()
{
    TempFolder = TempFolderPath();
    RemoveStaleTemporaries(TempFolder);
    RemoveStaleTemporaries(DocFolder);
}
