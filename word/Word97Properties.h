#pragma once
// Word 97 property lists (grpprl, [MS-DOC] 2.6): walking them safely, and the paragraph and
// table properties the reader of an application needs (in a table, at a row's end, the cells
// and their merges), including those a page keeps in the Data stream.
#include <QByteArray>
#include <QVector>
#include <QtEndian>

namespace word97 {

inline quint16 U16(const char* p) { return qFromLittleEndian<quint16>(p); }
inline quint32 U32(const char* p) { return qFromLittleEndian<quint32>(p); }
inline qint32 I32(const char* p) { return qFromLittleEndian<qint32>(p); }

// Whether [at, at + size) lies inside bytes.
inline bool Inside(const QByteArray& bytes, qint64 at, qint64 size)
{
    return at >= 0 && size >= 0 && at + size <= bytes.size();
}

// The operand's length of a property at p (its operand starts at p), or -1 when it runs past end.
int OperandLength(quint16 sprm, const char* p, const char* end);

// Calls visit(sprm, operand, length) for every property of a grpprl; false when one runs past it.
template <typename Visit>
bool ForEachSprm(const char* p, qint64 size, Visit visit)
{
    const char* end = p + size;
    while (end - p >= 2) {
        const quint16 sprm = U16(p);
        p += 2;
        const int length = OperandLength(sprm, p, end);
        if (length < 0 || length > end - p)
            return false;
        visit(sprm, p, length);
        p += length;
    }
    return true;
}

// What a paragraph's properties say of the table it may stand in.
struct TableProperties {
    bool inTable = false, ttp = false, innerCell = false, innerTtp = false;
    int itap = 0;
    bool itapSet = false;
    QVector<quint16> cells;  // a row's cells (TC80 flags), where the properties define the row
};

// The properties of grpprl applied over seen; a huge PAPX is followed into data once.
TableProperties ApplyProperties(const char* grpprl, int size, const QByteArray& data, TableProperties seen,
                                bool followHuge = true);

} // namespace word97
