#include "FormProblems.h"

#include "FieldRules.h"
#include "Gb18030.h"
#include "ShortForm.h"
#include "SimpleformTables.h"
#include "TeamMembers.h"
#include "Text.h"

namespace {

// The data check's message for an empty field: its hint, after "请输入" or "请选择" unless the hint
// asks itself ("请…") or the field is the memo.
QString EmptyMessage(const ControlSpec& spec)
{
    if (spec.hint.startsWith(QStringLiteral("请")) || spec.kind == ControlKind::Memo)
        return spec.hint;
    const bool choice = spec.kind == ControlKind::SelectOnly || spec.kind == ControlKind::Combo;
    return (choice ? QStringLiteral("请选择") : QStringLiteral("请输入")) + spec.hint;
}

QString LabelOf(const ControlSpec& spec)
{
    QString label = spec.label;
    label.remove('*').remove(' ');
    return label.isEmpty() ? spec.hint : label;
}

bool Examined(const QString& name)
{
    return name.startsWith(QLatin1String("ed")) || name.startsWith(QLatin1String("cb")) || name.startsWith(QLatin1String("cmb"));
}

// The partly filled member rows, and the member identity numbers that fail their rule.
void MemberProblems(const FieldAccess& form, QList<FormProblem>& problems)
{
    for (int row = FirstMemberRow; row <= LastMemberRow; ++row) {
        QStringList missing;
        QString firstMissing;
        bool anyFilled = false;
        for (const MemberColumn& column : MemberColumns()) {
            const QString field = MemberField(column.prefix, row);
            if (TrimBlanks(form.text(field)).isEmpty()) {
                missing << column.label;
                if (firstMissing.isEmpty())
                    firstMissing = field;
            } else {
                anyFilled = true;
            }
        }
        const QString name = TrimBlanks(form.text(MemberField(MemberNamePrefix, row)));
        const QString member = QStringLiteral("成员%1").arg(row - 1) + (name.isEmpty() ? QString() : "（" + name + "）");
        if (anyFilled && !missing.isEmpty())
            problems.append({FormProblem::MemberRow, firstMissing, member,
                             QStringLiteral("请补全项目组成员") + missing.join(QStringLiteral("、"))});
        const QString id = MemberField(MemberIdPrefix, row);
        if (const QString wrong = FieldProblem(form, id); !wrong.isEmpty())
            problems.append({FormProblem::RuleFails, id, member + QStringLiteral("身份证号"), wrong});
    }
}

} // namespace

QList<FormProblem> FormProblems(const FieldAccess& form)
{
    QList<FormProblem> problems;
    for (const PanelSpec& panel : ShortFormPanels()) {
        if (panel.name == QLatin1String("GroupBox4")) {
            MemberProblems(form, problems);
            continue;
        }
        for (const ControlSpec& spec : panel.controls) {
            if (spec.kind == ControlKind::Button || !Examined(spec.name))
                continue;
            const int own = form.tagOf(spec.name);
            const int tag = own >= 0 ? own : spec.tag;
            const QString text = TrimBlanks(form.text(spec.name));
            if (tag == 1 && text.isEmpty())
                problems.append({FormProblem::Empty, spec.name, LabelOf(spec), EmptyMessage(spec)});
            else if (const QString wrong = FieldProblem(form, spec.name); !wrong.isEmpty())
                problems.append({FormProblem::RuleFails, spec.name, LabelOf(spec), wrong});
        }
    }
    return problems;
}

DateParts SplitApplicationDate(const QString& date)
{
    const QString t = TrimBlanks(date);
    return {t.left(4), FromGb18030(ToGb18030(t).mid(6, 2))};
}

void DeriveLoadedFields(FieldAccess& form)
{
    const DateParts date = SplitApplicationDate(form.text("edsqrq"));
    form.setText("edtsqyear", date.year);
    form.setText("cmbmonth", date.month);
    form.setTag("edsqrq", 1);  // a date taken from a document is required from then on
    form.setText("edbsh", QString::number(CountPostdocs(form)));
}
