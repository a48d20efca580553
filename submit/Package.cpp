#include "Package.h"

#include "BusyInput.h"
#include "Files.h"
#include "Seams.h"
#include "Text.h"
#include "ZipOps.h"
#include "ZipReader.h"

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

PackageVerdict JudgePackage(const ZipReader& reader, const QString& path, bool keep, const zip::Events& events)
{
    PackageVerdict verdict;
    // A unit's package of many applications is told apart from the central directory alone,
    // before anything is inflated.
    const qsizetype entries = reader.entries().size();
    if (entries != 1) {
        verdict.cause = Outcome::failed(entries > 1 ? Cause::UnitPackage : Cause::EmptyPackage, path);
        return verdict;
    }
    const zip::EntryInfo& e = reader.entries().first();
    const auto progress = [&events, &e](qint64 done) {
        if (events.progress)
            events.progress(int(e.compressedSize > 0 ? done * 100 / e.compressedSize : 100),
                            int(e.compressedSize > 0 ? done * 100 / e.compressedSize : 100));
    };
    zip::Outcome inflated;
    if (keep) {
        ZipReader::Contents contents = reader.readAll(0);
        inflated = contents.outcome;
        verdict.document = std::move(contents.bytes);
    } else {
        inflated = reader.read(0, [](const char*, qint64) { return true; }, progress);
    }
    if (events.tested)
        events.tested(e.name, inflated);
    if (events.end)
        events.end();
    verdict.entry = TrimBlanks(e.name);
    verdict.noMemory = inflated.cause == zip::Cause::NoMemory;
    verdict.cause = inflated.ok ? Outcome{} : PackageOutcome(inflated, path);
    if (!inflated.ok)
        verdict.document.clear();
    return verdict;
}

namespace {

PackageVerdict JudgePackageFile(const QString& path, const zip::Events& events)
{
    const ZipReader::Opened opened = ZipReader::openFile(path);
    if (opened.reader)
        return JudgePackage(*opened.reader, path, false, events);
    PackageVerdict verdict;
    verdict.cause = PackageOutcome(opened.outcome, path);
    return verdict;
}

} // namespace

PackResult CompressPackage(PackageState& state, const QString& document, const QString& package, int deflateType)
{
    const BusyInput busy;
    state.ListBox1.clear();
    Changed(state);
    progress().zipxMsg(QStringLiteral("正在压缩申请书文件..."));
    PackResult result;
    // What is written is read back and checked as every reader of packages checks it, before
    // it replaces an older package: the one inflation of the check.
    const zip::Outcome packed = zip::PackFile(package, document, deflateType, true, EventsFor(state),
                                              [&state](const QString& written) {
        const PackageVerdict verdict = JudgePackageFile(written, EventsFor(state));
        return verdict.ok() ? Outcome{}
                            : Outcome::other(QStringLiteral("写好的上报文件读回时校验失败：%1").arg(Explain(verdict.cause)));
    });
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
    const PackageVerdict verdict = JudgePackageFile(package, EventsFor(state));
    result.ok = verdict.ok();
    if (result.ok) {
        result.entry = verdict.entry;
    } else if (verdict.cause.cause == Cause::UnitPackage) {
        result.message = UnitPackageText;
    } else {
        // The system's first line; then what is wrong with the file, where it is known.
        const bool known = verdict.cause.cause != Cause::NotAPackage && verdict.cause.cause != Cause::EmptyPackage;
        result.message = PersonalDocumentText + (known ? "\n" + Explain(verdict.cause) : QString());
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
