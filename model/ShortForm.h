#pragma once
// Moving the short form between the document's tables and the screen, along the catalogue.
#include "DocumentIdentity.h"
#include "FieldAccess.h"

#include <QMap>
#include <functional>

class DocumentReader;
class WordDocument;

// The table of record i: its TableNo when not negative, else the first table after previous
// whose cell 1 begins with the record's TableKey, else previous.
int ResolveTable(DocumentReader& doc, int previous, int record);

// Walks the catalogue over an open document: visit(record, table) for every record whose
// predicate holds, the table fetched once for each run of records with the same TableNo.
void WalkCatalogue(DocumentReader& doc, const std::function<bool(int)>& wanted,
                   const std::function<void(int record, int table)>& visit);

// The own fields' values of an open, unprotected document, by catalogue record (empty for a
// record that mirrors another), with line breaks as the screen keeps them. It uses nothing
// shared, so that several threads can read documents at once.
QStringList ReadFieldValues(DocumentReader& doc);

// Writes the own fields' values (by catalogue record) that differ from before into their cells
// and their mirrors' cells, fitted as the screen's store fits them; step runs once a record.
void WriteValues(WordDocument& doc, const QStringList& values, const QStringList& before,
                 const std::function<void()>& step = {});

// The file and bytes the short form was last read from or stored into: a store writes only
// into that same file.
extern DocumentIdentity LoadedDocument;

// Fills the screen, LoadedValues and EditValues from the document; on a document that is not
// a legal application, says so and tells the screen to close with tag 88.
void LoadShortForm(FieldAccess& screen, const QString& path);

enum class StoreStatus {
    Stored,          // the changed values are in the document
    NothingChanged,  // nothing differed: the file was not touched
    Replaced,        // the file is gone, or is no longer the one loaded
    ReadOnly,        // the file may not be written
    InUse,           // another program holds it and the user cancelled
    Failed,          // it could not be read or written
};
struct StoreResult {
    StoreStatus status = StoreStatus::Stored;
    QString message;  // what the user is told; empty when all went well
    bool ok() const { return status == StoreStatus::Stored || status == StoreStatus::NothingChanged; }
};
inline const QString ReplacedText = QStringLiteral("申请书文件已被其他程序修改或替换：");
inline const QString ReadOnlyText = QStringLiteral("申请书文件是只读的：");
inline const QString NotAnApplicationText = QStringLiteral("本文不是合法项目申请书。");

// Writes the changed values (and their mirrors) into the file the short form was loaded from,
// through a link to its target, restores the protection and saves. Unless the result is Stored,
// nothing was written and LoadedValues is unchanged, so the next store writes the same changes.
StoreResult SaveShortForm(FieldAccess& screen, const QString& path, unsigned progressKind);
// Stores values (by catalogue record) into the document with one opening: its own fields are
// read into form, LoadedValues and EditValues, the values put over them, and the changed cells
// written. The command-line tool's "set".
StoreResult SetFields(FieldAccess& form, const QString& path, const QMap<int, QString>& values, unsigned progressKind);
// The screen's values as a new document at path (which the user chose to replace if it exists):
// the blank document, then every value the screen holds. It then is the loaded document.
StoreResult StoreAsNewDocument(FieldAccess& screen, const QString& path, unsigned progressKind);

// The person rows: row 1 is the applicant, rows 2 to 10 the nine members. A member row's five
// fields are these prefixes followed by the row number ("edxmzfg10").
inline constexpr int FirstMemberRow = 2;
inline constexpr int LastMemberRow = 10;
inline const QString MemberNamePrefix = QStringLiteral("edxm");
inline const QString MemberIdPrefix = QStringLiteral("edsfzh");
inline const QString MemberTitlePrefix = QStringLiteral("edzyjszw");
inline const QString MemberUnitPrefix = QStringLiteral("edszdw");
inline const QString MemberWorkPrefix = QStringLiteral("edxmzfg");
inline const QStringList MemberFieldPrefixes = {MemberNamePrefix, MemberIdPrefix, MemberTitlePrefix, MemberUnitPrefix,
                                                MemberWorkPrefix};
// The fields that hold several lines; every other field is one line.
inline const QStringList MultiLineFields = {"xmjj"};

// Filled member rows move up over empty ones, keeping their order.
void CompactMembers(FieldAccess& screen);
