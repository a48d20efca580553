#include "FormProblems.h"

#include "FieldRules.h"

#include <QMap>
#include <QSet>
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

// The field a person sees for a catalogue field: a code is chosen by its text.
QString ShownControl(const QString& field)
{
    static const QMap<QString, QString> shown = {
        {"xmlbdm", "edxmlb"}, {"yjlbdm", "edyjlb"}, {"zyjszwdm1", "edzyjszw1"}, {"xwdm", "edxw"}};
    return shown.value(field, "ed" + field);
}

QList<FormProblem> FormProblems(const FieldAccess& form, const QList<LeftOut>& leftOut)
{
    QList<FormProblem> problems;
    QSet<QString> noted;
    for (const LeftOut& left : leftOut) {
        const QString control = ShownControl(left.field);
        if (!TrimBlanks(form.text(control)).isEmpty())
            continue;  // chosen again
        problems.append({FormProblem::NotCarriedOver, control, left.label,
                         QStringLiteral("原值 ") + left.value + " " + left.reason + QStringLiteral("，请重新选择")});
        noted.insert(control.toLower());
        if (left.field == QLatin1String("xkdm"))
            noted.insert(QStringLiteral("edxk"));  // the name goes with its code
    }
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
            if (noted.contains(spec.name.toLower()))
                continue;
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
