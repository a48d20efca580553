#pragma once
// The word-processor operations the system uses, and nothing more: the application with its
// documents, a document's sections, protection, tables and cells, its character count, saving
// and closing. Every failure is a Failure carrying its message text.
#include "DocumentIdentity.h"
#include "Outcome.h"

#include <QString>
#include <memory>

// The two formats an application document comes in: the current one, and the Windows
// edition's, which is only ever read (where it would be written, it is converted first).
enum class DocumentFormat { Ooxml, Word97 };

// What the short-form exchange, the checks and the tools read of a document, whatever its format.
class DocumentReader {
public:
    virtual ~DocumentReader() = default;

    virtual DocumentFormat Format() const = 0;
    virtual int SectionsCount() = 0;
    virtual bool ProtectedForForms(int section) = 0;  // sections count from 1
    // Whether editing is restricted (enforced), as the document was read or last protected.
    virtual bool IsProtected() = 0;
    virtual int TablesCount() = 0;
    virtual int CellsCount(int table) = 0;  // tables and cells count from 1
    // The cell's paragraphs joined by CR, then the end-of-cell mark CR BEL.
    virtual QString CellText(int table, int cell) = 0;
    virtual int CharactersCount() = 0;
    // The characters written in a section (from 1), blanks and paragraph marks not counted.
    virtual int SectionTextLength(int section) = 0;
    // The file and bytes the document was read from, or last saved to.
    virtual DocumentIdentity Identity() = 0;
};

enum class Unprotection { Lifted, NotProtected, WrongPassword };

class WordDocument : public DocumentReader {
public:
    virtual void SetProtectedForForms(int section, bool on) = 0;
    // Lifts the protection when the password is its own (or it has none); a document that is
    // not protected, or is guarded by another password, stays as it is.
    virtual Unprotection Unprotect(const QString& password) = 0;
    // type 2: only form fields may be filled in; the rest as the word processor numbers them.
    virtual void Protect(int type, bool noReset, const QString& password) = 0;

    // Splits at CR LF, CR or LF into paragraphs that keep the formatting of the first run. A
    // one-line text a little too long for the cell is narrowed to stay on its line in every word
    // processor (the fit-text of Word, which LibreOffice ignores).
    virtual void SetCellText(int table, int cell, const QString& text) = 0;
    virtual void SetCellWordWrap(int table, int cell, bool on) = 0;
    virtual void SetCellFitText(int table, int cell, bool on) = 0;

    // A failure to write throws; a file written whole but whose folder could not be flushed
    // answers NotDurable (the document then is what the file holds).
    virtual Outcome SaveAs(const QString& path) = 0;
    virtual Outcome Close(bool saveChanges) = 0;  // the document object stays; calls on it fail
    virtual bool IsClosed() const = 0;
};

class WordApplication {
public:
    virtual ~WordApplication() = default;
    virtual void SetCheckSpellingAsYouType(bool on) = 0;
    virtual void SetCheckGrammarAsYouType(bool on) = 0;
    virtual void SetVisible(bool on) = 0;
    virtual int DocumentsCount() = 0;
    virtual std::shared_ptr<WordDocument> Open(const QString& path, bool readOnly, bool visible) = 0;
    virtual void Quit(bool saveChanges) = 0;
};


// A new application object: the in-process engine (OOXML read and written, Word 97 read).
std::unique_ptr<WordApplication> CreateWordApplication();
