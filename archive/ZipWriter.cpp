#include "ZipWriter.h"

#include "PkCipher.h"

#include <QBuffer>
#include <QIODevice>
#include <QtEndian>
#include <algorithm>
#include <zlib.h>

using namespace zip;

namespace {

void Put16(QByteArray& b, quint16 v)
{
    char c[2];
    qToLittleEndian(v, c);
    b.append(c, 2);
}

void Put32(QByteArray& b, quint32 v)
{
    char c[4];
    qToLittleEndian(v, c);
    b.append(c, 4);
}

constexpr quint16 Version = 20;

} // namespace

ZipWriter::ZipWriter(QIODevice* out, bool encryptHeaders) : m_out(out), m_encrypt(encryptHeaders) {}

bool ZipWriter::fail(const QString& text)
{
    m_error = text;
    return false;
}

QByteArray ZipWriter::header(const EntryInfo& e, bool central) const
{
    QByteArray b;
    Put32(b, central ? CentralSignature : LocalSignature);
    if (central)
        Put16(b, e.versionMadeBy);
    Put16(b, e.versionNeeded);
    Put16(b, e.flags);
    Put16(b, e.method);
    Put16(b, e.dosTime);
    Put16(b, e.dosDate);
    Put32(b, e.crc32);
    Put32(b, e.compressedSize);
    Put32(b, e.uncompressedSize);
    Put16(b, quint16(e.rawName.size()));
    Put16(b, quint16(e.extra.size()));
    if (central) {
        Put16(b, 0);  // comment length
        Put16(b, 0);  // disk number start
        Put16(b, e.internalAttributes);
        Put32(b, e.externalAttributes);
        Put32(b, e.localHeaderOffset);
    }
    b.append(e.rawName);
    if (m_encrypt) {
        b[1] = char(EncipheredMark);
        PkCipher cipher(PkCipher::HeaderKey);
        cipher.encrypt(reinterpret_cast<unsigned char*>(b.data()) + 4, b.size() - 4);
    }
    return b + e.extra;  // the extra field stays plain
}

bool ZipWriter::add(const Entry& entry, const char* data, qint64 size, const std::function<void(qint64)>& progress)
{
    if (size > MaxEntrySize)
        return fail(QStringLiteral("文件过大"));
    if (entry.rawName.size() > 0xffff || entry.extra.size() > 0xffff || m_written.size() >= 0xffff)
        return fail(QStringLiteral("文件名过长"));
    EntryInfo e;
    e.rawName = entry.rawName;
    e.extra = entry.extra;
    e.versionMadeBy = Version;
    e.versionNeeded = Version;
    e.method = entry.deflateType < 0 ? MethodStored : MethodDeflated;
    e.flags = (entry.utf8Name ? FlagUtf8Name : 0) | (e.method == MethodDeflated ? DeflateFlags(entry.deflateType) : 0);
    e.dosTime = entry.dosTime;
    e.dosDate = entry.dosDate;
    e.internalAttributes = entry.internalAttributes;
    e.externalAttributes = entry.externalAttributes;
    e.uncompressedSize = quint32(size);
    e.localHeaderOffset = quint32(m_out->pos());
    if (m_out->pos() > 0xffffffffLL)
        return fail(QStringLiteral("压缩文件过大"));

    // The header goes first with sizes unknown, and is written again once they are.
    const qint64 headerAt = m_out->pos();
    if (m_out->write(header(e, false)) < 0)
        return fail(m_out->errorString());
    const qint64 dataAt = m_out->pos();
    e.crc32 = quint32(crc32(0, reinterpret_cast<const Bytef*>(data), 0));

    constexpr qint64 Piece = 1 << 20;
    if (e.method == MethodStored) {
        for (qint64 done = 0; done < size;) {
            const qint64 n = qMin(Piece, size - done);
            e.crc32 = quint32(crc32(e.crc32, reinterpret_cast<const Bytef*>(data + done), uInt(n)));
            if (m_out->write(data + done, n) != n)
                return fail(m_out->errorString());
            done += n;
            if (progress)
                progress(done);
        }
    } else {
        z_stream z{};
        if (deflateInit2(&z, ZlibLevel(entry.deflateType), Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK)
            return fail(QStringLiteral("压缩初始化失败"));
        struct End {
            z_stream* z;
            ~End() { deflateEnd(z); }
        } guard{&z};
        static thread_local QByteArray out(1 << 18, Qt::Uninitialized);
        qint64 done = 0;
        int status = Z_OK;
        while (status != Z_STREAM_END) {
            if (z.avail_in == 0 && done < size) {
                const qint64 n = qMin(Piece, size - done);
                z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data + done));
                z.avail_in = uInt(n);
                e.crc32 = quint32(crc32(e.crc32, z.next_in, uInt(n)));
                done += n;
            }
            z.next_out = reinterpret_cast<Bytef*>(out.data());
            z.avail_out = uInt(out.size());
            status = deflate(&z, done == size && z.avail_in == 0 ? Z_FINISH : Z_NO_FLUSH);
            if (status == Z_STREAM_ERROR)
                return fail(QStringLiteral("压缩失败"));
            const qint64 n = out.size() - z.avail_out;
            if (n > 0 && m_out->write(out.constData(), n) != n)
                return fail(m_out->errorString());
            if (progress)
                progress(done - z.avail_in);
        }
    }
    const qint64 compressed = m_out->pos() - dataAt;
    if (compressed > 0xffffffffLL)
        return fail(QStringLiteral("压缩文件过大"));
    e.compressedSize = quint32(compressed);
    const qint64 endAt = m_out->pos();
    if (!m_out->seek(headerAt) || m_out->write(header(e, false)) < 0 || !m_out->seek(endAt))
        return fail(m_out->errorString());
    m_written.append(e);
    return true;
}

bool ZipWriter::addRaw(const EntryInfo& entry, const char* compressed)
{
    EntryInfo e = entry;
    e.extra.clear();  // what another program put there is not this archive's to repeat
    e.versionMadeBy = Version;
    e.flags &= quint16(~0x0008);  // sizes stand in the header; no data descriptor follows
    e.localHeaderOffset = quint32(m_out->pos());
    if (m_out->pos() > 0xffffffffLL)
        return fail(QStringLiteral("压缩文件过大"));
    if (m_out->write(header(e, false)) < 0 || m_out->write(compressed, e.compressedSize) != e.compressedSize)
        return fail(m_out->errorString());
    m_written.append(e);
    return true;
}

bool ZipWriter::finish()
{
    const qint64 cdAt = m_out->pos();
    m_directory.clear();
    for (const EntryInfo& e : m_written)
        m_directory += header(e, true);
    if (cdAt > 0xffffffffLL)
        return fail(QStringLiteral("压缩文件过大"));
    const quint32 cdSize = quint32(m_directory.size());
    Put32(m_directory, EndSignature);
    Put16(m_directory, 0);
    Put16(m_directory, 0);
    Put16(m_directory, quint16(m_written.size()));
    Put16(m_directory, quint16(m_written.size()));
    Put32(m_directory, cdSize);
    Put32(m_directory, quint32(cdAt));
    Put16(m_directory, 0);
    if (m_out->write(m_directory) != m_directory.size())
        return fail(m_out->errorString());
    return true;
}

QByteArray ZipInMemory(const QVector<std::pair<QString, QByteArray>>& parts, int deflateType)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    ZipWriter writer(&buffer, false);
    for (const auto& [name, data] : parts) {
        ZipWriter::Entry entry;
        entry.rawName = name.toUtf8();
        entry.utf8Name = std::any_of(name.cbegin(), name.cend(), [](QChar c) { return c.unicode() > 127; });
        entry.deflateType = deflateType;
        writer.add(entry, data.constData(), data.size());
    }
    writer.finish();
    return bytes;
}
