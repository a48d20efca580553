#pragma once
// Moving the short form between the document's tables and values, along the catalogue: the
// walk that LoadShortForm and SaveShortForm (in ApplicationDocument), the checks and the tools
// share, and the member rows' layout.
#include "FieldAccess.h"
#include "FieldCatalogue.h"
#include "Outcome.h"

#include <QMap>
#include <functional>

class DocumentReader;
class WordDocument;

// The table of a record: its TableNo when not negative, else the first table after previous
// whose cell 1 begins with the record's TableKey, else previous.
int ResolveTable(DocumentReader& doc, int previous, const Tfiledata& record);

// Walks the catalogue over an open document: visit(record, table) for every record whose
// predicate holds, the table fetched once for each run of records with the same TableNo, until
// visit answers false.
void WalkCatalogue(DocumentReader& doc, const std::function<bool(int)>& wanted,
                   const std::function<bool(int record, int table)>& visit);

// The own fields' values of an open, unprotected document, by catalogue record (empty for a
// record that mirrors another), with line breaks as the screen keeps them; step runs once per
// record. It uses nothing shared, so that several threads can read documents at once.
QStringList ReadFieldValues(DocumentReader& doc, const std::function<void()>& step = {});

// Writes the own fields' values (by catalogue record) that differ from before into their cells
// and their mirrors' cells, fitted as the screen's store fits them; step runs once a record.
void WriteValues(WordDocument& doc, const QStringList& values, const QStringList& before,
                 const std::function<void()>& step = {});

// The first line of what the user is told when a file is no legal application; its cause
// follows on the next.
inline const QString NotAnApplicationText = QStringLiteral("本文不是合法项目申请书。");
// That line with the cause on the next.
QString NotAnApplicationMessage(const Outcome& cause);

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
