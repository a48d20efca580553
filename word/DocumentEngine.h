#pragma once
// The in-process engine that stands in for the word processor: it tells what a file is and
// opens an application document in either format, the current OOXML one (read and written) or
// the Windows edition's Word 97–2003 one (read only).
#include "WordHost.h"

#include <QVector>

// Opens the document at path, whichever format it has. Throws Failure with the cause when it is
// none the engine reads: a damaged document, one with a password to open, a Word 95 or older
// document, a spreadsheet or any other compound file, or no document at all (what another kind
// of file is, never a word about archives or disks for a file that is neither).
std::shared_ptr<WordDocument> OpenWordDocument(const QString& path);

// The same for a document held in memory (an attachment, a package's entry); name is what the
// messages call it. It has no file to save to.
std::shared_ptr<WordDocument> OpenWordDocumentBytes(const QByteArray& bytes, const QString& name);

// Whether the file at path is in the Windows edition's format (a compound file), from its first
// bytes: what the program must not write into.
bool IsOldFormatDocument(const QString& path);

// "OOXML" or "Word 97–2003", as qvtool info and the register name them.
QString FormatName(DocumentFormat format);

class DocumentEngine : public WordApplication {
public:
    void SetCheckSpellingAsYouType(bool) override {}
    void SetCheckGrammarAsYouType(bool) override {}
    void SetVisible(bool) override {}
    int DocumentsCount() override;
    std::shared_ptr<WordDocument> Open(const QString& path, bool readOnly, bool visible) override;
    void Quit(bool saveChanges) override;

private:
    QVector<std::weak_ptr<WordDocument>> m_documents;
};
