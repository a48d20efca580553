#pragma once
// Each field's rules, written once as data: what it takes as it is typed, and what its value
// must pass. The screen filters the keys and judges a field when it is left; the list of
// problems, "qvtool verify --all", "qvtool set" and the intake judge values with the same rules.
// A rule answers what the user is told, or nothing when the value passes; an empty field passes
// (whether it may be empty is the data check's concern, from the control table's tags).
#include "FieldAccess.h"
#include "KeyFilters.h"

#include <QList>

QString ApplicantIdProblem(const FieldAccess& form);  // edsfzh1
QString EmailProblem(const FieldAccess& form);        // edemail
QString EndYearProblem(const FieldAccess& form);      // edyjzsjy, against the start year
QString AmountProblem(const FieldAccess& form);       // edsqje
QString PhoneProblem(const FieldAccess& form);        // edlxdh
QString SchoolNameProblem(const FieldAccess& form);   // edcddw1

using RuleProblem = QString (*)(const FieldAccess& form, const QString& control);

struct FieldRule {
    QString control;       // the control's name; with rows, a member column's prefix (rows 2 … 10)
    bool rows = false;
    FilterMode keys = FilterNone;
    QString keyRefusal;    // what the field takes, said when a typed character is refused
    RuleProblem problem = nullptr;
};

// Every rule, in the form's order.
const QList<FieldRule>& FieldRules();
// The rule of a control by name (letter case ignored), member rows included; nothing for a
// control without one.
const FieldRule* FieldRuleOf(const QString& controlName);

// The rule of a control by name, member identity numbers included; nothing for a control that
// has no rule or passes it.
QString FieldProblem(const FieldAccess& form, const QString& controlName);
