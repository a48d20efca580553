#pragma once
// The tables of an intake run for the office's spreadsheet: an XLSX with the taken files on the
// first sheet and the refused ones on a second, and a CSV of every file. Headers in Chinese.
#include "IntakeRead.h"
#include "Outcome.h"

#include <QList>
#include <QSet>
#include <QString>

// duplicates: the paths whose applicant's identity number another application has.
Outcome WriteIntakeCsv(const QString& path, const QList<IntakeRow>& rows, const QSet<QString>& duplicates);
// workFolder holds the spreadsheet library's own temporary files.
Outcome WriteIntakeXlsx(const QString& path, const QList<IntakeRow>& rows, const QSet<QString>& duplicates,
                        const QString& workFolder);

// A CSV cell's text as a spreadsheet program keeps it: a text that begins like a number, a date
// or a formula (a digit, + - = @ . , or a blank) as the string formula ="…".
QString SpreadsheetText(const QString& text);
inline constexpr int MaxFormulaText = 255;
// Columns a text fills: two for each wide (CJK) character.
int DisplayWidth(const QString& text);
