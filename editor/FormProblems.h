#pragma once
// Every problem of the short form at once, from one walk over the control tables in the data
// check's order: required fields left empty, fields whose rule fails, member rows partly
// filled. The data check (内容检查) answers the first of them; the list on the screen and
// "qvtool verify --all" show them all.
#include "CarryOver.h"
#include "FieldAccess.h"

#include <QList>
#include <QString>

struct FormProblem {
    enum Kind { Empty, RuleFails, MemberRow, NotCarriedOver };
    Kind kind;
    QString control;  // the field to go to (for a member row, its first missing field)
    QString label;    // the field as the user knows it: "项目名称", "成员3（张三）"
    QString message;  // what the user is told
};

// leftOut: what a new application made from an earlier one did not take (codes today's lists
// no longer have); each is listed with its old value, in place of the empty field, until the
// field is filled.
QList<FormProblem> FormProblems(const FieldAccess& form, const QList<LeftOut>& leftOut = {});

// What a new document's screen derives from the stored values when it loads them: the
// application date's year and month, and the post-doctoral count (which is not stored).
void DeriveLoadedFields(FieldAccess& form);
// The application date "2013年 3月" as its year ("2013") and month (" 3"): the month is the two
// characters after "年", empty when the text ends before.
struct DateParts {
    QString year;
    QString month;
};
DateParts SplitApplicationDate(const QString& date);

inline const QString CheckPassedText = QStringLiteral("恭喜您,数据检查成功!");
