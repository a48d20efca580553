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

namespace {

// The rules judge by their own field; these adapt them to the table's form.
template <QString (*Rule)(const FieldAccess&)>
QString Own(const FieldAccess& form, const QString&)
{
    return Rule(form);
}

} // namespace

const QList<FieldRule>& FieldRules()
{
    static const QList<FieldRule> rules = {
        {"edsqje", false, FilterAmount, QStringLiteral("申请经费只能输入数字和一个小数点"), Own<AmountProblem>},
        {"edyjzsjy", false, FilterDigits, QStringLiteral("终止年份只能输入数字"), Own<EndYearProblem>},
        {"edsfzh1", false, FilterIdNumber, QStringLiteral("身份证号只能输入数字，最后一位可以是X"), Own<ApplicantIdProblem>},
        {"edlxdh", false, FilterPhone, QStringLiteral("电话只能输入数字和最多两个“-”"), Own<PhoneProblem>},
        {"edemail", false, FilterNone, {}, Own<EmailProblem>},
        {"edcddw1", false, FilterNoBlank, QStringLiteral("学校名称中不能输入空格"), Own<SchoolNameProblem>},
        {MemberIdPrefix, true, FilterIdNumber, QStringLiteral("身份证号只能输入数字，最后一位可以是X"), MemberIdProblem},
    };
    return rules;
}

const FieldRule* FieldRuleOf(const QString& controlName)
{
    const QString name = controlName.toLower();
    for (const FieldRule& rule : FieldRules()) {
        if (!rule.rows && name == rule.control)
            return &rule;
        if (rule.rows && name.startsWith(rule.control)) {
            bool number = false;
            const int row = name.mid(rule.control.size()).toInt(&number);
            if (number && row >= FirstMemberRow && row <= LastMemberRow)
                return &rule;
        }
    }
    return nullptr;
}

QString FieldProblem(const FieldAccess& form, const QString& controlName)
{
    const FieldRule* rule = FieldRuleOf(controlName);
    return rule && rule->problem ? rule->problem(form, controlName) : QString();
}
