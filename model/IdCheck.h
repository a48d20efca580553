#pragma once
// Resident identity numbers (15 and 18 characters, ISO 7064 MOD 11-2 check character) and
// e-mail addresses as the short form accepts them.
#include "FieldAccess.h"

#include <QDate>
#include <QString>

struct TIDNumInfo {
    quint8 IdKind = 0;      // 0 the 15-character form, 1 the 18-character form
    QString AreaCode;
    QDate BirthDate;
    quint8 Sex = 0;         // 0 not determined, 1 male, 2 female
    quint8 CheckState = 0;  // 2 when an 18-character number's check character matched
};

bool IsAllDigits(const QString& text);
// The check character of an 18-character text; a blank for any other length.
QChar IdCheckChar(const QString& text);
bool ParseIdNumber(const QString& text, TIDNumInfo& info);
// "1980-05" and "男"/"女"; both empty when the number is not acceptable.
void IdBirthAndSex(const QString& text, QString& birth, QString& sex);
// The rule run when a member's identity field (edsfzh2 … edsfzh10) is left.
void CheckMemberId(FieldAccess& screen, const QString& fieldName);
bool IsValidEmail(const QString& text);
