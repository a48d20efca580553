#include "ZipWriter.h"

#include "LargeBuffer.h"
#include "PkCipher.h"
#include "ZipReader.h"

#include <QBuffer>
#include <QIODevice>
#include <QtEndian>
#include <algorithm>
#include <libdeflate.h>
#include <optional>

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

// One compressor a level and a thread, made at its first use.
libdeflate_compressor* Compressor(int level)
{
    struct Holder {
        libdeflate_compressor* levels[13] = {};
        ~Holder()
        {
            for (libdeflate_compressor* c : levels)
                libdeflate_free_compressor(c);
        }
    };
    static thread_local Holder holder;
    level = qBound(1, level, 12);
    if (!holder.levels[level])
        holder.levels[level] = libdeflate_alloc_compressor(level);
    return holder.levels[level];
}

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

    // The whole input is at hand: its CRC and its deflated form first, then the header with
    // their sizes and the data, each written once.
    e.crc32 = Crc32(0, data, size);
    std::optional<LargeBuffer> deflated;
    const char* stored = data;
    qint64 storedSize = size;
    if (e.method == MethodDeflated) {
        libdeflate_compressor* compressor = Compressor(CompressionLevel(entry.deflateType));
        if (!compressor)
            return fail(QStringLiteral("压缩初始化失败"));
        deflated.emplace(libdeflate_deflate_compress_bound(compressor, size_t(size)));
        if (!deflated->ok())
            return fail(QStringLiteral("内存不足，无法压缩"));
        const size_t n = libdeflate_deflate_compress(compressor, data, size_t(size), deflated->data(), deflated->size());
        if (n == 0)
            return fail(QStringLiteral("压缩失败"));
        stored = deflated->data();
        storedSize = qint64(n);
    }
    if (progress)
        progress(size);
    if (storedSize > 0xffffffffLL)
        return fail(QStringLiteral("压缩文件过大"));
    e.compressedSize = quint32(storedSize);
    if (m_out->write(header(e, false)) < 0)
        return fail(m_out->errorString());
    constexpr qint64 Piece = 1 << 22;
    for (qint64 done = 0; done < storedSize;) {
        const qint64 n = qMin(Piece, storedSize - done);
        if (m_out->write(stored + done, n) != n)
            return fail(m_out->errorString());
        done += n;
    }
    m_written.append(e);
    return true;
}

bool ZipWriter::addRaw(const EntryInfo& entry, const ZipReader& from, int index)
{
    EntryInfo e = entry;
    e.extra.clear();  // what another program put there is not this archive's to repeat
    e.versionMadeBy = Version;
    e.flags &= quint16(~0x0008);  // sizes stand in the header; no data descriptor follows
    e.localHeaderOffset = quint32(m_out->pos());
    if (m_out->pos() > 0xffffffffLL)
        return fail(QStringLiteral("压缩文件过大"));
    if (m_out->write(header(e, false)) < 0 || !from.copyRaw(index, *m_out))
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
