#include "SimpleformRules.h"

#include "CodeLookup.h"
#include "DisciplineLookup.h"
#include "FormPanel.h"
#include "Edition.h"
#include "FieldRules.h"
#include "FormProblems.h"
#include "FormHelpers.h"
#include "Gb18030.h"
#include "IdCheck.h"
#include "InputControls.h"
#include "MemberOrder.h"
#include "ModalResult.h"
#include "Seams.h"
#include "ShortForm.h"
#include "SimpleformTables.h"
#include "Tags.h"
#include "TeamMembers.h"
#include "Text.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QToolButton>

namespace {

template <class T>
T* Control(const RuledForm& form, const QString& name)
{
    return qobject_cast<T*>(form.control(name));
}

QString Trimmed(const RuledForm& screen, const QString& name)
{
    return TrimBlanks(screen.text(name));
}

bool ApplicantIdLeft(RuledForm& screen)
{
    const QString t = Trimmed(screen, "edsfzh1");
    if (t.isEmpty())
        return true;
    const BirthAndSex person = IdBirthAndSex(t);
    auto* birthField = Control<QLineEdit>(screen, "edcsny");
    QWidget* sexField = screen.control("edxb");
    if (!person.sex.isEmpty()) {
        screen.setText("edcsny", person.birth);
        screen.setText("edxb", person.sex);
        SetEditable(birthField, false);
        sexField->setEnabled(false);
        return true;
    }
    // The applicant's birth date becomes editable when the identity number cannot give it.
    SetEditable(birthField, true);
    sexField->setEnabled(true);
    ShowNotice(ApplicantIdProblem(screen), NoticeCaption);
    return false;
}

// A field's rule as an exit rule: its message as a notice, and the focus back.
bool Judged(RuledForm& screen, const QString& control)
{
    const QString message = FieldProblem(screen, control);
    if (!message.isEmpty())
        ShowNotice(message, NoticeCaption);
    return message.isEmpty();
}

// The application date "2013年 3月" shows as year and month; the split runs whenever a document
// puts a date there, not while the month choice rebuilds it.
bool RebuildingDate = false;

void SplitDate(RuledForm& screen)
{
    if (RebuildingDate)
        return;
    if (QWidget* date = screen.control("edsqrq"); Tag(date) == 2)
        SetTag(date, 1);
    const DateParts date = SplitApplicationDate(screen.text("edsqrq"));
    screen.setText("edtsqyear", date.year);
    screen.setText("cmbmonth", date.month);
}

void RebuildDate(RuledForm& screen)
{
    const QString month = (" " + screen.text("cmbmonth")).right(2);
    RebuildingDate = true;
    screen.setText("edsqrq", screen.text("edtsqyear") + QStringLiteral("年") + month + QStringLiteral("月"));
    RebuildingDate = false;
}

void TitleRule(RuledForm& screen)
{
    auto* title = Control<QComboBox>(screen, "edzyjszw1");
    const TitleClass category = TitleCategory(SyncCodeField(screen.formWidget(), title, 5));
    screen.setText("edjbdm", category.letter);
    screen.setText("edjb", category.name);
    CountTeam(screen, screen.text("edjbdm"));
}

// Digits, a hyphen, a full stop or an "X" where the field takes them (FilterKey's modes).
RuledForm::KeyRule Filter(int mode)
{
    return [mode](QWidget* control, QChar c) {
        FilterKey(control, c, mode);
        return !c.isNull();
    };
}

// The controls a rule of the table applies to.
QStringList ControlsOf(const FieldRule& rule)
{
    if (!rule.rows)
        return {rule.control};
    QStringList names;
    for (int row = FirstMemberRow; row <= LastMemberRow; ++row)
        names << MemberField(rule.control, row);
    return names;
}

void OnChosen(RuledForm& screen, const QString& name, std::function<void()> rule)
{
    if (auto* combo = Control<QComboBox>(screen, name))
        QObject::connect(combo, &QComboBox::activated, screen.formWidget(), std::move(rule));
}

void OnClick(RuledForm& screen, const QString& name, std::function<void()> action)
{
    if (auto* button = Control<QToolButton>(screen, name))
        QObject::connect(button, &QToolButton::clicked, screen.formWidget(), std::move(action));
}

// F4 or Alt+Down in the read-only discipline code opens its lookup, as in a drop-down list.
class LookupKey : public QObject {
public:
    LookupKey(QToolButton* button, QObject* parent) : QObject(parent), m_button(button) {}
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_F4 || (key->key() == Qt::Key_Down && (key->modifiers() & Qt::AltModifier))) {
            m_button->click();
            return true;
        }
        return false;
    }

private:
    QToolButton* m_button;
};

} // namespace

void RefreshUnits(RuledForm& screen)
{
    QStringList units;
    for (const char* name : {"edcddw1", "edcddw2", "edcddw3"})
        if (const QString t = Trimmed(screen, name); !t.isEmpty())
            units << t;
    screen.setText("edcjdw", QString::number(units.size()));
    for (int row = FirstMemberRow; row <= LastMemberRow; ++row)
        if (auto* combo = Control<QComboBox>(screen, MemberField(MemberUnitPrefix, row)))
            ReplaceItems(combo, units);
}

QString CheckForm(RuledForm& screen)
{
    // The first required field left empty, from the walk that lists every problem.
    for (const FormProblem& problem : FormProblems(screen)) {
        if (problem.kind != FormProblem::Empty)
            continue;
        if (QWidget* control = screen.control(problem.control); control && !control->isHidden())
            screen.focus(problem.control);
        return problem.message;
    }
    const QString members = CheckMembers(screen);
    return members.isEmpty() ? CheckPassedText : members;
}

void LookupCode(RuledForm& screen, const QString& comboName)
{
    auto* combo = Control<QComboBox>(screen, comboName);
    if (!combo || !frmcode) {
        ShowNotice(QStringLiteral("代码查询窗口不可用"), NoticeCaption);
        return;
    }
    // The dialog scrolls its own list; the screen's wheel comes back however the lookup ends.
    screen.RemoveWheelHook();
    const struct WheelBack {
        RuledForm& screen;
        ~WheelBack() { screen.InstallWheelHook(); }
    } back{screen};
    QStringList lines;
    for (int i = 0; i < combo->count(); ++i)
        lines << combo->itemData(i).value<Tmycomp>().Code + " | " + combo->itemText(i);
    frmcode->SetCodeList(lines);
    if (frmcode->exec() != ModalChosen)
        return;
    combo->setFocus(Qt::OtherFocusReason);
    SetControlText(combo, frmcode->ResultText);
    SelectTypedItem(combo);
    if (comboName == QLatin1String("edzyjszw1"))
        TitleRule(screen);
}

void LookupDiscipline(RuledForm& screen)
{
    if (!frmxkdm_tree || frmxkdm_tree->exec() != ModalChosen)
        return;
    screen.setText("edxkdm", frmxkdm_tree->SelCode);
    screen.setText("edxk", frmxkdm_tree->SelName);
    screen.setText("edyjxk", frmxkdm_tree->SelRootName);
}

void AttachShortFormRules(RuledForm& screen)
{
    RuledForm* s = &screen;

    // What a key filter refuses can still arrive pasted: the exit rules judge the whole text.
    for (const FieldRule& rule : FieldRules())
        for (const QString& name : ControlsOf(rule)) {
            if (rule.keys != FilterNone)
                screen.SetKeyRule(name, Filter(rule.keys), rule.keyRefusal);
            if (rule.problem)
                screen.SetExitRule(name, [s](QWidget* field) { return Judged(*s, field->objectName()); });
        }
    // Exit rules that do more than judge.
    screen.SetExitRule("edsfzh1", [s](QWidget*) { return ApplicantIdLeft(*s); });
    screen.SetExitRule("edcddw1", [s](QWidget* field) {
        RefreshUnits(*s);
        return Judged(*s, field->objectName());
    });
    for (const char* unit : {"edcddw2", "edcddw3", "edsqrq"})
        screen.SetExitRule(unit, [s](QWidget*) {
            RefreshUnits(*s);
            return true;
        });
    screen.SetExitRule("edszxy", [s](QWidget* field) {
        s->setText(field->objectName(), TrimBlanks(s->text(field->objectName())));
        return true;
    });

    for (const char* name : {"edxmlb", "edyjlb", "edxw"})
        OnChosen(screen, name, [s, name] { SyncCodeField(s->formWidget(), Control<QComboBox>(*s, name), 5); });
    OnChosen(screen, "edzyjszw1", [s] { TitleRule(*s); });
    for (int row = FirstMemberRow; row <= LastMemberRow; ++row)
        OnChosen(screen, MemberField(MemberTitlePrefix, row), [s] { CountTeam(*s, s->text("edjbdm")); });
    OnChosen(screen, "cmbmonth", [s] { RebuildDate(*s); });
    if (auto* date = Control<QLineEdit>(screen, "edsqrq"))
        QObject::connect(date, &QLineEdit::textChanged, screen.formWidget(), [s] { SplitDate(*s); });

    OnClick(screen, "SpeedButton11", [s] { LookupCode(*s, "edzyjszw1"); });
    OnClick(screen, "SpeedButton12", [s] { LookupCode(*s, "edcddw1"); });
    OnClick(screen, "SpeedButton13", [s] { LookupDiscipline(*s); });
    OnClick(screen, "SpeedButton15", [s] { ReorderMembersWithDialog(*s); });
    for (int row = FirstMemberRow; row <= LastMemberRow; ++row)
        OnClick(screen, "SpeedButton" + QString::number(row), [s, row] { DeleteMember(*s, row); });

    if (auto* button = Control<QToolButton>(screen, "SpeedButton13")) {
        button->setToolTip(button->toolTip() + QStringLiteral("（F4）"));
        if (QWidget* code = screen.control("edxkdm"))
            code->installEventFilter(new LookupKey(button, screen.formWidget()));
    }
}
