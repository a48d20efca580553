#include "ZipReader.h"

#include "Gb18030.h"
#include "PkCipher.h"
#include "ZipReaderInternal.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QtEndian>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace zip;
using namespace zip::reading;

namespace {

constexpr qint64 ShortTail = 4096;

// A header's bytes after its signature, deciphered when the signature says so; the name
// follows with the same running key stream.
struct Header {
    unsigned char fixed[CentralFixedSize - 4];
    QByteArray name;
    bool enciphered = false;
};

// A header at the start of bytes (which hold at least its fixed part and, for the names that
// are wanted, its name).
bool ReadHeader(const QByteArray& bytes, quint32 plainSignature, int fixedSize, int nameLengthOffset, bool withName,
                Header& out)
{
    if (bytes.size() < fixedSize)
        return false;
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData());
    const quint32 signature = U32(p);
    const quint32 asPlain = (signature & 0xffff00ffu) | (quint32(PlainMark) << 8);
    if (asPlain != plainSignature || (p[1] != PlainMark && p[1] != EncipheredMark))
        return false;
    out.enciphered = p[1] == EncipheredMark;
    const int count = fixedSize - 4;
    std::memcpy(out.fixed, p + 4, size_t(count));
    PkCipher cipher(PkCipher::HeaderKey);
    if (out.enciphered)
        cipher.decrypt(out.fixed, count);
    if (!withName)
        return true;
    const quint16 nameLength = U16(out.fixed + nameLengthOffset);
    if (bytes.size() < fixedSize + nameLength)
        return false;
    out.name = bytes.mid(fixedSize, nameLength);
    if (out.enciphered)
        cipher.decrypt(reinterpret_cast<unsigned char*>(out.name.data()), nameLength);
    return true;
}

// Names are GB 18030 in packages, with a Unicode Path field that wins when it matches; tools on
// UTF-8 systems store UTF-8 without saying so. Strictly valid UTF-8 with non-ASCII bytes is
// taken as UTF-8: realistic GB 18030 names are never valid UTF-8.
QString DecodeName(const QByteArray& raw, quint16 flags, const QByteArray& extra)
{
    if (const QString unicode = UnicodePathName(extra, raw); !unicode.isEmpty())
        return unicode;
    if (flags & FlagUtf8Name)
        return QString::fromUtf8(raw);
    const bool ascii = std::all_of(raw.cbegin(), raw.cend(), [](char c) { return uchar(c) < 0x80; });
    if (!ascii) {
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        const QString decoded = utf8.decode(raw);
        if (!utf8.hasError())
            return decoded;
    }
    return FromGb18030(raw);
}

// An archive with more entries than this is no document and no package.
constexpr qint64 MaxEntries = 65535;
constexpr quint32 Zip64EndSignature = 0x06064b50;
constexpr quint32 Zip64LocatorSignature = 0x07064b50;
constexpr int Zip64LocatorSize = 20;
constexpr int Zip64EndFixedSize = 56;
constexpr quint16 Zip64ExtraTag = 0x0001;

// Where an entry's sizes or offset would not fit 32 bits they stand in its ZIP64 extra field, in
// this order, each only when its 32-bit field says 0xFFFFFFFF. Values beyond 32 bits are beyond
// every bound of this engine: the archive is not one to read.
bool ApplyZip64Extra(const QByteArray& extra, EntryInfo& entry)
{
    quint32* fields[] = {&entry.uncompressedSize, &entry.compressedSize, &entry.localHeaderOffset};
    bool wanted = false;
    for (quint32* f : fields)
        wanted = wanted || *f == 0xFFFFFFFFu;
    if (!wanted)
        return true;
    const auto* p = reinterpret_cast<const unsigned char*>(extra.constData());
    for (qsizetype at = 0; at + 4 <= extra.size();) {
        const quint16 tag = U16(p + at), size = U16(p + at + 2);
        if (at + 4 + size > extra.size())
            return false;
        if (tag == Zip64ExtraTag) {
            qsizetype value = at + 4;
            for (quint32* f : fields) {
                if (*f != 0xFFFFFFFFu)
                    continue;
                if (value + 8 > at + 4 + size)
                    return false;
                const quint64 v = U64(p + value);
                if (v >= 0xFFFFFFFFu)
                    return false;
                *f = quint32(v);
                value += 8;
            }
            return true;
        }
        at += 4 + size;
    }
    return false;
}

} // namespace

ZipReader::~ZipReader()
{
    if (m_ownsFd)
        ::close(m_fd);
}

ZipReader::Opened ZipReader::finishOpening(std::unique_ptr<ZipReader> reader)
{
    Opened opened;
    opened.outcome = reader->parse();
    if (opened.outcome.ok)
        opened.reader = std::move(reader);
    return opened;
}

ZipReader::Opened ZipReader::openFile(const QString& path)
{
    Opened opened;
    // Opened without waiting: a pipe or a device would block or mean nothing.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        const int error = errno;
        opened.outcome = Failed(Cause::Unreadable, QStringLiteral("无法打开文件 %1").arg(path));
        opened.outcome.systemError = error;
        return opened;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        opened.outcome = Failed(Cause::NotArchive, QStringLiteral("%1 不是文件").arg(path));
        return opened;
    }
    std::unique_ptr<ZipReader> reader(new ZipReader);
    reader->m_fd = fd;
    reader->m_ownsFd = true;
    reader->m_size = st.st_size;
    return finishOpening(std::move(reader));
}

ZipReader::Opened ZipReader::openDescriptor(int fd)
{
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        Opened opened;
        opened.outcome = Failed(Cause::NotArchive, NotAnArchive);
        return opened;
    }
    std::unique_ptr<ZipReader> reader(new ZipReader);
    reader->m_fd = fd;
    reader->m_size = st.st_size;
    return finishOpening(std::move(reader));
}

ZipReader::Opened ZipReader::openData(const QByteArray& data)
{
    std::unique_ptr<ZipReader> reader(new ZipReader);
    reader->m_data = data;
    reader->m_size = data.size();
    return finishOpening(std::move(reader));
}

std::optional<ZipReader::EndRecord> ZipReader::FindEnd(const QByteArray& tail, qint64 tailAt,
                                                      const std::function<bool(qint64)>& directoryAt)
{
    const auto* t = reinterpret_cast<const unsigned char*>(tail.constData());
    std::optional<EndRecord> loose;
    for (qint64 at = tail.size() - EndRecordSize; at >= 0; --at) {
        if (U32(t + at) != EndSignature)
            continue;
        const unsigned char* e = t + at;
        EndRecord r;
        r.at = tailAt + at;
        r.disk = U16(e + 4);
        r.cdDisk = U16(e + 6);
        r.onDisk = U16(e + 8);
        r.total = U16(e + 10);
        r.cdSize = U32(e + 12);
        r.cdOffset = U32(e + 16);
        const qint64 commentEnd = at + EndRecordSize + U16(e + 20);
        if (commentEnd > tail.size())
            continue;
        const bool zip64 = r.cdOffset == 0xFFFFFFFFu || r.total == 0xFFFF;
        if (commentEnd == tail.size() && (r.total == 0 || zip64 || directoryAt(r.cdOffset)))
            return r;
        if (!loose)
            loose = r;  // a writer that left bytes after its comment
    }
    return loose;
}

bool ZipReader::hasCentralHeaderAt(qint64 offset) const
{
    char signature[4];
    if (!fetch(offset, 4, signature))
        return false;
    const auto* p = reinterpret_cast<const unsigned char*>(signature);
    return p[0] == 'P' && (p[1] == PlainMark || p[1] == EncipheredMark) && p[2] == 1 && p[3] == 2;
}

ZipReader::EndRead ZipReader::withZip64End(const QByteArray& tail, qint64 tailAt, EndRecord end) const
{
    // The locator stands just before the end record; without it the 32-bit values are the ones.
    const qint64 locatorAt = end.at - Zip64LocatorSize;
    if (locatorAt < 0)
        return {end, Succeeded()};
    unsigned char locator[Zip64LocatorSize];
    if (locatorAt >= tailAt)
        std::memcpy(locator, tail.constData() + (locatorAt - tailAt), Zip64LocatorSize);
    else if (!fetch(locatorAt, Zip64LocatorSize, reinterpret_cast<char*>(locator)))
        return {end, Succeeded()};
    if (U32(locator) != Zip64LocatorSignature)
        return {end, Succeeded()};
    const quint64 recordAt = U64(locator + 8);
    unsigned char record[Zip64EndFixedSize];
    if (recordAt > quint64(locatorAt) || !fetch(qint64(recordAt), Zip64EndFixedSize, reinterpret_cast<char*>(record))
        || U32(record) != Zip64EndSignature)
        return {end, Failed(Cause::Damaged, DamagedText)};
    const quint64 onDisk = U64(record + 24), total = U64(record + 32), cdSize = U64(record + 40), cdOffset = U64(record + 48);
    if (total > quint64(MaxEntries) || onDisk > quint64(MaxEntries) || cdSize > recordAt || cdOffset > recordAt)
        return {end, Failed(Cause::Damaged, DamagedText)};
    end.disk = U32(record + 16);
    end.cdDisk = U32(record + 20);
    end.onDisk = qint64(onDisk);
    end.total = qint64(total);
    end.cdSize = qint64(cdSize);
    end.cdOffset = qint64(cdOffset);
    end.at = qint64(recordAt);  // the directory ends before the ZIP64 records
    return {end, Succeeded()};
}

bool ZipReader::fetch(qint64 offset, qint64 length, char* to) const
{
    if (offset < 0 || length < 0 || offset + length > m_size)
        return false;
    if (m_fd < 0) {
        std::memcpy(to, m_data.constData() + offset, size_t(length));
        return true;
    }
    for (qint64 done = 0; done < length;) {
        const ssize_t got = ::pread(m_fd, to + done, size_t(length - done), off_t(offset + done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;  // the file ended early: it changed underneath
        done += got;
    }
    return true;
}

std::optional<QByteArray> ZipReader::fetchAll(qint64 offset, qint64 length) const
{
    if (offset < 0 || length < 0 || offset + length > m_size)
        return std::nullopt;
    QByteArray bytes(qsizetype(length), Qt::Uninitialized);
    if (!fetch(offset, length, bytes.data()))
        return std::nullopt;
    return bytes;
}

Outcome ZipReader::parse()
{
    if (m_size > MaxArchiveSize)
        return Failed(Cause::Damaged, DamagedText);
    if (m_size < EndRecordSize)
        return Failed(Cause::NotArchive, NotAnArchive);
    // The end record sits within the last 22 + 65535 bytes (its comment is at most 65535); an
    // archive without a long comment has it in the last few bytes, which are read first.
    // Searching back from the end, a record whose comment reaches exactly to the end and whose
    // directory starts where it says is the archive's own: the signature may stand in a comment.
    qint64 tailAt = 0;
    QByteArray tail;
    std::optional<EndRecord> found;
    for (const qint64 span : {ShortTail, qint64(EndRecordSize) + 0xffff}) {
        tailAt = qMax<qint64>(0, m_size - span);
        const std::optional<QByteArray> read = fetchAll(tailAt, m_size - tailAt);
        if (!read)
            return Failed(Cause::NotArchive, NotAnArchive);
        tail = *read;
        found = FindEnd(tail, tailAt, [this](qint64 at) { return hasCentralHeaderAt(at); });
        if (found || tailAt == 0)
            break;
    }
    if (!found) {
        // The start of an archive without its end is an archive cut short, not another kind of file.
        char head[4];
        const auto* h = reinterpret_cast<const unsigned char*>(head);
        if (fetch(0, 4, head) && h[0] == 'P' && (h[1] == PlainMark || h[1] == EncipheredMark) && h[2] == 3 && h[3] == 4)
            return Failed(Cause::Damaged, Truncated);
        return Failed(Cause::NotArchive, NotAnArchive);
    }
    const EndRead ended = withZip64End(tail, tailAt, *found);
    if (!ended.outcome.ok)
        return ended.outcome;
    const EndRecord& end = ended.end;
    if (end.disk != 0 || end.cdDisk != 0 || end.onDisk != end.total)
        return Failed(Cause::Unsupported, QStringLiteral("不支持分卷压缩文件"));
    const qint64 cdSize = end.cdSize, cdOffset = end.cdOffset;
    const qint64 total = end.total;
    if (total > MaxEntries || cdOffset < 0 || cdOffset + cdSize > end.at)
        return Failed(Cause::Damaged, DamagedText);
    const std::optional<QByteArray> directory = fetchAll(cdOffset, m_size - cdOffset);
    if (!directory)
        return Failed(Cause::Damaged, DamagedText);
    m_directory = *directory;

    const auto* cd = reinterpret_cast<const unsigned char*>(m_directory.constData());
    qint64 at = 0;
    m_entries.reserve(total);
    for (int i = 0; i < total; ++i) {
        Header h;
        if (at + CentralFixedSize > cdSize
            || !ReadHeader(QByteArray::fromRawData(m_directory.constData() + at, qsizetype(cdSize - at)),
                           CentralSignature, CentralFixedSize, 24, true, h))
            return Failed(Cause::Damaged, DamagedText);
        const unsigned char* f = h.fixed;  // offsets relative to byte 4 of the header
        EntryInfo entry;
        entry.versionMadeBy = U16(f + 0);
        entry.versionNeeded = U16(f + 2);
        entry.flags = U16(f + 4);
        entry.method = U16(f + 6);
        entry.dosTime = U16(f + 8);
        entry.dosDate = U16(f + 10);
        entry.crc32 = U32(f + 12);
        entry.compressedSize = U32(f + 16);
        entry.uncompressedSize = U32(f + 20);
        const quint16 extra = U16(f + 26), comment = U16(f + 28);
        entry.internalAttributes = U16(f + 32);
        entry.externalAttributes = U32(f + 34);
        entry.localHeaderOffset = U32(f + 38);
        entry.rawName = h.name;
        if (!ApplyZip64Extra(QByteArray::fromRawData(m_directory.constData() + at + CentralFixedSize + h.name.size(),
                                                     qMin<qint64>(U16(f + 26), cdSize - at - CentralFixedSize - h.name.size())),
                             entry))
            return Failed(Cause::Damaged, DamagedText);
        entry.headersEnciphered = h.enciphered;
        const qint64 extraAt = at + CentralFixedSize + h.name.size();
        at = extraAt + extra + comment;
        if (at > cdSize)
            return Failed(Cause::Damaged, DamagedText);
        entry.extra = QByteArray(reinterpret_cast<const char*>(cd + extraAt), extra);
        entry.name = DecodeName(h.name, entry.flags, entry.extra);

        // The local header says how long its name and extra field are: the data follows them.
        Header local;
        const std::optional<QByteArray> localBytes = qint64(entry.localHeaderOffset) + LocalFixedSize > cdOffset
                                                         ? std::nullopt
                                                         : fetchAll(entry.localHeaderOffset, LocalFixedSize);
        if (!localBytes || !ReadHeader(*localBytes, LocalSignature, LocalFixedSize, 22, false, local))
            return Failed(Cause::Damaged, DamagedText);
        entry.dataOffset = qint64(entry.localHeaderOffset) + LocalFixedSize + U16(local.fixed + 22) + U16(local.fixed + 24);
        // The data must lie between its local header and the central directory.
        if (entry.dataOffset + entry.compressedSize > cdOffset)
            return Failed(Cause::Damaged, DamagedText);
        m_entries.append(entry);
    }
    // Entries that overlap or share their data make a crafted archive, not one a program wrote.
    QVector<std::pair<qint64, qint64>> spans;
    spans.reserve(m_entries.size());
    for (const EntryInfo& entry : std::as_const(m_entries))
        spans.append({qint64(entry.localHeaderOffset), entry.dataOffset + entry.compressedSize});
    std::sort(spans.begin(), spans.end());
    for (qsizetype i = 1; i < spans.size(); ++i)
        if (spans.at(i).first < spans.at(i - 1).second)
            return Failed(Cause::Damaged, DamagedText);
    return Succeeded();
}

