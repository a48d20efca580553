#pragma once
// What the reader's two halves share: opening and parsing (ZipReader.cpp), and reading entries
// (ZipEntryRead.cpp). Not for use outside the reader.
#include "ZipFormat.h"

#include <QString>
#include <QtEndian>

struct libdeflate_decompressor;

namespace zip::reading {

inline const QString NotAnArchive = QStringLiteral("不是有效的压缩文件");
inline const QString Truncated = QStringLiteral("压缩文件不完整（可能没有下载或复制完）");
inline const QString DamagedText = QStringLiteral("压缩文件已损坏");

// Entries up to this size are inflated in one call into a buffer of their size; larger ones (and
// a crafted archive's claims) are inflated as a stream, whose memory does not grow with them.
constexpr qint64 WholeBufferLimit = 64LL * 1024 * 1024;
constexpr qint64 Piece = 1 << 16;  // small enough to stay in the cache, and to touch little new memory

inline quint16 U16(const unsigned char* p) { return qFromLittleEndian<quint16>(p); }
inline quint32 U32(const unsigned char* p) { return qFromLittleEndian<quint32>(p); }
inline quint64 U64(const unsigned char* p) { return qFromLittleEndian<quint64>(p); }

inline Outcome Failed(Cause cause, const QString& text)
{
    return {false, text, cause};
}
inline Outcome Succeeded()
{
    return {true, {}};
}

// An entry deflate could hardly shrink (pictures, an archive) is mostly stored blocks, which
// zlib's stream copies as fast as libdeflate does, without fresh memory for the whole entry.
inline bool MostlyStored(const EntryInfo& e)
{
    return e.compressedSize * 10 >= e.uncompressedSize * 9;
}

// One decompressor a thread, made at its first use (the intake reads on several threads).
libdeflate_decompressor* Decompressor();

} // namespace zip::reading
