#include "Package.h"

#include "Files.h"
#include "Seams.h"
#include "Text.h"
#include "ZipOps.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

namespace {

void Changed(PackageState& state)
{
    if (state.changed)
        state.changed();
}

// The engine's events as the package window handles them.
zip::Events EventsFor(PackageState& state)
{
    zip::Events events;
    events.begin = [&state](const QString& path) {  // Zip1Begin
        state.CurrentEntryPath = path;
        state.ListBox1 << path;
        state.StatusName = QFileInfo(path).fileName();
        ++state.BegunCount;
        Changed(state);
    };
    events.end = [&state] {  // Zip1Deactivate
        state.StatusName.clear();
        Changed(state);
    };
    events.progress = [&state](int entryPercent, int archivePercent) {  // Zip1Progress
        progress().setGauge(archivePercent);
        if (state.gauges)
            state.gauges(entryPercent, archivePercent);
        // Lets the progress window repaint and be clicked away.
        if (QCoreApplication::instance())
            QCoreApplication::processEvents();
    };
    events.tested = [&state](const QString& name, bool passed) {  // ZipCheck1Status
        state.ListBox1 << (passed ? QStringLiteral("成功 ") : QStringLiteral("失败 ")) + TrimBlanks(name);
        Changed(state);
    };
    events.fileExists = [&state](const QString&, QString& newPath, bool& overwrite) {  // UnZip1FileExists
        newPath = state.RenameTarget;
        state.Redirected = true;
        overwrite = true;
    };
    return events;
}

} // namespace

bool CompressPackage(PackageState& state, const QString& document, const QString& package, int deflateType)
{
    state.ListBox1.clear();
    Changed(state);
    progress().zipxMsg(QStringLiteral("正在压缩申请书文件..."));
    ForceDelete(package);
    zip::PackFile(package, document, deflateType, true, EventsFor(state), nullptr);
    progress().Close();
    return true;
}

bool CheckPackage(PackageState& state, const QString& package, QString& message)
{
    progress().zipxMsg(QStringLiteral("正在校验申请书文件..."));
    state.ListBox1.clear();
    Changed(state);
    bool result = false;
    if (!zip::TestArchive(package, EventsFor(state), nullptr)) {
        message = PersonalDocumentText;
    } else if (state.ListBox1.size() >= 2) {
        message = UnitPackageText;
    } else {
        // An empty archive has no line 1: it is no package of ours.
        const QString line = TrimBlanks(state.ListBox1.value(0));
        result = line.startsWith(QStringLiteral("成功 "));
        message = result ? line.mid(3) : PersonalDocumentText;
    }
    progress().Close();
    return result;
}

bool ExtractPackage(PackageState& state, const QString& package, const QString& target)
{
    state.ListBox1.clear();
    Changed(state);
    progress().zipxMsg(QStringLiteral("正在解压申请书文件..."));
    struct CloseProgress {
        ~CloseProgress() { progress().Close(); }
    } closeAtEnd;
    const QString folder = QFileInfo(package).absolutePath();
    EnsureFolder(folder);
    state.RenameTarget = target;
    state.Redirected = false;
    state.CurrentEntryPath.clear();
    const bool extracted = zip::ExtractArchive(package, folder, EventsFor(state), nullptr);
    if (state.Redirected)
        return extracted;
    if (!extracted || state.CurrentEntryPath.isEmpty())
        return false;
    return QFile::rename(state.CurrentEntryPath, target);
}
