#include "Word97Properties.h"

namespace word97 {

namespace {

// The paragraph and table properties this reader asks for.
constexpr quint16 SprmPFInTable = 0x2416;
constexpr quint16 SprmPFTtp = 0x2417;
constexpr quint16 SprmPFInnerTableCell = 0x244B;
constexpr quint16 SprmPFInnerTtp = 0x244C;
constexpr quint16 SprmPItap = 0x6649;
constexpr quint16 SprmPDtap = 0x664A;
constexpr quint16 SprmTDefTable = 0xD608;
constexpr quint16 SprmTVertMerge = 0xD62B;
constexpr quint16 SprmTMerge = 0x5624;
constexpr quint16 SprmTSplit = 0x5625;
constexpr quint16 SprmPChgTabs = 0xC615;
// A paragraph's properties too large for its page stand in the Data stream; the page names them.
constexpr quint16 SprmPHugePapx = 0x6646;
constexpr quint16 TcgrfHorizontal = 0x0003;
constexpr quint16 TcgrfVertical = 0x0060;
constexpr int Tc80Size = 20;
constexpr int MaxTableDepth = 64;

} // namespace

int OperandLength(quint16 sprm, const char* p, const char* end)
{
    switch (sprm >> 13) {
    case 0:
    case 1: return 1;
    case 2:
    case 4:
    case 5: return 2;
    case 3: return 4;
    case 7: return 3;
    default: break;
    }
    if (p >= end)
        return -1;
    if (sprm == SprmTDefTable)
        return end - p >= 2 ? int(U16(p)) + 1 : -1;
    if (sprm == SprmPChgTabs && quint8(*p) == 255) {
        // Tabs deleted (4 bytes each) then tabs added (3 bytes each), each with its count.
        if (end - p < 2)
            return -1;
        const int deleted = quint8(p[1]);
        const qint64 addedAt = 2 + 4 * deleted;
        if (end - p <= addedAt)
            return -1;
        return int(addedAt + 1 + 3 * quint8(p[addedAt]));
    }
    return int(quint8(*p)) + 1;
}

TableProperties ApplyProperties(const char* grpprl, int size, const QByteArray& data, TableProperties t, bool followHuge)
{
    ForEachSprm(grpprl, size, [&](quint16 sprm, const char* operand, int length) {
        switch (sprm) {
        case SprmPHugePapx: {
            // Once only: the properties found there cannot send the reader on.
            const quint32 at = U32(operand);
            if (followHuge && Inside(data, at, 2) && Inside(data, qint64(at) + 2, U16(data.constData() + at)))
                t = ApplyProperties(data.constData() + at + 2, U16(data.constData() + at), data, t, false);
            break;
        }
        case SprmPFInTable: t.inTable = operand[0] != 0; break;
        case SprmPFTtp: t.ttp = operand[0] != 0; break;
        case SprmPFInnerTableCell: t.innerCell = operand[0] != 0; break;
        case SprmPFInnerTtp: t.innerTtp = operand[0] != 0; break;
        case SprmPItap:
            t.itap = qBound(0, I32(operand), MaxTableDepth);
            t.itapSet = true;
            break;
        case SprmPDtap:
            t.itap = qBound(0, t.itap + I32(operand), MaxTableDepth);
            t.itapSet = true;
            break;
        case SprmTDefTable: {
            if (length < 3)
                break;
            const int columns = quint8(operand[2]);
            const int tcAt = 3 + 2 * (columns + 1);
            t.cells = QVector<quint16>(columns, 0);
            for (int c = 0; c < columns && tcAt + (c + 1) * Tc80Size <= length; ++c)
                t.cells[c] = U16(operand + tcAt + c * Tc80Size);
            break;
        }
        case SprmTVertMerge:
            if (length >= 3 && quint8(operand[1]) < t.cells.size())
                t.cells[quint8(operand[1])] = quint16((t.cells.at(quint8(operand[1])) & ~TcgrfVertical)
                                                      | ((quint8(operand[2]) & 3) << 5));
            break;
        case SprmTMerge:
        case SprmTSplit:
            for (int c = quint8(operand[0]); c < quint8(operand[1]) && c < t.cells.size(); ++c) {
                t.cells[c] &= ~TcgrfHorizontal;
                if (sprm == SprmTMerge)
                    t.cells[c] |= c == quint8(operand[0]) ? 1 : 2;
            }
            break;
        default: break;
        }
    });
    return t;
}

} // namespace word97
