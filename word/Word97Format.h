#pragma once
// The Word 97–2003 binary document ([MS-DOC]) as far as an application needs it, read from the
// streams of its compound file: the FIB, the main text through the piece table, each
// paragraph's table properties from the paragraph FKPs, the sections with their form
// protection, and the document protection with its key. Nothing in the file is trusted: every
// count is bounded by the bytes that hold it, every offset checked before it is read.
#include <QByteArray>
#include <QString>
#include <QVector>

namespace cfb {
class CompoundFile;
}

namespace word97 {

// The FIB's first bytes, enough to tell what kind of Word file a WordDocument stream holds.
struct FibProbe {
    bool word = false;       // wIdent says Word (Word 6 and later)
    bool word97 = false;     // nFib says Word 97 or later
    bool encrypted = false;  // fEncrypted: a password is needed to open it
};
FibProbe ProbeFib(const QByteArray& wordDocument);

struct Paragraph {
    qint32 start = 0;     // first character position
    qint32 end = 0;       // after its mark
    char16_t mark = 0;    // 0x0D paragraph mark, 0x07 cell or row mark, 0 none (text ran out)
    int depth = 0;        // how deep in tables: 0 outside, 1 a top-level table, 2 a table in a cell …
    bool cellEnd = false; // the mark ends a cell at this depth
    bool rowEnd = false;  // the mark ends a row at this depth
    QVector<quint16> cells;  // for a row end: each cell's TCGRF (its merge bits), as defined
};

struct Section {
    qint32 start = 0;
    qint32 end = 0;
    bool protectedForForms = true;  // a section is locked unless it says it is not
};

struct Parsed {
    bool ok = false;
    QString why;     // for the user, when not ok: what is damaged
    QString text;    // the main document's characters, one per character position
    QVector<Paragraph> paragraphs;
    QVector<Section> sections;
    bool protectedDocument = false;  // editing restricted (forms, comments or revisions)
    quint32 protectionKey = 0;       // lKeyProtDoc: the 32-bit key of the password; 0 for none
};

// Reads a Word 97 or later document (the caller has probed the FIB).
Parsed Parse(const cfb::CompoundFile& file);

// Characters of a field's code (between its begin and separator marks) are not text.
// visible[i] says whether text[i] shows.
QVector<bool> VisibleMask(const QString& text);

inline constexpr char16_t ParagraphMark = 0x0D;
inline constexpr char16_t CellMark = 0x07;

} // namespace word97
