#include "ZipReader.h"

#include "Gb18030.h"
#include "LargeBuffer.h"
#include "PkCipher.h"

#include <QFile>
#include <QFileInfo>
#include <QIODevice>
#include <QStringDecoder>
#include <QtEndian>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <libdeflate.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

using namespace zip;

namespace {

const QString NotAnArchive = QStringLiteral("不是有效的压缩文件");
const QString Truncated = QStringLiteral("压缩文件不完整（可能没有下载或复制完）");
const QString Damaged = QStringLiteral("压缩文件已损坏");

// Entries up to this size are inflated in one call into a buffer of their size; larger ones (and
// a crafted archive's claims) are inflated as a stream, whose memory does not grow with them.
constexpr qint64 WholeBufferLimit = 64LL * 1024 * 1024;
constexpr qint64 ShortTail = 4096;

// An entry deflate could hardly shrink (pictures, an archive) is mostly stored blocks, which
// zlib's stream copies as fast as libdeflate does, without fresh memory for the whole entry.
bool MostlyStored(const EntryInfo& e)
{
    return e.compressedSize * 10 >= e.uncompressedSize * 9;
}
constexpr qint64 Piece = 1 << 16;  // small enough to stay in the cache, and to touch little new memory

quint16 U16(const unsigned char* p) { return qFromLittleEndian<quint16>(p); }
quint32 U32(const unsigned char* p) { return qFromLittleEndian<quint32>(p); }

bool Fail(Outcome* out, Cause cause, const QString& text)
{
    if (out) {
        out->ok = false;
        out->cause = cause;
        out->error = text;
    }
    return false;
}

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
quint64 U64(const unsigned char* p) { return qFromLittleEndian<quint64>(p); }

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

// One decompressor a thread, made at its first use (the intake reads on several threads).
libdeflate_decompressor* Decompressor()
{
    struct Holder {
        libdeflate_decompressor* d = libdeflate_alloc_decompressor();
        ~Holder() { libdeflate_free_decompressor(d); }
    };
    static thread_local Holder holder;
    return holder.d;
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
    opened.outcome.ok = reader->parse(&opened.outcome);
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
        opened.outcome.systemError = errno;
        Fail(&opened.outcome, Cause::Unreadable, QStringLiteral("无法打开文件 %1").arg(path));
        return opened;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        Fail(&opened.outcome, Cause::NotArchive, QStringLiteral("%1 不是文件").arg(path));
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
        Fail(&opened.outcome, Cause::NotArchive, NotAnArchive);
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

bool ZipReader::readZip64End(const QByteArray& tail, qint64 tailAt, EndRecord& end, Outcome* error) const
{
    // The locator stands just before the end record; without it the 32-bit values are the ones.
    const qint64 locatorAt = end.at - Zip64LocatorSize;
    if (locatorAt < 0)
        return true;
    unsigned char locator[Zip64LocatorSize];
    if (locatorAt >= tailAt)
        std::memcpy(locator, tail.constData() + (locatorAt - tailAt), Zip64LocatorSize);
    else if (!fetch(locatorAt, Zip64LocatorSize, reinterpret_cast<char*>(locator)))
        return true;
    if (U32(locator) != Zip64LocatorSignature)
        return true;
    const quint64 recordAt = U64(locator + 8);
    unsigned char record[Zip64EndFixedSize];
    if (recordAt > quint64(locatorAt) || !fetch(qint64(recordAt), Zip64EndFixedSize, reinterpret_cast<char*>(record))
        || U32(record) != Zip64EndSignature)
        return Fail(error, Cause::Damaged, Damaged);
    const quint64 onDisk = U64(record + 24), total = U64(record + 32), cdSize = U64(record + 40), cdOffset = U64(record + 48);
    if (total > quint64(MaxEntries) || onDisk > quint64(MaxEntries) || cdSize > recordAt || cdOffset > recordAt)
        return Fail(error, Cause::Damaged, Damaged);
    end.disk = U32(record + 16);
    end.cdDisk = U32(record + 20);
    end.onDisk = qint64(onDisk);
    end.total = qint64(total);
    end.cdSize = qint64(cdSize);
    end.cdOffset = qint64(cdOffset);
    end.at = qint64(recordAt);  // the directory ends before the ZIP64 records
    return true;
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

bool ZipReader::fetchAll(qint64 offset, qint64 length, QByteArray& to) const
{
    if (offset < 0 || length < 0 || offset + length > m_size)
        return false;
    to.resize(qsizetype(length));
    return fetch(offset, length, to.data());
}

bool ZipReader::parse(Outcome* error)
{
    if (m_size > MaxArchiveSize)
        return Fail(error, Cause::Damaged, Damaged);
    if (m_size < EndRecordSize)
        return Fail(error, Cause::NotArchive, NotAnArchive);
    // The end record sits within the last 22 + 65535 bytes (its comment is at most 65535); an
    // archive without a long comment has it in the last few bytes, which are read first.
    // Searching back from the end, a record whose comment reaches exactly to the end and whose
    // directory starts where it says is the archive's own: the signature may stand in a comment.
    qint64 tailAt = 0;
    QByteArray tail;
    std::optional<EndRecord> found;
    for (const qint64 span : {ShortTail, qint64(EndRecordSize) + 0xffff}) {
        tailAt = qMax<qint64>(0, m_size - span);
        if (!fetchAll(tailAt, m_size - tailAt, tail))
            return Fail(error, Cause::NotArchive, NotAnArchive);
        found = FindEnd(tail, tailAt, [this](qint64 at) { return hasCentralHeaderAt(at); });
        if (found || tailAt == 0)
            break;
    }
    if (!found) {
        // The start of an archive without its end is an archive cut short, not another kind of file.
        char head[4];
        const auto* h = reinterpret_cast<const unsigned char*>(head);
        if (fetch(0, 4, head) && h[0] == 'P' && (h[1] == PlainMark || h[1] == EncipheredMark) && h[2] == 3 && h[3] == 4)
            return Fail(error, Cause::Damaged, Truncated);
        return Fail(error, Cause::NotArchive, NotAnArchive);
    }
    EndRecord end = *found;
    if (!readZip64End(tail, tailAt, end, error))
        return false;
    if (end.disk != 0 || end.cdDisk != 0 || end.onDisk != end.total)
        return Fail(error, Cause::Unsupported, QStringLiteral("不支持分卷压缩文件"));
    const qint64 cdSize = end.cdSize, cdOffset = end.cdOffset;
    const qint64 total = end.total;
    if (total > MaxEntries || cdOffset < 0 || cdOffset + cdSize > end.at)
        return Fail(error, Cause::Damaged, Damaged);
    if (!fetchAll(cdOffset, m_size - cdOffset, m_directory))
        return Fail(error, Cause::Damaged, Damaged);

    const auto* cd = reinterpret_cast<const unsigned char*>(m_directory.constData());
    qint64 at = 0;
    m_entries.reserve(total);
    for (int i = 0; i < total; ++i) {
        Header h;
        if (at + CentralFixedSize > cdSize
            || !ReadHeader(QByteArray::fromRawData(m_directory.constData() + at, qsizetype(cdSize - at)),
                           CentralSignature, CentralFixedSize, 24, true, h))
            return Fail(error, Cause::Damaged, Damaged);
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
            return Fail(error, Cause::Damaged, Damaged);
        entry.headersEnciphered = h.enciphered;
        const qint64 extraAt = at + CentralFixedSize + h.name.size();
        at = extraAt + extra + comment;
        if (at > cdSize)
            return Fail(error, Cause::Damaged, Damaged);
        entry.extra = QByteArray(reinterpret_cast<const char*>(cd + extraAt), extra);
        entry.name = DecodeName(h.name, entry.flags, entry.extra);

        // The local header says how long its name and extra field are: the data follows them.
        QByteArray localBytes;
        Header local;
        if (qint64(entry.localHeaderOffset) + LocalFixedSize > cdOffset
            || !fetchAll(entry.localHeaderOffset, LocalFixedSize, localBytes)
            || !ReadHeader(localBytes, LocalSignature, LocalFixedSize, 22, false, local))
            return Fail(error, Cause::Damaged, Damaged);
        entry.dataOffset = qint64(entry.localHeaderOffset) + LocalFixedSize + U16(local.fixed + 22) + U16(local.fixed + 24);
        // The data must lie between its local header and the central directory.
        if (entry.dataOffset + entry.compressedSize > cdOffset)
            return Fail(error, Cause::Damaged, Damaged);
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
            return Fail(error, Cause::Damaged, Damaged);
    return true;
}

int ZipReader::find(const QString& name) const
{
    for (int i = 0; i < m_entries.size(); ++i)
        if (m_entries[i].name == name)
            return i;
    return -1;
}

qint64 ZipReader::totalCompressed() const
{
    qint64 total = 0;
    for (const EntryInfo& e : m_entries)
        total += e.compressedSize;
    return total;
}

bool ZipReader::copyRaw(int index, QIODevice& out) const
{
    const EntryInfo& e = m_entries.at(index);
    QByteArray piece;
    for (qint64 done = 0; done < e.compressedSize;) {
        const qint64 n = qMin<qint64>(Piece, e.compressedSize - done);
        if (!fetchAll(e.dataOffset + done, n, piece) || out.write(piece) != n)
            return false;
        done += n;
    }
    return true;
}

zip::Outcome ZipReader::read(int index, const Sink& sink, const std::function<void(qint64)>& progress) const
{
    zip::Outcome outcome;
    outcome.ok = readEntry(index, sink, progress, &outcome);
    return outcome;
}

bool ZipReader::readEntry(int index, const Sink& sink, const std::function<void(qint64)>& progress, Outcome* error) const
{
    if (index < 0 || index >= m_entries.size())
        return Fail(error, Cause::Missing, QStringLiteral("压缩文件中没有该文件"));
    const EntryInfo& e = m_entries[index];
    if (e.flags & FlagEncrypted)
        return Fail(error, Cause::Encrypted, QStringLiteral("文件已加密: %1").arg(e.name));
    if (e.uncompressedSize > MaxEntrySize)
        return Fail(error, Cause::TooLarge, QStringLiteral("文件过大: %1").arg(e.name));
    quint32 crc = 0;
    auto deliver = [&](const char* data, qint64 n) {
        crc = Crc32(crc, data, n);
        return sink(data, n);
    };

    if (e.method == MethodStored) {
        if (e.compressedSize != e.uncompressedSize)
            return Fail(error, Cause::Damaged, Damaged);
        QByteArray piece;
        for (qint64 done = 0; done < e.compressedSize;) {
            const qint64 n = qMin<qint64>(Piece, e.compressedSize - done);
            if (!fetchAll(e.dataOffset + done, n, piece))
                return Fail(error, Cause::Damaged, Damaged);
            if (!deliver(piece.constData(), n))
                return Fail(error, Cause::Refused, QStringLiteral("无法写入数据"));
            done += n;
            if (progress)
                progress(done);
        }
    } else if (e.method == MethodDeflated && e.uncompressedSize <= WholeBufferLimit && !MostlyStored(e)) {
        LargeBuffer out(size_t(e.uncompressedSize));
        if (!out.ok())
            return Fail(error, Cause::NoMemory, QStringLiteral("内存不足: %1").arg(e.name));
        if (!inflateInto(e, out.data(), error))
            return false;
        for (qint64 done = 0; done < e.uncompressedSize;) {
            const qint64 n = qMin<qint64>(Piece, e.uncompressedSize - done);
            if (!deliver(out.data() + done, n))
                return Fail(error, Cause::Refused, QStringLiteral("无法写入数据"));
            done += n;
        }
        if (progress)
            progress(e.compressedSize);
    } else if (e.method == MethodDeflated) {
        z_stream z{};
        if (inflateInit2(&z, -MAX_WBITS) != Z_OK)
            return Fail(error, Cause::NoMemory, QStringLiteral("解压初始化失败"));
        struct End {
            z_stream* z;
            ~End() { inflateEnd(z); }
        } guard{&z};
        QByteArray in;
        static thread_local QByteArray out(Piece, Qt::Uninitialized);
        qint64 consumed = 0, produced = 0;
        int status = Z_OK;
        while (status != Z_STREAM_END) {
            if (z.avail_in == 0) {
                const qint64 left = e.compressedSize - consumed;
                if (left <= 0 || !fetchAll(e.dataOffset + consumed, qMin(Piece, left), in))
                    return Fail(error, Cause::Damaged, Damaged);  // data ended before the stream did
                z.next_in = reinterpret_cast<Bytef*>(in.data());
                z.avail_in = uInt(in.size());
                consumed += in.size();
            }
            z.next_out = reinterpret_cast<Bytef*>(out.data());
            z.avail_out = uInt(out.size());
            status = inflate(&z, Z_NO_FLUSH);
            if (status != Z_OK && status != Z_STREAM_END)
                return Fail(error, Cause::Damaged, Damaged);
            const qint64 n = out.size() - z.avail_out;
            produced += n;
            if (produced > e.uncompressedSize)
                return Fail(error, Cause::Damaged, Damaged);  // more than the headers declare
            if (n > 0 && !deliver(out.constData(), n))
                return Fail(error, Cause::Refused, QStringLiteral("无法写入数据"));
            if (progress)
                progress(consumed - z.avail_in);
        }
        if (produced != e.uncompressedSize)
            return Fail(error, Cause::Damaged, Damaged);
    } else {
        return Fail(error, e.method == MethodAes ? Cause::Encrypted : Cause::Unsupported, e.method == MethodAes ? QStringLiteral("文件已加密: %1").arg(e.name) : QStringLiteral("不支持的压缩方法: %1").arg(e.name));
    }
    if (crc != e.crc32)
        return Fail(error, Cause::Damaged, QStringLiteral("校验错误: %1").arg(e.name));
    return true;
}

bool ZipReader::inflateInto(const EntryInfo& e, char* out, Outcome* error) const
{
    // Deflate cannot grow data more than about 1032 times: a larger claim is a lie.
    if (qint64(e.uncompressedSize) > qint64(e.compressedSize) * 1032 + 1024)
        return Fail(error, Cause::Damaged, Damaged);
    LargeBuffer in(size_t(e.compressedSize));
    size_t produced = 0;
    if (!in.ok())
        return Fail(error, Cause::NoMemory, QStringLiteral("内存不足: %1").arg(e.name));
    if (!fetch(e.dataOffset, e.compressedSize, in.data())
        || libdeflate_deflate_decompress(Decompressor(), in.data(), in.size(), out, size_t(e.uncompressedSize),
                                         &produced) != LIBDEFLATE_SUCCESS
        || qint64(produced) != e.uncompressedSize)
        return Fail(error, Cause::Damaged, Damaged);
    return true;
}

ZipReader::Contents ZipReader::readAll(int index) const
{
    Contents contents;
    if (index >= 0 && index < m_entries.size()) {
        // Inflated straight into what is returned, without a second copy.
        const EntryInfo& e = m_entries.at(index);
        if (e.method == MethodDeflated && !(e.flags & FlagEncrypted) && e.uncompressedSize <= WholeBufferLimit) {
            contents.bytes = QByteArray(qsizetype(e.uncompressedSize), Qt::Uninitialized);
            if (!inflateInto(e, contents.bytes.data(), &contents.outcome)) {
                contents.bytes.clear();
                return contents;
            }
            if (Crc32(0, contents.bytes.constData(), contents.bytes.size()) != e.crc32) {
                contents.bytes.clear();
                Fail(&contents.outcome, Cause::Damaged, QStringLiteral("校验错误: %1").arg(e.name));
                return contents;
            }
            contents.outcome.ok = true;
            return contents;
        }
        contents.bytes.reserve(qsizetype(qMin<qint64>(e.uncompressedSize, WholeBufferLimit)));
    }
    QByteArray& out = contents.bytes;
    contents.outcome.ok = readEntry(index, [&out](const char* d, qint64 n) { out.append(d, n); return true; }, {},
                                    &contents.outcome);
    if (!contents.outcome.ok)
        out.clear();
    return contents;
}

ZipReader::Contents ZipReader::readAll(const QString& name) const
{
    const int index = find(name);
    if (index < 0) {
        Contents missing;
        Fail(&missing.outcome, Cause::Missing, QStringLiteral("压缩文件中没有 %1").arg(name));
        return missing;
    }
    return readAll(index);
}
