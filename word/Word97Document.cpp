#include "Word97Document.h"

#include "CompoundFile.h"
#include "Failure.h"
#include "Protection.h"
#include "SafeWrite.h"

#include <QDir>

using namespace word97;

namespace {

constexpr quint16 TcgrfHorizontal = 0x0003;
constexpr quint16 TcgrfVertical = 0x0060;
constexpr quint16 VerticalContinues = 0x0020;  // fvmMerge: the cell continues the one above
constexpr quint16 HorizontalContinues = 0x0002;  // merged into the cell on its left

// Shown as the OOXML engine shows it: tab, line and page breaks; the hyphens a person typed;
// other control characters (pictures, notes' marks, field marks) are not text.
QChar Shown(char16_t c)
{
    switch (c) {
    case 0x09: return QChar('\t');
    case 0x0B: return QChar('\v');
    case 0x0C: return QChar('\f');
    case 0x1E:
    case 0x1F: return QChar('-');
    default: return c < 0x20 ? QChar() : QChar(c);
    }
}

bool Counted(quint16 tcgrf)
{
    return (tcgrf & TcgrfVertical) != VerticalContinues && (tcgrf & TcgrfHorizontal) < HorizontalContinues;
}

} // namespace

Word97Document::Word97Document(const QByteArray& bytes, const QString& path, const DocumentIdentity& identity)
    : m_bytes(bytes), m_path(path), m_identity(identity)
{
    const cfb::CompoundFile file(bytes);
    m_parsed = word97::Parse(file);
    if (!m_parsed.ok)
        throw Failure(Outcome::failed(Cause::DamagedDocument, path, 0, m_parsed.why));
    m_visible = VisibleMask(m_parsed.text);
    buildTables();
}

void Word97Document::buildTables()
{
    QVector<Cell> table, row;
    Cell cell;
    bool inTable = false;
    auto endRow = [&](const QVector<quint16>& flags) {
        for (qsizetype k = 0; k < row.size(); ++k)
            if (Counted(k < flags.size() ? flags.at(k) : 0))
                table.append(row.at(k));
        row.clear();
    };
    auto endTable = [&] {
        if (!cell.paragraphs.isEmpty())
            row.append(cell);  // a cell the file never closed still holds its text
        endRow({});
        m_tables.append(table);
        table.clear();
        cell = {};
        inTable = false;
    };
    for (int i = 0; i < m_parsed.paragraphs.size(); ++i) {
        const Paragraph& p = m_parsed.paragraphs.at(i);
        if (p.depth == 0) {
            if (inTable)
                endTable();
            continue;
        }
        inTable = true;
        if (p.depth != 1)
            continue;  // a table inside a cell is not one of the document's tables
        if (p.rowEnd) {
            if (!cell.paragraphs.isEmpty())
                row.append(cell);
            cell = {};
            endRow(p.cells);
            continue;
        }
        cell.paragraphs.append(i);
        if (p.cellEnd) {
            row.append(cell);
            cell = {};
        }
    }
    if (inTable)
        endTable();
}

void Word97Document::ensureOpen() const
{
    if (m_closed)
        throw Failure(QStringLiteral("文档已关闭"));
}

void Word97Document::refuseWrite() const
{
    throw Failure(Outcome::failed(Cause::OldFormat, m_path));
}

QString Word97Document::paragraphText(const Paragraph& p) const
{
    QString text;
    const qint32 end = p.mark ? p.end - 1 : p.end;
    for (qint32 cp = p.start; cp < end; ++cp)
        if (m_visible.at(cp))
            if (const QChar c = Shown(m_parsed.text.at(cp).unicode()); !c.isNull())
                text += c;
    return text;
}

int Word97Document::SectionsCount()
{
    ensureOpen();
    return int(m_parsed.sections.size());
}

bool Word97Document::ProtectedForForms(int section)
{
    ensureOpen();
    if (section < 1 || section > m_parsed.sections.size())
        throw Failure(QStringLiteral("文档中没有第 %1 节").arg(section));
    return m_parsed.sections.at(section - 1).protectedForForms;
}

bool Word97Document::IsProtected()
{
    ensureOpen();
    return m_parsed.protectedDocument && !m_unprotected;
}

int Word97Document::TablesCount()
{
    ensureOpen();
    return int(m_tables.size());
}

int Word97Document::CellsCount(int table)
{
    ensureOpen();
    if (table < 1 || table > m_tables.size())
        throw Failure(QStringLiteral("文档中没有第 %1 个表格").arg(table));
    return int(m_tables.at(table - 1).size());
}

const Word97Document::Cell& Word97Document::cellAt(int table, int cell)
{
    const int count = CellsCount(table);
    if (cell < 1 || cell > count)
        throw Failure(QStringLiteral("第 %1 个表格中没有第 %2 个单元格").arg(table).arg(cell));
    return m_tables.at(table - 1).at(cell - 1);
}

QString Word97Document::CellText(int table, int cell)
{
    QStringList paragraphs;
    for (const int i : cellAt(table, cell).paragraphs)
        paragraphs << paragraphText(m_parsed.paragraphs.at(i));
    return paragraphs.join('\r') + "\r\a";
}

// Counted as the OOXML engine counts Characters.Count: the text, 1 for a paragraph mark, 2 for
// the mark that ends a cell or a row.
int Word97Document::CharactersCount()
{
    ensureOpen();
    int count = 0;
    for (const Paragraph& p : std::as_const(m_parsed.paragraphs)) {
        count += int(paragraphText(p).size());
        if (p.mark)
            count += p.cellEnd || p.rowEnd ? 2 : 1;
    }
    return count;
}

int Word97Document::SectionTextLength(int section)
{
    ensureOpen();
    if (section < 1 || section > m_parsed.sections.size())
        throw Failure(QStringLiteral("文档中没有第 %1 节").arg(section));
    const Section& s = m_parsed.sections.at(section - 1);
    int count = 0;
    for (qint32 cp = s.start; cp < s.end; ++cp) {
        if (!m_visible.at(cp))
            continue;
        const QChar c = Shown(m_parsed.text.at(cp).unicode());
        count += !c.isNull() && !c.isSpace() && c.unicode() >= 0x20;
    }
    return count;
}

Unprotection Word97Document::Unprotect(const QString& password)
{
    ensureOpen();
    if (!IsProtected())
        return Unprotection::NotProtected;
    // A key of 0 is protection without a password, as some writers leave it.
    if (m_parsed.protectionKey != 0 && m_parsed.protectionKey != LegacyPasswordHash(password))
        return Unprotection::WrongPassword;
    m_unprotected = true;
    return Unprotection::Lifted;
}

void Word97Document::SetProtectedForForms(int, bool)
{
    ensureOpen();
    refuseWrite();
}

void Word97Document::Protect(int, bool, const QString&)
{
    ensureOpen();
    refuseWrite();
}

void Word97Document::SetCellText(int, int, const QString&)
{
    ensureOpen();
    refuseWrite();
}

void Word97Document::SetCellWordWrap(int, int, bool)
{
    ensureOpen();
    refuseWrite();
}

void Word97Document::SetCellFitText(int, int, bool)
{
    ensureOpen();
    refuseWrite();
}

Outcome Word97Document::SaveAs(const QString& path)
{
    ensureOpen();
    const Outcome written = WriteBytesAtomically(path, m_bytes);
    if (!written.written())
        throw Failure(written);
    return written;
}

Outcome Word97Document::Close(bool)
{
    // Nothing was changed, so there is nothing to save.
    ensureOpen();
    m_closed = true;
    m_tables.clear();
    m_parsed = {};
    m_visible.clear();
    m_bytes.clear();
    return {};
}
