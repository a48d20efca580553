#include "IdCheck.h"

#include "ShortForm.h"

#include "Edition.h"
#include "Text.h"

bool IsAllDigits(const QString& text)
{
    if (text.isEmpty())
        return false;
    for (const QChar c : text)
        if (c < '0' || c > '9')
            return false;
    return true;
}

QChar IdCheckChar(const QString& text)
{
    if (text.size() != 18)
        return ' ';
    static const int Weights[17] = {7, 9, 10, 5, 8, 4, 2, 1, 6, 3, 7, 9, 10, 5, 8, 4, 2};
    int sum = 0;
    for (int i = 0; i < 17; ++i)
        sum += (text.at(i).unicode() - '0') * Weights[i];
    return QStringLiteral("10X98765432").at(sum % 11);
}

std::optional<TIDNumInfo> ParseIdNumber(const QString& text)
{
    TIDNumInfo info;
    const qsizetype n = text.size();
    int year = 0, month = 0, day = 0, sexDigit = 0;
    if (n == 15) {
        if (!IsAllDigits(text))
            return std::nullopt;
        info.IdKind = 0;
        year = 1900 + text.mid(6, 2).toInt();
        month = text.mid(8, 2).toInt();
        day = text.mid(10, 2).toInt();
        sexDigit = text.at(14).unicode() - '0';
    } else if (n == 18) {
        const QChar last = text.at(17);
        if (!IsAllDigits(text.left(17)) || !((last >= '0' && last <= '9') || last == 'X' || last == 'x'))
            return std::nullopt;
        info.IdKind = 1;
        year = text.mid(6, 4).toInt();
        month = text.mid(10, 2).toInt();
        day = text.mid(12, 2).toInt();
        sexDigit = text.at(16).unicode() - '0';
    } else {
        return std::nullopt;
    }
    info.AreaCode = text.left(6);
    // QDate knows the Gregorian leap years; year 0 is no year.
    if (year < 1 || !QDate::isValid(year, month, day))
        return std::nullopt;
    info.BirthDate = QDate(year, month, day);
    info.Sex = sexDigit % 2 == 1 ? 1 : 2;
    if (n == 18) {
        if (IdCheckChar(text) != text.at(17).toUpper())
            return std::nullopt;
        info.CheckState = 2;
    }
    return info;
}

BirthAndSex IdBirthAndSex(const QString& text)
{
    const std::optional<TIDNumInfo> info = ParseIdNumber(text);
    if (!info)
        return {};
    return {QString::asprintf("%04d-%02d", info->BirthDate.year(), info->BirthDate.month()),
            info->Sex == 2 ? QStringLiteral("女") : QStringLiteral("男")};
}

QString MemberIdProblem(const FieldAccess& screen, const QString& fieldName)
{
    const QString t = TrimBlanks(screen.text(fieldName));
    if (t.isEmpty())
        return {};
    if (!ParseIdNumber(t))
        return BadIdNumberText;
    for (int k = 1; k <= LastMemberRow; ++k) {
        const QString other = MemberIdPrefix + QString::number(k);
        if (other.compare(fieldName, Qt::CaseInsensitive) != 0 && TrimBlanks(screen.text(other)) == t)
            return k == 1 ? QStringLiteral("与申请人身份证号码相同!") : QStringLiteral("与第%1个参与人身份证号码相同!").arg(k - 1);
    }
    return {};
}

bool IsValidEmail(const QString& text)
{
    const QString t = TrimBlanks(text);
    if (t.isEmpty() || !t.contains('.') || !t.contains('@'))
        return false;
    for (const QChar c : {QChar('\\'), QChar(0x3002), QChar(','), QChar(0xff0c)})
        if (t.contains(c))
            return false;
    return true;
}
