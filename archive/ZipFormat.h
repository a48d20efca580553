#pragma once
// ZIP archive records as this engine reads and writes them (APPNOTE), with the header
// encryption of submission packages: signatures "PL" instead of "PK", the fixed fields and the
// name after them enciphered under PkCipher::HeaderKey, the keys reset before every header.
#include <QByteArray>
#include <QString>
#include <functional>

namespace zip {

// Why an archive operation failed.
enum class Cause {
    None,
    NotArchive,   // not a ZIP archive at all
    Damaged,      // cut short, inconsistent, or failing its check
    Encrypted,    // the data is enciphered (only headers are, in packages)
    Unsupported,  // a compression method or layout the engine does not read
    TooLarge,     // beyond the engine's bounds
    NoMemory,
    Refused,      // the receiver of the data stopped taking it (its own failure, said by it)
    Missing,      // no such entry
    Unreadable,   // the file cannot be opened (systemError says why)
    WriteFailed,  // the output could not be written (systemError says why)
};

// How an archive operation ended: error says what failed and where, for the user.
struct Outcome {
    bool ok = false;
    QString error;
    Cause cause = Cause::None;
    int systemError = 0;  // errno where the system refused
};

inline constexpr quint32 LocalSignature = 0x04034b50;      // PK 03 04
inline constexpr quint32 CentralSignature = 0x02014b50;    // PK 01 02
inline constexpr quint32 EndSignature = 0x06054b50;        // PK 05 06
inline constexpr unsigned char PlainMark = 0x4b;            // 'K'
inline constexpr unsigned char EncipheredMark = 0x4c;       // 'L'
inline constexpr int LocalFixedSize = 30;
inline constexpr int CentralFixedSize = 46;
inline constexpr int EndRecordSize = 22;
inline constexpr quint16 FlagEncrypted = 0x0001;
inline constexpr quint16 FlagUtf8Name = 0x0800;
inline constexpr quint16 MethodStored = 0;
inline constexpr quint16 MethodDeflated = 8;
inline constexpr quint16 MethodAes = 99;  // WinZip's AES encryption
// An entry that would inflate beyond this is not an application document: refuse it.
inline constexpr qint64 MaxEntrySize = 512LL * 1024 * 1024;
// Nor is an archive larger than this.
inline constexpr qint64 MaxArchiveSize = 2048LL * 1024 * 1024;

// The deflate levels of the archive components and their flag bits 1-2.
enum DeflateType { dtDeflateS = 0, dtDeflateF = 1, dtDeflateN = 2, dtDeflateX = 3 };
quint16 DeflateFlags(int deflateType);
// The deflate level of a type: 1, 3, 6 (normal) or 9.
int CompressionLevel(int deflateType);

// The CRC-32 of APPNOTE, continued from crc over size bytes (crc 0 to start).
quint32 Crc32(quint32 crc, const void* data, qint64 size);

// Info-ZIP's Unicode Path extra field: the entry's name in UTF-8 beside the name as stored,
// tied to it by the stored name's CRC-32, so that readers that know it get every character.
inline constexpr quint16 UnicodePathTag = 0x7075;
QByteArray UnicodePathField(const QByteArray& storedName, const QString& name);
// The name an extra field block gives, when it has a Unicode Path field whose CRC-32 matches
// the stored name; empty otherwise.
QString UnicodePathName(const QByteArray& extra, const QByteArray& storedName);

struct EntryInfo {
    QByteArray rawName;     // the name's bytes as stored
    QString name;           // decoded: the Unicode Path field's, else UTF-8 when flagged, else GB 18030
    QByteArray extra;       // the central header's extra field block
    quint16 versionMadeBy = 0;
    quint16 versionNeeded = 0;
    quint16 flags = 0;
    quint16 method = 0;
    quint16 dosTime = 0;
    quint16 dosDate = 0;
    quint32 crc32 = 0;
    quint32 compressedSize = 0;
    quint32 uncompressedSize = 0;
    quint16 internalAttributes = 0;
    quint32 externalAttributes = 0;
    quint32 localHeaderOffset = 0;
    qint64 dataOffset = 0;        // where the compressed data starts
    bool headersEnciphered = false;
};

// What the archive operations tell their caller while they run. Every member may be empty.
struct Events {
    std::function<void(const QString& path)> begin;                     // an entry begins
    std::function<void(int entryPercent, int archivePercent)> progress;
    std::function<void()> end;                                          // the run ended
    std::function<void(const QString& name, const Outcome& result)> tested;  // one entry tested
};

} // namespace zip
