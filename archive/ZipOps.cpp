#include "ZipOps.h"

#include "DosTime.h"
#include "Gb18030.h"
#include "ZipReader.h"
#include "ZipWriter.h"
#include "SafeWrite.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <sys/stat.h>

namespace zip {

namespace {

int Percent(qint64 part, qint64 whole)
{
    return whole <= 0 ? 100 : int(qBound(qint64(0), part * 100 / whole, qint64(100)));
}

// DOS attributes: read-only when the owner may not write; archive always.
quint32 DosAttributes(const QFileInfo& info)
{
    return 0x20u | (info.isWritable() ? 0u : 0x01u);
}

// Two names of one file: the same device and inode, links followed.
bool SameFile(const QString& a, const QString& b)
{
    struct stat first {}, second {};
    return ::stat(QFile::encodeName(a).constData(), &first) == 0 && ::stat(QFile::encodeName(b).constData(), &second) == 0
           && first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

} // namespace

bool IsStoredType(const QString& filePath)
{
    static const QStringList stored = {"ace", "arc", "arj", "bh", "cab", "enc", "gz", "ha", "jar", "lha", "lzh",
                                       "pak", "pk3", "pk_", "rar", "tar", "tgz", "uue", "uu", "war", "xxe", "z",
                                       "zip", "zoo"};
    return stored.contains(QFileInfo(filePath).suffix().toLower());
}

Outcome PackFile(const QString& archivePath, const QString& filePath, int deflateType, bool encryptHeaders,
                 const Events& events, const WrittenCheck& check)
{
    auto fail = [&](const QString& text) {
        if (events.end)
            events.end();
        return Outcome{false, text};
    };
    QFile source(filePath);
    if (!source.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("无法打开文件 %1").arg(filePath));
    // The package never takes the place of what it is made from, whatever name or link leads
    // there: that would destroy the document.
    if (SameFile(filePath, archivePath))
        return fail(QStringLiteral("上报文件不能与要打包的申请书是同一个文件：%1").arg(archivePath));
    const QFileInfo info(filePath);
    const qint64 size = source.size();
    // One read of the data: map it, or read it whole where mapping is not possible.
    QByteArray held;
    const char* data = size > 0 ? reinterpret_cast<const char*>(source.map(0, size)) : "";
    if (!data) {
        held = source.readAll();
        data = held.constData();
    }
    if (events.begin)
        events.begin(filePath);

    ZipWriter::Entry entry;
    entry.rawName = ToGb18030(info.fileName());
    const QString name = info.fileName();
    if (std::any_of(name.cbegin(), name.cend(), [](QChar c) { return c.unicode() > 127; }))
        entry.extra = UnicodePathField(entry.rawName, name);
    entry.deflateType = IsStoredType(filePath) ? -1 : deflateType;
    const DosDateTime when = ToDosDateTime(info.lastModified());
    entry.dosTime = when.time;
    entry.dosDate = when.date;
    entry.internalAttributes = 1;
    entry.externalAttributes = DosAttributes(info);
    const auto progress = [&](qint64 done) {
        if (events.progress)
            events.progress(Percent(done, size), Percent(done, size));
    };
    QString engineError;
    // The package is written beside its target and read back before it replaces an older one:
    // the older package stays until the new one is whole.
    const ::Outcome written = WriteAtomically(archivePath, [&](QFileDevice& out) {
        ZipWriter writer(&out, encryptHeaders);
        if (writer.add(entry, data, size, progress) && writer.finish())
            return true;
        engineError = writer.error();
        return false;
    }, check);
    if (!written.written()) {
        const Outcome failed = fail(engineError.isEmpty() || written.error != 0 ? Explain(written) : engineError);
        return {false, failed.error, Cause::WriteFailed, written.error};
    }
    if (events.end)
        events.end();
    return {true, {}};
}

Outcome TestArchive(const QString& archivePath, const Events& events)
{
    ZipReader::Opened opened = ZipReader::openFile(archivePath);
    Outcome outcome = opened.outcome;
    const auto& reader = opened.reader;
    if (!reader)
        return outcome;
    const qint64 total = reader->totalCompressed();
    qint64 before = 0;
    for (int i = 0; i < reader->entries().size(); ++i) {
        const EntryInfo& e = reader->entries().at(i);
        const auto progress = [&](qint64 done) {
            if (events.progress)
                events.progress(Percent(done, e.compressedSize), Percent(before + done, total));
        };
        const Outcome result = reader->read(i, [](const char*, qint64) { return true; }, progress);
        before += e.compressedSize;
        if (events.tested)
            events.tested(e.name, result);
    }
    if (events.end)
        events.end();
    outcome.ok = true;
    return outcome;
}

EntryTally EntryCount(const QString& archivePath)
{
    EntryTally tally;
    const ZipReader::Opened opened = ZipReader::openFile(archivePath);
    tally.error = opened.outcome.error;
    tally.cause = opened.outcome.cause;
    if (opened.reader)
        tally.entries = int(opened.reader->entries().size());
    return tally;
}

namespace {

// The entry at path. An entry that cannot be read is the archive's fault and says so, never
// taken for a failure of the disk it was being written to.
Outcome WriteEntry(const ZipReader& reader, int i, const QString& path, qint64 before, qint64 total,
                   const Events& events)
{
    const EntryInfo& e = reader.entries().at(i);
    if (events.begin)
        events.begin(path);
    const auto progress = [&](qint64 done) {
        if (events.progress)
            events.progress(Percent(done, e.compressedSize), Percent(before + done, total));
    };
    Outcome inflated;
    const ::Outcome written = WriteAtomically(path, [&](QFileDevice& out) {
        inflated = reader.read(i, [&out](const char* d, qint64 n) { return out.write(d, n) == n; }, progress);
        return inflated.ok;
    });
    if (written.written())
        return {true, {}};
    // The data could not be read (the write never started, or the device took it all, when None).
    if (!inflated.ok && inflated.cause != Cause::None && inflated.cause != Cause::Refused)
        return inflated;
    return {false, Explain(written), Cause::WriteFailed, written.error};
}

} // namespace

Outcome ExtractEntryTo(const QString& archivePath, int index, const QString& target, const Events& events)
{
    ZipReader::Opened opened = ZipReader::openFile(archivePath);
    Outcome outcome = opened.outcome;
    const auto& reader = opened.reader;
    if (!reader)
        return outcome;
    outcome.ok = index >= 0 && index < reader->entries().size();
    if (outcome.ok)
        outcome = WriteEntry(*reader, index, target, 0, reader->totalCompressed(), events);
    if (events.end)
        events.end();
    return outcome;
}

} // namespace zip
