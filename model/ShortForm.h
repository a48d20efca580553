#pragma once
// Moving the short form between the document's tables and the screen, along the catalogue.
#include "FieldAccess.h"

#include <functional>

class WordDocument;

// The table of record i: its TableNo when not negative, else the first table after previous
// whose cell 1 begins with the record's TableKey, else previous.
int ResolveTable(WordDocument& doc, int previous, int record);

// Walks the catalogue over an open document: visit(record, table) for every record whose
// predicate holds, the table fetched once for each run of records with the same TableNo.
void WalkCatalogue(WordDocument& doc, const std::function<bool(int)>& wanted,
                   const std::function<void(int record, int table)>& visit);

// Fills the screen, LoadedValues and EditValues from the document; on a document that is not
// a legal application, says so and tells the screen to close with tag 88.
void LoadShortForm(FieldAccess& screen, const QString& path);
// Writes the changed values (and their mirrors), restores the protection and saves. Failures
// reach the caller with LoadedValues unchanged. Nothing is touched when nothing changed.
void SaveShortForm(FieldAccess& screen, const QString& path, unsigned progressKind);

// Filled member rows move up over empty ones, keeping their order.
void CompactMembers(FieldAccess& screen);
inline const QStringList MemberFieldPrefixes = {"edxm", "edsfzh", "edzyjszw", "edszdw", "edxmzfg"};
