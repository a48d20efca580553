#include "CompoundFile.h"

#include <QtEndian>
#include <cstring>

namespace cfb {

namespace {

constexpr int HeaderSize = 512;
constexpr int HeaderDifatEntries = 109;
constexpr int DirectoryEntrySize = 128;
constexpr quint32 MaxRegularSector = 0xFFFFFFFA;  // above it: the special values
constexpr quint32 EndOfChain = 0xFFFFFFFE;
constexpr quint32 NoStream = 0xFFFFFFFF;
constexpr int TypeStorage = 1;
constexpr int TypeStream = 2;
constexpr int TypeRoot = 5;

quint16 U16(const char* p) { return qFromLittleEndian<quint16>(p); }
quint32 U32(const char* p) { return qFromLittleEndian<quint32>(p); }
quint64 U64(const char* p) { return qFromLittleEndian<quint64>(p); }

} // namespace

bool HasSignature(const QByteArray& head)
{
    return head.size() >= 8 && std::memcmp(head.constData(), Signature, 8) == 0;
}

CompoundFile::CompoundFile(QByteArray data) : m_data(std::move(data))
{
    if (!HasSignature(m_data))
        m_status = Status::NotCompound;
    else
        m_status = parse() ? Status::Ok : Status::Damaged;
}

QVector<quint32> CompoundFile::chain(const QVector<quint32>& table, quint32 start, qint64 limit, bool* ok) const
{
    QVector<quint32> out;
    QVector<bool> seen(table.size(), false);
    *ok = true;
    for (quint32 s = start; s != EndOfChain; s = table.at(s)) {
        // A link outside the table, a special value in the middle, a loop, or more sectors than
        // the caller can need: no writer makes such a chain.
        if (s > MaxRegularSector || s >= quint32(table.size()) || seen.at(s) || out.size() >= limit) {
            *ok = false;
            return {};
        }
        seen[s] = true;
        out.append(s);
    }
    return out;
}

QByteArray CompoundFile::sectors(const QVector<quint32>& list) const
{
    const qint64 size = qint64(1) << m_sectorShift;
    QByteArray out;
    out.reserve(qsizetype(list.size() * size));
    for (const quint32 s : list) {
        const qint64 at = (qint64(s) + 1) * size;
        // The last sector of a file may be cut short; what is missing is not data of any stream.
        out.append(m_data.constData() + at, qsizetype(qMin(size, qint64(m_data.size()) - at)));
    }
    return out;
}

bool CompoundFile::readFat(quint32 fatSectors, quint32 firstDifat, quint32 difatSectors)
{
    if (fatSectors > quint64(m_sectorCount) || difatSectors > quint64(m_sectorCount))
        return false;
    const int perSector = 1 << (m_sectorShift - 2);
    QVector<quint32> fatList;
    for (int i = 0; i < HeaderDifatEntries && fatList.size() < qsizetype(fatSectors); ++i)
        fatList.append(U32(m_data.constData() + 76 + 4 * i));
    quint32 difat = firstDifat;
    QVector<bool> seen(m_sectorCount, false);
    for (quint32 n = 0; fatList.size() < qsizetype(fatSectors); ++n) {
        if (n >= difatSectors || difat >= quint64(m_sectorCount) || seen.at(difat))
            return false;
        seen[difat] = true;
        const char* p = m_data.constData() + (qint64(difat) + 1) * (qint64(1) << m_sectorShift);
        if ((qint64(difat) + 2) * (qint64(1) << m_sectorShift) > m_data.size())
            return false;
        for (int i = 0; i < perSector - 1 && fatList.size() < qsizetype(fatSectors); ++i)
            fatList.append(U32(p + 4 * i));
        difat = U32(p + 4 * (perSector - 1));
    }
    for (const quint32 s : fatList)
        if (s >= quint64(m_sectorCount) || (qint64(s) + 2) * (qint64(1) << m_sectorShift) > m_data.size())
            return false;
    const QByteArray bytes = sectors(fatList);
    m_fat.resize(bytes.size() / 4);
    for (qsizetype i = 0; i < m_fat.size(); ++i)
        m_fat[i] = U32(bytes.constData() + 4 * i);
    // A sector the FAT names must exist in the file.
    if (m_fat.size() > m_sectorCount)
        m_fat.resize(qsizetype(m_sectorCount));
    return true;
}

bool CompoundFile::parse()
{
    if (m_data.size() < HeaderSize)
        return false;
    const char* h = m_data.constData();
    const quint16 major = U16(h + 26);
    const quint16 byteOrder = U16(h + 28);
    m_sectorShift = U16(h + 30);
    m_miniShift = U16(h + 32);
    if (byteOrder != 0xFFFE || !((major == 3 && m_sectorShift == 9) || (major == 4 && m_sectorShift == 12))
        || m_miniShift != 6)
        return false;
    const qint64 sectorSize = qint64(1) << m_sectorShift;
    m_sectorCount = (qint64(m_data.size()) - sectorSize + sectorSize - 1) / sectorSize;
    if (m_sectorCount <= 0)
        return false;
    const quint32 fatSectors = U32(h + 44);
    const quint32 directoryStart = U32(h + 48);
    m_miniCutoff = U32(h + 56);
    m_miniFatStart = U32(h + 60);
    m_miniFatSectors = U32(h + 64);
    if (m_miniCutoff != 4096 || !readFat(fatSectors, U32(h + 68), U32(h + 72)))
        return false;

    bool ok = false;
    const QByteArray directory = sectors(chain(m_fat, directoryStart, m_sectorCount, &ok));
    if (!ok || directory.size() < DirectoryEntrySize)
        return false;
    for (qsizetype at = 0; at + DirectoryEntrySize <= directory.size(); at += DirectoryEntrySize) {
        const char* e = directory.constData() + at;
        Entry entry;
        const int nameBytes = qBound(0, int(U16(e + 64)) - 2, 62) & ~1;
        entry.name = QString::fromUtf16(reinterpret_cast<const char16_t*>(e), nameBytes / 2);
        entry.type = quint8(e[66]);
        entry.left = U32(e + 68);
        entry.right = U32(e + 72);
        entry.child = U32(e + 76);
        entry.start = U32(e + 116);
        // Version 3 files keep only 32 bits of the size; some writers leave the rest undefined.
        entry.size = major == 3 ? U32(e + 120) : U64(e + 120);
        m_entries.append(entry);
    }
    if (m_entries.first().type != TypeRoot)
        return false;

    // The mini stream is the root entry's data; the small streams live in it.
    const Entry& root = m_entries.first();
    if (root.size > quint64(m_data.size()))
        return false;
    if (root.size > 0) {
        m_miniStream = sectors(chain(m_fat, root.start, qint64((root.size + sectorSize - 1) / sectorSize), &ok));
        if (!ok || quint64(m_miniStream.size()) < root.size)
            return false;
        m_miniStream.truncate(qsizetype(root.size));
    }
    if (m_miniFatSectors > 0) {
        const QByteArray miniFat = sectors(chain(m_fat, m_miniFatStart, qMin<qint64>(m_miniFatSectors, m_sectorCount), &ok));
        if (!ok)
            return false;
        m_miniFat.resize(miniFat.size() / 4);
        for (qsizetype i = 0; i < m_miniFat.size(); ++i)
            m_miniFat[i] = U32(miniFat.constData() + 4 * i);
    }

    // The root storage's own entries: its child and that child's siblings, a tree walked
    // without recursion, each entry at most once.
    QVector<bool> seen(m_entries.size(), false);
    QVector<quint32> pending{root.child};
    while (!pending.isEmpty()) {
        const quint32 i = pending.takeLast();
        if (i == NoStream)
            continue;
        if (i >= quint32(m_entries.size()) || seen.at(i))
            return false;
        seen[i] = true;
        const Entry& entry = m_entries.at(i);
        if (entry.type == TypeStream)
            m_rootStreams.append(int(i));
        else if (entry.type != TypeStorage)
            return false;
        pending << entry.left << entry.right;
    }
    return true;
}

QStringList CompoundFile::streams() const
{
    QStringList names;
    for (const int i : m_rootStreams)
        names << m_entries.at(i).name;
    return names;
}

int CompoundFile::findRootStream(const QString& name) const
{
    for (const int i : m_rootStreams)
        if (m_entries.at(i).name.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

bool CompoundFile::hasStream(const QString& name) const
{
    return findRootStream(name) >= 0;
}

Stream CompoundFile::stream(const QString& name) const
{
    const int i = findRootStream(name);
    if (!ok() || i < 0)
        return {};
    const Entry& e = m_entries.at(i);
    bool chained = false;
    QByteArray bytes;
    if (e.size < m_miniCutoff) {
        const qint64 miniSize = qint64(1) << m_miniShift;
        const QVector<quint32> list = chain(m_miniFat, e.start, qint64((e.size + miniSize - 1) / miniSize), &chained);
        if (!chained && e.size > 0)
            return {};
        for (const quint32 s : list) {
            if ((qint64(s) + 1) * miniSize > m_miniStream.size())
                return {};
            bytes.append(m_miniStream.constData() + qint64(s) * miniSize, qsizetype(miniSize));
        }
    } else {
        if (e.size > quint64(m_data.size()))
            return {};
        const qint64 sectorSize = qint64(1) << m_sectorShift;
        bytes = sectors(chain(m_fat, e.start, qint64((e.size + sectorSize - 1) / sectorSize), &chained));
        if (!chained)
            return {};
    }
    if (quint64(bytes.size()) < e.size)
        return {};
    bytes.truncate(qsizetype(e.size));
    return {Status::Ok, bytes};
}

} // namespace cfb
