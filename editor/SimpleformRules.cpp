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
#include "Simpleform.h"
#include "SimpleformTables.h"
#include "Tags.h"
#include "TeamMembers.h"
#include "Text.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QToolButton>
#include <stdexcept>

namespace {

QString Trimmed(const TFrmSimpleform& screen, const QString& name)
{
    return TrimBlanks(screen.text(name));
}

bool ApplicantIdLeft(TFrmSimpleform& screen)
{
    const QString t = Trimmed(screen, "edsfzh1");
    if (t.isEmpty())
        return true;
    const BirthAndSex person = IdBirthAndSex(t);
    auto* birthField = screen.control<QLineEdit>("edcsny");
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

// A field rule as an exit rule: its message as a notice, and the focus back.
TFrmSimpleform::ExitRule Judged(TFrmSimpleform& screen, QString (*problem)(const FieldAccess&))
{
    return [&screen, problem](QWidget*) {
        const QString message = problem(screen);
        if (!message.isEmpty())
            ShowNotice(message, NoticeCaption);
        return message.isEmpty();
    };
}

// The application date "2013年 3月" shows as year and month; the split runs whenever a document
// puts a date there, not while the month choice rebuilds it.
bool RebuildingDate = false;

void SplitDate(TFrmSimpleform& screen)
{
    if (RebuildingDate)
        return;
    if (QWidget* date = screen.control("edsqrq"); Tag(date) == 2)
        SetTag(date, 1);
    const DateParts date = SplitApplicationDate(screen.text("edsqrq"));
    screen.setText("edtsqyear", date.year);
    screen.setText("cmbmonth", date.month);
}

void RebuildDate(TFrmSimpleform& screen)
{
    const QString month = (" " + screen.text("cmbmonth")).right(2);
    RebuildingDate = true;
    screen.setText("edsqrq", screen.text("edtsqyear") + QStringLiteral("年") + month + QStringLiteral("月"));
    RebuildingDate = false;
}

void TitleRule(TFrmSimpleform& screen)
{
    auto* title = screen.control<QComboBox>("edzyjszw1");
    const TitleClass category = TitleCategory(SyncCodeField(&screen, title, 5));
    screen.setText("edjbdm", category.letter);
    screen.setText("edjb", category.name);
    CountTeam(screen, screen.text("edjbdm"));
}

// Digits, a hyphen, a full stop or an "X" where the field takes them (FilterKey's modes).
TFrmSimpleform::KeyRule Filter(int mode)
{
    return [mode](QWidget* control, QChar c) {
        FilterKey(control, c, mode);
        return !c.isNull();
    };
}

// What the filtered fields take, said in the status bar when a key is refused.
const QString AmountKeys = QStringLiteral("申请经费只能输入数字和一个小数点");
const QString YearKeys = QStringLiteral("终止年份只能输入数字");
const QString PhoneKeys = QStringLiteral("电话只能输入数字和最多两个“-”");
const QString IdKeys = QStringLiteral("身份证号只能输入数字，最后一位可以是X");
const QString SchoolKeys = QStringLiteral("学校名称中不能输入空格");

void OnChosen(TFrmSimpleform& screen, const QString& name, std::function<void()> rule)
{
    if (auto* combo = screen.control<QComboBox>(name))
        QObject::connect(combo, &QComboBox::activated, &screen, std::move(rule));
}

void OnClick(TFrmSimpleform& screen, const QString& name, std::function<void()> action)
{
    if (auto* button = screen.control<QToolButton>(name))
        QObject::connect(button, &QToolButton::clicked, &screen, std::move(action));
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

void RefreshUnits(TFrmSimpleform& screen)
{
    QStringList units;
    for (const char* name : {"edcddw1", "edcddw2", "edcddw3"})
        if (const QString t = Trimmed(screen, name); !t.isEmpty())
            units << t;
    screen.setText("edcjdw", QString::number(units.size()));
    for (int row = FirstMemberRow; row <= LastMemberRow; ++row)
        if (auto* combo = screen.control<QComboBox>(MemberField(MemberUnitPrefix, row)))
            ReplaceItems(combo, units);
}

QString CheckForm(TFrmSimpleform& screen)
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

void LookupCode(TFrmSimpleform& screen, const QString& comboName)
{
    screen.RemoveWheelHook();
    try {
        auto* combo = screen.control<QComboBox>(comboName);
        if (!combo || !frmcode)
            throw std::runtime_error("代码查询窗口不可用");
        QStringList lines;
        for (int i = 0; i < combo->count(); ++i)
            lines << combo->itemData(i).value<Tmycomp>().Code + " | " + combo->itemText(i);
        frmcode->SetCodeList(lines);
        if (frmcode->exec() == ModalChosen) {
            combo->setFocus(Qt::OtherFocusReason);
            SetControlText(combo, frmcode->ResultText);
            SelectTypedItem(combo);
            if (comboName == QLatin1String("edzyjszw1"))
                TitleRule(screen);
        }
        screen.InstallWheelHook();
    } catch (const std::exception& error) {
        ShowNotice(QString::fromUtf8(error.what()), NoticeCaption);
    }
}

void LookupDiscipline(TFrmSimpleform& screen)
{
    if (!frmxkdm_tree || frmxkdm_tree->exec() != ModalChosen)
        return;
    screen.setText("edxkdm", frmxkdm_tree->SelCode);
    screen.setText("edxk", frmxkdm_tree->SelName);
    screen.setText("edyjxk", frmxkdm_tree->SelRootName);
}

void AttachShortFormRules(TFrmSimpleform& screen)
{
    TFrmSimpleform* s = &screen;

    screen.SetKeyRule("edsqje", Filter(FilterAmount), AmountKeys);
    screen.SetKeyRule("edyjzsjy", Filter(FilterDigits), YearKeys);
    screen.SetKeyRule("edlxdh", Filter(FilterPhone), PhoneKeys);
    for (int row = 1; row <= LastMemberRow; ++row)
        screen.SetKeyRule(MemberField(MemberIdPrefix, row), Filter(FilterIdNumber), IdKeys);
    screen.SetKeyRule("edcddw1", [](QWidget*, QChar c) { return c != ' '; }, SchoolKeys);

    // What a key filter refuses can still arrive pasted: the exit rules judge the whole text.
    screen.SetExitRule("edsfzh1", [s](QWidget*) { return ApplicantIdLeft(*s); });
    for (int row = FirstMemberRow; row <= LastMemberRow; ++row)
        screen.SetExitRule(MemberField(MemberIdPrefix, row), [s](QWidget* field) {
            CheckMemberId(*s, field->objectName());  // it puts the focus back itself
            return true;
        });
    screen.SetExitRule("edemail", Judged(screen, EmailProblem));
    screen.SetExitRule("edyjzsjy", Judged(screen, EndYearProblem));
    screen.SetExitRule("edsqje", Judged(screen, AmountProblem));
    screen.SetExitRule("edlxdh", Judged(screen, PhoneProblem));
    screen.SetExitRule("edcddw1", [s](QWidget*) {
        RefreshUnits(*s);
        return Judged(*s, SchoolNameProblem)(nullptr);
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
        OnChosen(screen, name, [s, name] { SyncCodeField(s, s->control<QComboBox>(name), 5); });
    OnChosen(screen, "edzyjszw1", [s] { TitleRule(*s); });
    for (int row = FirstMemberRow; row <= LastMemberRow; ++row)
        OnChosen(screen, MemberField(MemberTitlePrefix, row), [s] { CountTeam(*s, s->text("edjbdm")); });
    OnChosen(screen, "cmbmonth", [s] { RebuildDate(*s); });
    if (auto* date = screen.control<QLineEdit>("edsqrq"))
        QObject::connect(date, &QLineEdit::textChanged, &screen, [s] { SplitDate(*s); });

    OnClick(screen, "SpeedButton11", [s] { LookupCode(*s, "edzyjszw1"); });
    OnClick(screen, "SpeedButton12", [s] { LookupCode(*s, "edcddw1"); });
    OnClick(screen, "SpeedButton13", [s] { LookupDiscipline(*s); });
    OnClick(screen, "SpeedButton15", [s] { ReorderMembersWithDialog(*s); });
    for (int row = FirstMemberRow; row <= LastMemberRow; ++row)
        OnClick(screen, "SpeedButton" + QString::number(row), [s, row] { DeleteMember(*s, row); });

    if (auto* button = screen.control<QToolButton>("SpeedButton13")) {
        button->setToolTip(button->toolTip() + QStringLiteral("（F4）"));
        if (QWidget* code = screen.control("edxkdm"))
            code->installEventFilter(new LookupKey(button, &screen));
    }
}
