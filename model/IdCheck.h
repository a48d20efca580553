#pragma once
// Resident identity numbers (15 and 18 characters, ISO 7064 MOD 11-2 check character) and
// e-mail addresses as the short form accepts them.
#include "FieldAccess.h"

#include <QDate>
#include <QString>
#include <optional>

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
// The number's parts; nothing when it is no acceptable number.
std::optional<TIDNumInfo> ParseIdNumber(const QString& text);
struct BirthAndSex {
    QString birth;  // "1980-05"
    QString sex;    // "男" or "女"
};
// Both empty when the number is not acceptable.
BirthAndSex IdBirthAndSex(const QString& text);

inline const QString BadIdNumberText = QStringLiteral("输入的身份证号码不正确!");
// What is wrong with a member's identity number (edsfzh2 … edsfzh10): not acceptable, or the
// same as the applicant's or another member's; empty when nothing is (or the field is empty).
QString MemberIdProblem(const FieldAccess& screen, const QString& fieldName);
bool IsValidEmail(const QString& text);
