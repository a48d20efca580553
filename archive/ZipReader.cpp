#include "ZipReader.h"

#include "Gb18030.h"
#include "PkCipher.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <algorithm>
#include <QtEndian>
#include <cstring>
#include <zlib.h>

using namespace zip;

namespace {

const QString NotAnArchive = QStringLiteral("不是有效的压缩文件");
const QString Damaged = QStringLiteral("压缩文件已损坏");

quint16 U16(const unsigned char* p) { return qFromLittleEndian<quint16>(p); }
quint32 U32(const unsigned char* p) { return qFromLittleEndian<quint32>(p); }

bool Fail(QString* error, const QString& text)
{
    if (error)
        *error = text;
    return false;
}

// A header's bytes after its signature, deciphered when the signature says so; the name
// follows with the same running key stream.
struct Header {
    unsigned char fixed[CentralFixedSize - 4];
    QByteArray name;
    bool enciphered = false;
};

bool ReadHeader(const unsigned char* base, qint64 size, qint64 at, quint32 plainSignature, int fixedSize,
                int nameLengthOffset, Header& out)
{
    if (at < 0 || at + fixedSize > size)
        return false;
    const unsigned char* p = base + at;
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
    const quint16 nameLength = U16(out.fixed + nameLengthOffset);
    if (at + fixedSize + nameLength > size)
        return false;
    out.name = QByteArray(reinterpret_cast<const char*>(p + fixedSize), nameLength);
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

} // namespace

ZipReader::~ZipReader() = default;

std::unique_ptr<ZipReader> ZipReader::openFile(const QString& path, QString* error)
{
    // A pipe, a device or a folder would block or mean nothing: only files are archives.
    const QFileInfo info(path);
    if (info.exists() && !info.isFile()) {
        Fail(error, QStringLiteral("%1 不是文件").arg(path));
        return nullptr;
    }
    std::unique_ptr<ZipReader> reader(new ZipReader);
    reader->m_file = std::make_unique<QFile>(path);
    if (!reader->m_file->open(QIODevice::ReadOnly)) {
        Fail(error, QStringLiteral("无法打开文件 %1").arg(path));
        return nullptr;
    }
    return reader->loadFile(error) ? std::move(reader) : nullptr;
}

std::unique_ptr<ZipReader> ZipReader::openDescriptor(int fd, QString* error)
{
    std::unique_ptr<ZipReader> reader(new ZipReader);
    reader->m_file = std::make_unique<QFile>();
    if (!reader->m_file->open(fd, QIODevice::ReadOnly, QFileDevice::DontCloseHandle)) {
        Fail(error, NotAnArchive);
        return nullptr;
    }
    return reader->loadFile(error) ? std::move(reader) : nullptr;
}

bool ZipReader::loadFile(QString* error)
{
    m_size = m_file->size();
    if (m_size > MaxArchiveSize)
        return Fail(error, Damaged);
    if (m_size > 0) {
        m_bytes = m_file->map(0, m_size);
        if (!m_bytes) {  // not mappable (a pipe, say): read it whole instead
            m_data = m_file->readAll();
            m_bytes = reinterpret_cast<const unsigned char*>(m_data.constData());
            m_size = m_data.size();
        }
    }
    return parse(error);
}

std::unique_ptr<ZipReader> ZipReader::openData(const QByteArray& data, QString* error)
{
    std::unique_ptr<ZipReader> reader(new ZipReader);
    reader->m_data = data;
    reader->m_bytes = reinterpret_cast<const unsigned char*>(reader->m_data.constData());
    reader->m_size = reader->m_data.size();
    if (!reader->parse(error))
        return nullptr;
    return reader;
}

bool ZipReader::parse(QString* error)
{
    if (m_size < EndRecordSize)
        return Fail(error, NotAnArchive);
    // The end record sits within the last 22 + 65535 bytes (its comment is at most 65535).
    qint64 end = -1;
    const qint64 lowest = qMax<qint64>(0, m_size - EndRecordSize - 0xffff);
    for (qint64 at = m_size - EndRecordSize; at >= lowest; --at) {
        if (U32(m_bytes + at) == EndSignature && at + EndRecordSize + U16(m_bytes + at + 20) <= m_size) {
            end = at;
            break;
        }
    }
    if (end < 0)
        return Fail(error, NotAnArchive);
    const unsigned char* e = m_bytes + end;
    const quint16 disk = U16(e + 4), cdDisk = U16(e + 6);
    const quint16 onDisk = U16(e + 8), total = U16(e + 10);
    const quint32 cdSize = U32(e + 12), cdOffset = U32(e + 16);
    if (disk != 0 || cdDisk != 0 || onDisk != total)
        return Fail(error, QStringLiteral("不支持分卷压缩文件"));
    if (qint64(cdOffset) + cdSize > end)
        return Fail(error, Damaged);

    m_directoryOffset = cdOffset;
    const qint64 cdEnd = qint64(cdOffset) + cdSize;
    qint64 at = cdOffset;
    m_entries.reserve(total);
    for (int i = 0; i < total; ++i) {
        Header h;
        if (!ReadHeader(m_bytes, cdEnd, at, CentralSignature, CentralFixedSize, 24, h))
            return Fail(error, Damaged);
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
        entry.headersEnciphered = h.enciphered;
        const qint64 extraAt = at + CentralFixedSize + h.name.size();
        at = extraAt + extra + comment;
        if (at > cdEnd)
            return Fail(error, Damaged);
        entry.extra = QByteArray(reinterpret_cast<const char*>(m_bytes + extraAt), extra);
        entry.name = DecodeName(h.name, entry.flags, entry.extra);

        Header local;
        if (!ReadHeader(m_bytes, cdOffset, entry.localHeaderOffset, LocalSignature, LocalFixedSize, 22, local))
            return Fail(error, Damaged);
        entry.dataOffset = qint64(entry.localHeaderOffset) + LocalFixedSize + local.name.size() + U16(local.fixed + 24);
        // The data must lie between its local header and the central directory.
        if (entry.dataOffset + entry.compressedSize > cdOffset)
            return Fail(error, Damaged);
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
            return Fail(error, Damaged);
    return true;
}

int ZipReader::find(const QString& name) const
{
    for (int i = 0; i < m_entries.size(); ++i)
        if (m_entries[i].name == name)
            return i;
    return -1;
}

QByteArray ZipReader::directoryBytes() const
{
    return QByteArray(reinterpret_cast<const char*>(m_bytes + m_directoryOffset), m_size - m_directoryOffset);
}

const char* ZipReader::rawData(int index) const
{
    return reinterpret_cast<const char*>(m_bytes + m_entries.at(index).dataOffset);
}

qint64 ZipReader::totalCompressed() const
{
    qint64 total = 0;
    for (const EntryInfo& e : m_entries)
        total += e.compressedSize;
    return total;
}

bool ZipReader::read(int index, const Sink& sink, const std::function<void(qint64)>& progress, QString* error) const
{
    if (index < 0 || index >= m_entries.size())
        return Fail(error, QStringLiteral("压缩文件中没有该文件"));
    const EntryInfo& e = m_entries[index];
    if (e.flags & FlagEncrypted)
        return Fail(error, QStringLiteral("文件已加密: %1").arg(e.name));
    if (e.uncompressedSize > MaxEntrySize)
        return Fail(error, QStringLiteral("文件过大: %1").arg(e.name));
    const unsigned char* in = m_bytes + e.dataOffset;
    quint32 crc = crc32(0, nullptr, 0);

    if (e.method == MethodStored) {
        if (e.compressedSize != e.uncompressedSize)
            return Fail(error, Damaged);
        constexpr qint64 Piece = 1 << 20;
        for (qint64 done = 0; done < e.compressedSize;) {
            const qint64 n = qMin<qint64>(Piece, e.compressedSize - done);
            crc = crc32(crc, in + done, uInt(n));
            if (!sink(reinterpret_cast<const char*>(in + done), n))
                return Fail(error, QStringLiteral("无法写入数据"));
            done += n;
            if (progress)
                progress(done);
        }
    } else if (e.method == MethodDeflated) {
        z_stream z{};
        if (inflateInit2(&z, -MAX_WBITS) != Z_OK)
            return Fail(error, QStringLiteral("解压初始化失败"));
        struct End {
            z_stream* z;
            ~End() { inflateEnd(z); }
        } guard{&z};
        constexpr uInt InPiece = 1 << 20;
        static thread_local QByteArray out(1 << 18, Qt::Uninitialized);
        qint64 consumed = 0, produced = 0;
        int status = Z_OK;
        while (status != Z_STREAM_END) {
            if (z.avail_in == 0) {
                const qint64 left = e.compressedSize - consumed;
                if (left <= 0)
                    return Fail(error, Damaged);  // data ended before the stream did
                z.next_in = const_cast<Bytef*>(in + consumed);
                z.avail_in = uInt(qMin<qint64>(InPiece, left));
                consumed += z.avail_in;
            }
            z.next_out = reinterpret_cast<Bytef*>(out.data());
            z.avail_out = uInt(out.size());
            status = inflate(&z, Z_NO_FLUSH);
            if (status != Z_OK && status != Z_STREAM_END)
                return Fail(error, Damaged);
            const qint64 n = out.size() - z.avail_out;
            produced += n;
            if (produced > e.uncompressedSize)
                return Fail(error, Damaged);  // more than the headers declare
            if (n > 0) {
                crc = crc32(crc, reinterpret_cast<const Bytef*>(out.constData()), uInt(n));
                if (!sink(out.constData(), n))
                    return Fail(error, QStringLiteral("无法写入数据"));
            }
            if (progress)
                progress(consumed - z.avail_in);
        }
        if (produced != e.uncompressedSize)
            return Fail(error, Damaged);
    } else {
        return Fail(error, QStringLiteral("不支持的压缩方法: %1").arg(e.name));
    }
    if (crc != e.crc32)
        return Fail(error, QStringLiteral("校验错误: %1").arg(e.name));
    return true;
}

std::optional<QByteArray> ZipReader::readAll(int index, QString* error) const
{
    QByteArray out;
    if (index >= 0 && index < m_entries.size())
        out.reserve(qsizetype(qMin<qint64>(m_entries[index].uncompressedSize, MaxEntrySize)));
    const bool ok = read(index, [&out](const char* d, qint64 n) { out.append(d, n); return true; }, {}, error);
    if (!ok)
        return std::nullopt;
    return out;
}

std::optional<QByteArray> ZipReader::readAll(const QString& name, QString* error) const
{
    const int index = find(name);
    if (index < 0) {
        Fail(error, QStringLiteral("压缩文件中没有 %1").arg(name));
        return std::nullopt;
    }
    return readAll(index, error);
}
