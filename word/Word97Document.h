#pragma once
// A Word 97–2003 application document, as the Windows edition wrote it, read natively behind
// the same interface as the OOXML engine: its tables and cells numbered as there, its sections
// with their form protection, its document protection and key, its character counts. It is
// never written: every write fails (Cause::OldFormat), and a save under another name copies the
// file as it is (a Word 97 document stays one, as the word processor's SaveAs in that format).
#include "Word97Format.h"
#include "WordHost.h"

#include <QVector>

class Word97Document : public WordDocument {
public:
    // From the file's bytes (a compound file whose FIB says Word 97 or later, not encrypted);
    // throws Failure with the damaged-document message when it cannot be read.
    Word97Document(const QByteArray& bytes, const QString& path, const DocumentIdentity& identity);

    DocumentFormat Format() const override { return DocumentFormat::Word97; }
    int SectionsCount() override;
    bool ProtectedForForms(int section) override;
    bool IsProtected() override;
    int TablesCount() override;
    int CellsCount(int table) override;
    QString CellText(int table, int cell) override;
    int CharactersCount() override;
    int SectionTextLength(int section) override;
    DocumentIdentity Identity() override { return m_identity; }

    void SetProtectedForForms(int section, bool on) override;
    // Lifts the protection for reading when the password is the one its key belongs to (or it
    // has no key); it changes nothing in the file.
    Unprotection Unprotect(const QString& password) override;
    void Protect(int type, bool noReset, const QString& password) override;
    void SetCellText(int table, int cell, const QString& text) override;
    void SetCellWordWrap(int table, int cell, bool on) override;
    void SetCellFitText(int table, int cell, bool on) override;
    Outcome SaveAs(const QString& path) override;
    Outcome Close(bool saveChanges) override;
    bool IsClosed() const override { return m_closed; }

private:
    struct Cell {
        QVector<int> paragraphs;  // the cell's own paragraphs (not those of a table inside it)
    };
    void buildTables();
    void ensureOpen() const;
    [[noreturn]] void refuseWrite() const;
    const Cell& cellAt(int table, int cell);
    // A paragraph's text as the word processor shows it, without its mark.
    QString paragraphText(const word97::Paragraph& p) const;

    QByteArray m_bytes;
    QString m_path;
    DocumentIdentity m_identity;
    word97::Parsed m_parsed;
    QVector<bool> m_visible;
    QVector<QVector<Cell>> m_tables;
    bool m_unprotected = false;
    bool m_closed = false;
};

