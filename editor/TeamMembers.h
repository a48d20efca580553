#pragma once
// The team-member rows of the short form taken as a whole: removing one, checking that none is
// half filled, putting them in a chosen order, and the count of the project group by title.
#include "FieldAccess.h"

#include <QList>
#include <QString>

// The category letter ("A", "B", "C") and name ("正高", "副高", "中级") of a three-digit title
// code, by its third digit; both empty for any other code.
struct TitleClass {
    QString letter;
    QString name;
};
TitleClass TitleCategory(const QString& code);

// Fills the summary fields from the applicant's category letter and the members' titles.
void CountTeam(FieldAccess& screen, const QString& applicantLetter);
// The members whose title category is 博士后.
int CountPostdocs(const FieldAccess& screen);
// Empty when no member row is partly filled; else the message for the first one, with the
// focus in its first empty field. Compacts the rows first.
QString CheckMembers(FieldAccess& screen);
// The "×" of row N: asks, clears and compacts on yes, recounts whatever the answer.
void DeleteMember(FieldAccess& screen, int row);
// Rewrites the listed rows into rows 2, 3, … in the listed order.
void ReorderMembers(FieldAccess& screen, const QList<int>& rows);

// The row's field of a member column: "edsfzh" and 3 give "edsfzh3".
QString MemberField(const QString& prefix, int row);
