#include "FieldRules.h"

#include "IdCheck.h"
#include "ShortForm.h"
#include "Text.h"

#include <QRegularExpression>

namespace {

QString Trimmed(const FieldAccess& form, const QString& name)
{
    return TrimBlanks(form.text(name));
}

} // namespace

QString ApplicantIdProblem(const FieldAccess& form)
{
    const QString t = Trimmed(form, "edsfzh1");
    return t.isEmpty() || !IdBirthAndSex(t).sex.isEmpty() ? QString() : BadIdNumberText;
}

QString EmailProblem(const FieldAccess& form)
{
    const QString t = Trimmed(form, "edemail");
    return t.isEmpty() || IsValidEmail(t) ? QString() : QStringLiteral("电子邮件格式错误,请修改!");
}

QString EndYearProblem(const FieldAccess& form)
{
    const QString t = Trimmed(form, "edyjzsjy");
    if (t.isEmpty())
        return {};
    if (t.size() != 4 || !IsAllDigits(t))
        return QStringLiteral("请输入正确的年份!");
    bool known = false;
    const int start = Trimmed(form, "edyjqsjy").toInt(&known);
    return known && t.toInt() < start ? QStringLiteral("研究止年份应在研究起年份之后!") : QString();
}

QString AmountProblem(const FieldAccess& form)
{
    // What the amount keys let through: digits and one full stop. One expression per thread:
    // the receiving office's intake checks documents on several.
    static thread_local const QRegularExpression amount(QStringLiteral("^(\\d+(\\.\\d*)?|\\.\\d+)$"));
    const QString t = Trimmed(form, "edsqje");
    return t.isEmpty() || amount.match(t).hasMatch() ? QString() : QStringLiteral("请输入正确的申请经费!");
}

QString PhoneProblem(const FieldAccess& form)
{
    // What the telephone keys let through: digits and at most two hyphens.
    static thread_local const QRegularExpression phone(QStringLiteral("^[0-9-]*[0-9][0-9-]*$"));
    const QString t = Trimmed(form, "edlxdh");
    return t.isEmpty() || (phone.match(t).hasMatch() && t.count('-') <= 2) ? QString()
                                                                          : QStringLiteral("请输入正确的电话号码!");
}

QString SchoolNameProblem(const FieldAccess& form)
{
    return Trimmed(form, "edcddw1").contains(' ') ? QStringLiteral("学校名称中不能有空格!") : QString();
}

QString FieldProblem(const FieldAccess& form, const QString& controlName)
{
    const QString name = controlName.toLower();
    if (name == QLatin1String("edsfzh1"))
        return ApplicantIdProblem(form);
    if (name.startsWith(MemberIdPrefix))
        return MemberIdProblem(form, controlName);
    if (name == QLatin1String("edemail"))
        return EmailProblem(form);
    if (name == QLatin1String("edyjzsjy"))
        return EndYearProblem(form);
    if (name == QLatin1String("edsqje"))
        return AmountProblem(form);
    if (name == QLatin1String("edlxdh"))
        return PhoneProblem(form);
    if (name == QLatin1String("edcddw1"))
        return SchoolNameProblem(form);
    return {};
}
