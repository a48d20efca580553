#include "ZipReader.h"

#include "LargeBuffer.h"
#include "ZipReaderInternal.h"

#include <QIODevice>
#include <libdeflate.h>
#include <zlib.h>

using namespace zip;
using namespace zip::reading;

libdeflate_decompressor* zip::reading::Decompressor()
{
    struct Holder {
        libdeflate_decompressor* d = libdeflate_alloc_decompressor();
        ~Holder() { libdeflate_free_decompressor(d); }
    };
    static thread_local Holder holder;
    return holder.d;
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
        piece = fetchAll(e.dataOffset + done, n).value_or(QByteArray());
        if (piece.size() != n || out.write(piece) != n)
            return false;
        done += n;
    }
    return true;
}

zip::Outcome ZipReader::read(int index, const Sink& sink, const std::function<void(qint64)>& progress) const
{
    if (index < 0 || index >= m_entries.size())
        return Failed(Cause::Missing, QStringLiteral("压缩文件中没有该文件"));
    const EntryInfo& e = m_entries[index];
    if (e.flags & FlagEncrypted)
        return Failed(Cause::Encrypted, QStringLiteral("文件已加密: %1").arg(e.name));
    if (e.uncompressedSize > MaxEntrySize)
        return Failed(Cause::TooLarge, QStringLiteral("文件过大: %1").arg(e.name));
    quint32 crc = 0;
    auto deliver = [&](const char* data, qint64 n) {
        crc = Crc32(crc, data, n);
        return sink(data, n);
    };

    if (e.method == MethodStored) {
        if (e.compressedSize != e.uncompressedSize)
            return Failed(Cause::Damaged, DamagedText);
        QByteArray piece;
        for (qint64 done = 0; done < e.compressedSize;) {
            const qint64 n = qMin<qint64>(Piece, e.compressedSize - done);
            piece = fetchAll(e.dataOffset + done, n).value_or(QByteArray());
            if (piece.size() != n)
                return Failed(Cause::Damaged, DamagedText);
            if (!deliver(piece.constData(), n))
                return Failed(Cause::Refused, QStringLiteral("无法写入数据"));
            done += n;
            if (progress)
                progress(done);
        }
    } else if (e.method == MethodDeflated && e.uncompressedSize <= WholeBufferLimit && !MostlyStored(e)) {
        LargeBuffer out(size_t(e.uncompressedSize));
        if (!out.ok())
            return Failed(Cause::NoMemory, QStringLiteral("内存不足: %1").arg(e.name));
        if (const Outcome inflated = inflateInto(e, out.data()); !inflated.ok)
            return inflated;
        for (qint64 done = 0; done < e.uncompressedSize;) {
            const qint64 n = qMin<qint64>(Piece, e.uncompressedSize - done);
            if (!deliver(out.data() + done, n))
                return Failed(Cause::Refused, QStringLiteral("无法写入数据"));
            done += n;
        }
        if (progress)
            progress(e.compressedSize);
    } else if (e.method == MethodDeflated) {
        z_stream z{};
        if (inflateInit2(&z, -MAX_WBITS) != Z_OK)
            return Failed(Cause::NoMemory, QStringLiteral("解压初始化失败"));
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
                if (left > 0)
                    in = fetchAll(e.dataOffset + consumed, qMin(Piece, left)).value_or(QByteArray());
                if (left <= 0 || in.isEmpty())
                    return Failed(Cause::Damaged, DamagedText);  // data ended before the stream did
                z.next_in = reinterpret_cast<Bytef*>(in.data());
                z.avail_in = uInt(in.size());
                consumed += in.size();
            }
            z.next_out = reinterpret_cast<Bytef*>(out.data());
            z.avail_out = uInt(out.size());
            status = inflate(&z, Z_NO_FLUSH);
            if (status != Z_OK && status != Z_STREAM_END)
                return Failed(Cause::Damaged, DamagedText);
            const qint64 n = out.size() - z.avail_out;
            produced += n;
            if (produced > e.uncompressedSize)
                return Failed(Cause::Damaged, DamagedText);  // more than the headers declare
            if (n > 0 && !deliver(out.constData(), n))
                return Failed(Cause::Refused, QStringLiteral("无法写入数据"));
            if (progress)
                progress(consumed - z.avail_in);
        }
        if (produced != e.uncompressedSize)
            return Failed(Cause::Damaged, DamagedText);
    } else {
        return Failed(e.method == MethodAes ? Cause::Encrypted : Cause::Unsupported, e.method == MethodAes ? QStringLiteral("文件已加密: %1").arg(e.name) : QStringLiteral("不支持的压缩方法: %1").arg(e.name));
    }
    if (crc != e.crc32)
        return Failed(Cause::Damaged, QStringLiteral("校验错误: %1").arg(e.name));
    return Succeeded();
}

Outcome ZipReader::inflateInto(const EntryInfo& e, char* out) const
{
    // Deflate cannot grow data more than about 1032 times: a larger claim is a lie.
    if (qint64(e.uncompressedSize) > qint64(e.compressedSize) * 1032 + 1024)
        return Failed(Cause::Damaged, DamagedText);
    LargeBuffer in(size_t(e.compressedSize));
    size_t produced = 0;
    if (!in.ok())
        return Failed(Cause::NoMemory, QStringLiteral("内存不足: %1").arg(e.name));
    if (!fetch(e.dataOffset, e.compressedSize, in.data())
        || libdeflate_deflate_decompress(Decompressor(), in.data(), in.size(), out, size_t(e.uncompressedSize),
                                         &produced) != LIBDEFLATE_SUCCESS
        || qint64(produced) != e.uncompressedSize)
        return Failed(Cause::Damaged, DamagedText);
    return Succeeded();
}

ZipReader::Contents ZipReader::readAll(int index) const
{
    Contents contents;
    if (index >= 0 && index < m_entries.size()) {
        // Inflated straight into what is returned, without a second copy.
        const EntryInfo& e = m_entries.at(index);
        if (e.method == MethodDeflated && !(e.flags & FlagEncrypted) && e.uncompressedSize <= WholeBufferLimit) {
            contents.bytes = QByteArray(qsizetype(e.uncompressedSize), Qt::Uninitialized);
            contents.outcome = inflateInto(e, contents.bytes.data());
            if (contents.outcome.ok && Crc32(0, contents.bytes.constData(), contents.bytes.size()) != e.crc32)
                contents.outcome = Failed(Cause::Damaged, QStringLiteral("校验错误: %1").arg(e.name));
            if (!contents.outcome.ok)
                contents.bytes.clear();
            return contents;
        }
        contents.bytes.reserve(qsizetype(qMin<qint64>(e.uncompressedSize, WholeBufferLimit)));
    }
    QByteArray& out = contents.bytes;
    contents.outcome = read(index, [&out](const char* d, qint64 n) { out.append(d, n); return true; });
    if (!contents.outcome.ok)
        out.clear();
    return contents;
}

ZipReader::Contents ZipReader::readAll(const QString& name) const
{
    const int index = find(name);
    if (index < 0) {
        Contents missing;
        missing.outcome = Failed(Cause::Missing, QStringLiteral("压缩文件中没有 %1").arg(name));
        return missing;
    }
    return readAll(index);
}
