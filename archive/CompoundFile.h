#pragma once
// The compound file of the binary Office formats (OLE structured storage, [MS-CFB]), read-only
// and from memory: header, DIFAT, FAT, mini stream and directory. Nothing in the file is
// trusted: every sector number is bounded by the file, every chain is followed at most as far
// as the file has sectors and checked for loops, every stream is capped by what the file holds.
// Word 97–2003 documents live in one, as do spreadsheets and presentations.
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>

namespace cfb {

// D0 CF 11 E0 A1 B1 1A E1, the first eight bytes of every compound file.
inline constexpr char Signature[8] = {'\xD0', '\xCF', '\x11', '\xE0', '\xA1', '\xB1', '\x1A', '\xE1'};
bool HasSignature(const QByteArray& head);

enum class Status {
    Ok,
    NotCompound,  // no compound-file signature
    Damaged,      // a header, chain or directory that no writer makes
};

// A stream as read: its bytes when the status is Ok.
struct Stream {
    Status status = Status::Damaged;
    QByteArray bytes;
    bool ok() const { return status == Status::Ok; }
};

class CompoundFile {
public:
    // Parses the header, the allocation tables and the directory; status() says how it went.
    explicit CompoundFile(QByteArray data);

    Status status() const { return m_status; }
    bool ok() const { return m_status == Status::Ok; }
    // The streams of the root storage, by name as stored.
    QStringList streams() const;
    bool hasStream(const QString& name) const;  // names compare without letter case, as the format does
    Stream stream(const QString& name) const;   // Damaged also for a stream that is not there

private:
    struct Entry {
        QString name;
        int type = 0;  // 1 storage, 2 stream, 5 root
        quint32 left = 0, right = 0, child = 0;
        quint32 start = 0;
        quint64 size = 0;
    };
    bool parse();
    bool readFat(quint32 fatSectors, quint32 firstDifat, quint32 difatSectors);
    // The sectors of a chain from start, at most limit of them; empty on a loop or a bad link.
    QVector<quint32> chain(const QVector<quint32>& table, quint32 start, qint64 limit, bool* ok) const;
    QByteArray sectors(const QVector<quint32>& list) const;
    int findRootStream(const QString& name) const;

    QByteArray m_data;
    Status m_status = Status::Damaged;
    int m_sectorShift = 9;
    int m_miniShift = 6;
    quint32 m_miniCutoff = 4096;
    quint32 m_miniFatStart = 0;
    quint32 m_miniFatSectors = 0;
    qint64 m_sectorCount = 0;
    QVector<quint32> m_fat;
    QVector<quint32> m_miniFat;
    QByteArray m_miniStream;
    QVector<Entry> m_entries;
    QVector<int> m_rootStreams;  // indexes into m_entries
};

} // namespace cfb
