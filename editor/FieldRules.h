#pragma once
// The rules a field's value must pass when the field is left, as plain functions of the form's
// values. Each answers what the user is told, or nothing when the value passes; an empty field
// passes (whether it may be empty is the data check's concern). The screen shows the message
// and keeps the focus; the list of problems shows every one at once.
#include "FieldAccess.h"

QString ApplicantIdProblem(const FieldAccess& form);  // edsfzh1
QString EmailProblem(const FieldAccess& form);        // edemail
QString EndYearProblem(const FieldAccess& form);      // edyjzsjy, against the start year
QString AmountProblem(const FieldAccess& form);       // edsqje
QString PhoneProblem(const FieldAccess& form);        // edlxdh
QString SchoolNameProblem(const FieldAccess& form);   // edcddw1

// The rule of a control by name, member identity numbers included; nothing for a control that
// has no rule or passes it.
QString FieldProblem(const FieldAccess& form, const QString& controlName);
