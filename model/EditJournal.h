#pragma once
// Edits of the short form that are not stored yet, kept in a small file in the program's cache
// folder, so that a crash, a killed session or a power cut loses nothing. One journal per
// document, named from a hash of the document's resolved path; it holds only the fields whose
// values differ from the document, and the document's identity, so that it is never applied to
// another file that comes to stand at the same path.
#include "DocumentIdentity.h"
#include "Outcome.h"

#include <QDateTime>
#include <QMap>
#include <optional>

struct EditJournal {
    DocumentIdentity document;
    QDateTime written;
    QMap<QString, QString> values;  // catalogue field name → value
};

QString JournalPath(const QString& resolvedDocumentPath);
// Written beside itself and renamed, flushed to the device.
Outcome WriteJournal(const EditJournal& journal);
// The journal of a document, when there is one that can be read; a damaged one is removed.
std::optional<EditJournal> ReadJournal(const QString& resolvedDocumentPath);
void RemoveJournal(const QString& resolvedDocumentPath);
