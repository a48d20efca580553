#include "Package.h"

#include "BusyInput.h"
#include "Files.h"
#include "Seams.h"
#include "Text.h"
#include "ZipOps.h"

#include <QCoreApplication>
#include <QEvent>
#include <QDir>
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
    events.tested = [&state](const QString& name, const zip::Outcome& result) {  // ZipCheck1Status
        state.ListBox1 << (result.ok ? QStringLiteral("成功 ") : QStringLiteral("失败 ")) + TrimBlanks(name);
        Changed(state);
    };
    return events;
}

} // namespace

PackResult CompressPackage(PackageState& state, const QString& document, const QString& package, int deflateType)
{
    const BusyInput busy;
    state.ListBox1.clear();
    Changed(state);
    progress().zipxMsg(QStringLiteral("正在压缩申请书文件..."));
    PackResult result;
    const zip::Outcome packed = zip::PackFile(package, document, deflateType, true, EventsFor(state));
    result.ok = packed.ok;
    result.message = packed.error;
    progress().Close();
    return result;
}

PackageCheck CheckPackage(PackageState& state, const QString& package)
{
    const BusyInput busy;
    progress().zipxMsg(QStringLiteral("正在校验申请书文件..."));
    state.ListBox1.clear();
    Changed(state);
    PackageCheck result;
    // A unit's package of many applications is told apart from the central directory alone,
    // before anything is inflated.
    const zip::EntryTally tally = zip::EntryCount(package);
    if (tally.entries >= 2) {
        result.message = UnitPackageText;
    } else {
        // The test's own report of its entry, not the log's line read back.
        zip::Outcome tested = {false, tally.error, tally.cause};
        zip::Events events = EventsFor(state);
        const auto log = events.tested;
        events.tested = [&](const QString& name, const zip::Outcome& entry) {
            log(name, entry);
            result.entry = TrimBlanks(name);
            tested = entry;
        };
        // An empty archive tests no entry: it is no package of ours.
        result.ok = tally.entries == 1 && zip::TestArchive(package, events).ok && tested.ok;
        if (!result.ok) {
            result.entry.clear();
            // The system's first line; then what is wrong with the file, where it is known.
            const bool known = tested.cause != zip::Cause::None && tested.cause != zip::Cause::NotArchive;
            result.message = PersonalDocumentText + (known ? "\n" + PackageRefusal(tested) : QString());
        }
    }
    progress().Close();
    return result;
}

PackResult ExtractPackage(PackageState& state, const QString& package, const QString& target)
{
    const BusyInput busy;
    state.ListBox1.clear();
    Changed(state);
    progress().zipxMsg(QStringLiteral("正在解压申请书文件..."));
    struct CloseProgress {
        ~CloseProgress() { progress().Close(); }
    } closeAtEnd;
    // No folder is made here: a package is read where it is, and a missing folder holds none.
    state.CurrentEntryPath.clear();
    // Only a personal package's one document is delivered, and only to the target: the
    // package's folder is read, never written. A file at the target stays, as a rename would
    // leave it.
    const QFileInfo existing(target);
    if (existing.exists() || existing.isSymLink())
        return {false, QStringLiteral("%1 已存在，没有解压").arg(QDir::toNativeSeparators(target))};
    const zip::EntryTally tally = zip::EntryCount(package);
    if (tally.entries > 1)
        return {false, UnitPackageText};
    if (tally.entries < 0 && tally.cause != zip::Cause::NotArchive)
        return {false, PackageRefusal({false, tally.error, tally.cause})};
    if (tally.entries != 1)
        return {false, PersonalDocumentText};
    const zip::Outcome extracted = zip::ExtractEntryTo(package, 0, target, EventsFor(state));
    if (extracted.ok)
        return {true, {}};
    return {false, extracted.cause == zip::Cause::WriteFailed ? extracted.error : PackageRefusal(extracted)};
}
