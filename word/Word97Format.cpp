#include "Word97Format.h"

#include "CompoundFile.h"
#include "Word97Properties.h"

#include <QtEndian>
#include <algorithm>

namespace word97 {

namespace {

constexpr quint16 WordIdent = 0xA5EC;
constexpr quint16 Word6Ident = 0xA5DC;
constexpr quint16 FirstWord97Fib = 0x00C1;
constexpr int FibBaseSize = 32;
// Offsets into the FIB's array of (offset, size) pairs.
constexpr int PlcfSedPair = 6;
constexpr int PlcfBtePapxPair = 13;
constexpr int DopPair = 31;
constexpr int ClxPair = 33;
constexpr int FkpSize = 512;
constexpr int DopBaseSize = 84;
// Far beyond any application (its text is a few thousand characters), far below the memory.
constexpr qint32 MaxCharacters = 32 * 1024 * 1024;
constexpr int MaxFieldNesting = 64;

// The section property this reader asks for (the paragraph and table ones are in
// Word97Properties).
constexpr quint16 SprmSFProtected = 0x3006;  // its operand is fUnlocked

// One run of paragraphs sharing a PAPX: the characters in [fcStart, fcEnd) of the stream.
struct PapxRun {
    quint32 fcStart = 0;
    quint32 fcEnd = 0;
    const char* grpprl = nullptr;
    int size = 0;
};

struct Piece {
    qint32 cpStart = 0;
    qint32 cpEnd = 0;
    quint32 fc = 0;       // where its characters start in the WordDocument stream
    bool compressed = false;
    quint16 prm = 0;
};

// 0x80 to 0x9F of the code page compressed pieces use; the other bytes are Latin-1.
constexpr char16_t Cp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

struct Fib {
    quint16 flags = 0;
    qint32 ccpText = 0;
    const char* pairs = nullptr;
    int pairCount = 0;
    // Where a structure stands in the table stream and how long it is; nothing (0, 0) for a
    // pair the FIB does not have.
    struct Place {
        quint32 fc = 0, lcb = 0;
    };
    Place pair(int index) const
    {
        if (index >= pairCount)
            return {};
        return {U32(pairs + 8 * index), U32(pairs + 8 * index + 4)};
    }
};

class Reader {
public:
    Reader(const QByteArray& main, const QByteArray& table, const QByteArray& data)
        : m_main(main), m_table(table), m_data(data)
    {
    }
    Parsed run();

private:
    bool fail(const QString& why)
    {
        m_out.why = why;
        return false;
    }
    bool readFib();
    bool readPieces();
    bool readText();
    bool readPapx();
    bool readParagraphs();
    bool readSections();
    bool readProtection();
    // The piece that holds cp, looking on from piece from (the paragraphs come in order).
    int pieceOf(qint32 cp, int from) const;
    quint32 fcOf(qint32 cp, int piece) const;

    const QByteArray& m_main;
    const QByteArray& m_table;
    const QByteArray& m_data;
    Fib m_fib;
    QVector<QByteArray> m_prcs;  // the grpprls a piece's prm can name
    QVector<Piece> m_pieces;
    QVector<PapxRun> m_runs;
    Parsed m_out;
};

bool Reader::readFib()
{
    if (m_main.size() < FibBaseSize + 2)
        return fail(QStringLiteral("文件信息块过短"));
    const char* d = m_main.constData();
    m_fib.flags = U16(d + 10);
    qint64 at = FibBaseSize;
    const int csw = U16(d + at);
    at += 2 + 2 * qint64(csw);
    if (!Inside(m_main, at, 2))
        return fail(QStringLiteral("文件信息块过短"));
    const int cslw = U16(d + at);
    const qint64 longs = at + 2;
    at = longs + 4 * qint64(cslw);
    if (cslw < 4 || !Inside(m_main, at, 2))
        return fail(QStringLiteral("文件信息块过短"));
    m_fib.ccpText = I32(d + longs + 12);
    m_fib.pairCount = U16(d + at);
    m_fib.pairs = d + at + 2;
    if (m_fib.pairCount <= ClxPair || !Inside(m_main, at + 2, 8 * qint64(m_fib.pairCount)))
        return fail(QStringLiteral("文件信息块过短"));
    if (m_fib.ccpText < 0 || m_fib.ccpText > MaxCharacters)
        return fail(QStringLiteral("正文长度无效"));
    return true;
}

bool Reader::readPieces()
{
    const auto [fc, lcb] = m_fib.pair(ClxPair);
    if (!Inside(m_table, fc, lcb) || lcb == 0)
        return fail(QStringLiteral("没有文本片段表"));
    const char* p = m_table.constData() + fc;
    const char* end = p + lcb;
    // Property lists the pieces may name, then the piece table itself.
    while (p < end && *p == 0x01) {
        if (end - p < 3)
            return fail(QStringLiteral("文本片段表已损坏"));
        const qint16 size = qFromLittleEndian<qint16>(p + 1);
        if (size < 0 || size > end - p - 3)
            return fail(QStringLiteral("文本片段表已损坏"));
        m_prcs.append(QByteArray(p + 3, size));
        p += 3 + size;
    }
    if (end - p < 5 || *p != 0x02)
        return fail(QStringLiteral("文本片段表已损坏"));
    const quint32 size = U32(p + 1);
    p += 5;
    if (size > quint32(end - p) || size < 4 || (size - 4) % 12 != 0)
        return fail(QStringLiteral("文本片段表已损坏"));
    const int count = int((size - 4) / 12);
    const char* pcds = p + 4 * (count + 1);
    for (int i = 0; i < count; ++i) {
        Piece piece;
        piece.cpStart = I32(p + 4 * i);
        piece.cpEnd = I32(p + 4 * (i + 1));
        const quint32 value = U32(pcds + 8 * i + 2);
        piece.compressed = value & 0x40000000u;
        piece.fc = value & 0x3FFFFFFFu;
        if (piece.compressed)
            piece.fc /= 2;
        piece.prm = U16(pcds + 8 * i + 6);
        if (piece.cpStart < 0 || piece.cpEnd < piece.cpStart || (i > 0 && piece.cpStart != m_pieces.last().cpEnd))
            return fail(QStringLiteral("文本片段表已损坏"));
        m_pieces.append(piece);
    }
    if (m_pieces.isEmpty() || m_pieces.first().cpStart != 0)
        return fail(QStringLiteral("文本片段表已损坏"));
    return true;
}

bool Reader::readText()
{
    QString& text = m_out.text;
    text.reserve(m_fib.ccpText);
    for (const Piece& piece : std::as_const(m_pieces)) {
        if (piece.cpStart >= m_fib.ccpText)
            break;
        const qint32 count = qMin(piece.cpEnd, m_fib.ccpText) - piece.cpStart;
        const qint64 width = piece.compressed ? 1 : 2;
        if (!Inside(m_main, piece.fc, count * width))
            return fail(QStringLiteral("文本超出了文件"));
        const char* at = m_main.constData() + piece.fc;
        for (qint32 i = 0; i < count; ++i) {
            if (piece.compressed) {
                const quint8 byte = quint8(at[i]);
                text += QChar(byte >= 0x80 && byte < 0xA0 ? Cp1252High[byte - 0x80] : char16_t(byte));
            } else {
                text += QChar(char16_t(U16(at + 2 * i)));
            }
        }
    }
    if (text.size() != m_fib.ccpText)
        return fail(QStringLiteral("文本片段表不完整"));
    return true;
}

bool Reader::readPapx()
{
    const auto [fc, lcb] = m_fib.pair(PlcfBtePapxPair);
    if (!Inside(m_table, fc, lcb) || lcb < 4 || (lcb - 4) % 8 != 0)
        return fail(QStringLiteral("段落属性表已损坏"));
    const int count = int((lcb - 4) / 8);
    const char* plc = m_table.constData() + fc;
    for (int i = 0; i < count; ++i) {
        const quint32 pn = U32(plc + 4 * (count + 1) + 4 * i) & 0x3FFFFF;
        const qint64 page = qint64(pn) * FkpSize;
        if (!Inside(m_main, page, FkpSize))
            return fail(QStringLiteral("段落属性页超出了文件"));
        const char* fkp = m_main.constData() + page;
        const int runs = quint8(fkp[FkpSize - 1]);
        if (4 * (runs + 1) + 13 * runs > FkpSize - 1)
            return fail(QStringLiteral("段落属性页已损坏"));
        for (int r = 0; r < runs; ++r) {
            PapxRun run;
            run.fcStart = U32(fkp + 4 * r);
            run.fcEnd = U32(fkp + 4 * (r + 1));
            const int offset = 2 * quint8(fkp[4 * (runs + 1) + 13 * r]);
            if (offset == 0)
                continue;  // no properties: the defaults
            int at = offset + 1;
            int size = 2 * quint8(fkp[offset]) - 1;
            if (fkp[offset] == 0) {
                if (offset + 1 >= FkpSize)
                    return fail(QStringLiteral("段落属性页已损坏"));
                size = 2 * quint8(fkp[offset + 1]);
                at = offset + 2;
            }
            if (size < 2 || at + size > FkpSize - 1)
                return fail(QStringLiteral("段落属性页已损坏"));
            run.grpprl = fkp + at + 2;  // after the style number
            run.size = size - 2;
            m_runs.append(run);
        }
    }
    std::sort(m_runs.begin(), m_runs.end(), [](const PapxRun& a, const PapxRun& b) { return a.fcStart < b.fcStart; });
    return true;
}

int Reader::pieceOf(qint32 cp, int piece) const
{
    while (piece + 1 < m_pieces.size() && cp >= m_pieces.at(piece).cpEnd)
        ++piece;
    return piece;
}

quint32 Reader::fcOf(qint32 cp, int piece) const
{
    const Piece& p = m_pieces.at(piece);
    return p.fc + quint32(cp - p.cpStart) * (p.compressed ? 1 : 2);
}

bool Reader::readParagraphs()
{
    const QString& text = m_out.text;
    int piece = 0;
    qint32 start = 0;
    for (qint32 cp = 0; cp < text.size(); ++cp) {
        const char16_t c = text.at(cp).unicode();
        if (c != ParagraphMark && c != CellMark)
            continue;
        Paragraph p;
        p.start = start;
        p.end = cp + 1;
        p.mark = c;
        TableProperties table;
        piece = pieceOf(cp, piece);
        const quint32 fc = fcOf(cp, piece);
        const auto run = std::upper_bound(m_runs.cbegin(), m_runs.cend(), fc,
                                          [](quint32 value, const PapxRun& r) { return value < r.fcStart; });
        if (run != m_runs.cbegin() && fc < (run - 1)->fcEnd)
            table = ApplyProperties((run - 1)->grpprl, (run - 1)->size, m_data, table);
        // A piece may carry properties of its own for the paragraphs that end in it.
        const quint16 prm = m_pieces.at(piece).prm;
        if ((prm & 1) && (prm >> 1) < m_prcs.size()) {
            const QByteArray& extra = m_prcs.at(prm >> 1);
            table = ApplyProperties(extra.constData(), int(extra.size()), m_data, table);
        }
        p.depth = table.itapSet ? table.itap : (table.inTable ? 1 : 0);
        if (p.depth == 1 && c == CellMark) {
            p.rowEnd = table.ttp;
            p.cellEnd = !table.ttp;
        } else if (p.depth >= 2) {
            p.rowEnd = table.innerTtp;
            p.cellEnd = table.innerCell && !table.innerTtp;
        }
        if (p.rowEnd)
            p.cells = table.cells;
        m_out.paragraphs.append(p);
        start = cp + 1;
    }
    if (start < text.size())
        m_out.paragraphs.append({start, qint32(text.size()), 0, 0, false, false, {}});
    return true;
}

bool Reader::readSections()
{
    const auto [fc, lcb] = m_fib.pair(PlcfSedPair);
    const qint32 length = qint32(m_out.text.size());
    if (lcb == 0) {
        m_out.sections.append({0, length, true});
        return true;
    }
    if (!Inside(m_table, fc, lcb) || lcb < 4 || (lcb - 4) % 16 != 0)
        return fail(QStringLiteral("分节表已损坏"));
    const int count = int((lcb - 4) / 16);
    const char* plc = m_table.constData() + fc;
    for (int i = 0; i < count; ++i) {
        Section section;
        section.start = qBound(0, I32(plc + 4 * i), length);
        section.end = qBound(0, I32(plc + 4 * (i + 1)), length);
        const quint32 sepx = U32(plc + 4 * (count + 1) + 12 * i + 2);
        if (sepx != 0xFFFFFFFFu) {
            if (!Inside(m_main, sepx, 2) || !Inside(m_main, qint64(sepx) + 2, U16(m_main.constData() + sepx)))
                return fail(QStringLiteral("分节属性已损坏"));
            ForEachSprm(m_main.constData() + sepx + 2, U16(m_main.constData() + sepx),
                        [&](quint16 sprm, const char* operand, int) {
                            if (sprm == SprmSFProtected)
                                section.protectedForForms = operand[0] == 0;
                        });
        }
        // A section without a character (a writer's empty first one) shows nothing and counts
        // as no section.
        if (section.end > section.start)
            m_out.sections.append(section);
    }
    if (m_out.sections.isEmpty())
        m_out.sections.append({0, length, true});
    return true;
}

bool Reader::readProtection()
{
    const auto [fc, lcb] = m_fib.pair(DopPair);
    if (!Inside(m_table, fc, lcb) || lcb < DopBaseSize)
        return fail(QStringLiteral("文档属性已损坏"));
    const char* dop = m_table.constData() + fc;
    const bool forms = quint8(dop[7]) & 0x02, revisions = quint8(dop[7]) & 0x40, comments = quint8(dop[6]) & 0x10;
    m_out.protectedDocument = forms || revisions || comments;
    m_out.protectionKey = U32(dop + 78);
    return true;
}

Parsed Reader::run()
{
    m_out.ok = readFib() && readPieces() && readText() && readPapx() && readParagraphs() && readSections()
               && readProtection();
    if (!m_out.ok) {
        m_out.text.clear();
        m_out.paragraphs.clear();
        m_out.sections.clear();
    }
    return m_out;
}

} // namespace

FibProbe ProbeFib(const QByteArray& wordDocument)
{
    FibProbe probe;
    if (wordDocument.size() < FibBaseSize)
        return probe;
    const quint16 ident = U16(wordDocument.constData());
    probe.word = ident == WordIdent || ident == Word6Ident;
    probe.word97 = ident == WordIdent && U16(wordDocument.constData() + 2) >= FirstWord97Fib;
    probe.encrypted = U16(wordDocument.constData() + 10) & 0x0100;
    return probe;
}

Parsed Parse(const cfb::CompoundFile& file)
{
    const cfb::Stream main = file.stream(QStringLiteral("WordDocument"));
    if (!main.ok())
        return {false, QStringLiteral("没有正文数据"), {}, {}, {}, false, 0};
    const bool tableOne = ProbeFib(main.bytes).word97 && (U16(main.bytes.constData() + 10) & 0x0200);
    const cfb::Stream table = file.stream(tableOne ? QStringLiteral("1Table") : QStringLiteral("0Table"));
    if (!table.ok())
        return {false, QStringLiteral("没有表格数据流"), {}, {}, {}, false, 0};
    // Only documents with very large paragraph properties have a Data stream that matters.
    const cfb::Stream data = file.stream(QStringLiteral("Data"));
    return Reader(main.bytes, table.bytes, data.ok() ? data.bytes : QByteArray()).run();
}

QVector<bool> VisibleMask(const QString& text)
{
    QVector<bool> visible(text.size(), true);
    // Each open field: true once its separator has come (its result shows, its code does not).
    QVector<bool> fields;
    int hidden = 0;  // open fields still in their code
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        if (c == 0x13) {
            fields.append(false);
            ++hidden;
            visible[i] = false;
        } else if (c == 0x14 && !fields.isEmpty() && !fields.last()) {
            fields.last() = true;
            --hidden;
            visible[i] = false;
        } else if (c == 0x15 && !fields.isEmpty()) {
            if (!fields.takeLast())
                --hidden;
            visible[i] = false;
        } else {
            visible[i] = hidden == 0;
        }
        if (fields.size() > MaxFieldNesting) {  // no writer nests this deep: the marks mean nothing
            fields.clear();
            hidden = 0;
        }
    }
    return visible;
}

} // namespace word97
