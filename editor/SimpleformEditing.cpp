// The short-form screen while the user types: the problems list that follows each edit, the
// status bar's notes and byte counts, the exit and key rules, the edit journal and the wheel.
#include "Simpleform.h"

#include "Edition.h"
#include "EditJournal.h"
#include "FormHelpers.h"
#include "FormProblems.h"
#include "Gb18030.h"
#include "InputControls.h"
#include "Seams.h"
#include "ShortFormControls.h"
#include "Tags.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDateTime>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QScrollArea>
#include <QStatusBar>
#include <QTimer>

namespace {

constexpr int NoteMilliseconds = 5000;  // how long the status bar shows a note

} // namespace

void TFrmSimpleform::ShowProblems()
{
    if (!ProblemPanel->isVisibleTo(this)) {
        ProblemPanel->show();
        Layout();
    }
    RefreshProblems();
}

void TFrmSimpleform::RefreshProblems()
{
    if (!ProblemPanel->isVisibleTo(this))
        return;
    const QList<FormProblem> problems = FormProblems(*this, m_carryOverNotes);
    ProblemList->clear();
    for (const FormProblem& problem : problems) {
        auto* item = new QListWidgetItem(problem.label + QStringLiteral("：") + problem.message, ProblemList);
        item->setData(Qt::UserRole, problem.control);
    }
    ProblemHeading->setText(problems.isEmpty() ? QStringLiteral("待完善事项：没有了")
                                               : QStringLiteral("待完善事项（%1）").arg(problems.size()));
}

void TFrmSimpleform::GoToProblem(QListWidgetItem* item)
{
    QString name = item ? item->data(Qt::UserRole).toString() : QString();
    // The hidden date is chosen by its month.
    if (name == QLatin1String("edsqrq"))
        name = QStringLiteral("cmbmonth");
    if (QWidget* widget = control(name); widget && !widget->isHidden()) {
        ScrollBox1->ensureWidgetVisible(widget);
        widget->setFocus(Qt::OtherFocusReason);
    }
}

void TFrmSimpleform::WatchEdits(QWidget* widget)
{
    // Nothing is cut or changed without a word: the status bar says what was left out.
    const QString shown = widget->property(ShownName).toString();
    auto leftOut = [this, shown, widget](const QString& text) {
        const int limit = LimitOf(widget) ? LimitOf(widget)->maxBytes() : qobject_cast<MemoEdit*>(widget)->maxBytes();
        Tell(QStringLiteral("%1最多 %2 字节，这些没有放进去：%3").arg(shown).arg(limit).arg(text));
    };
    auto cleaned = [this, shown] { Tell(shown + QStringLiteral("：换行和制表符已换成空格，控制字符已去掉")); };
    if (InputLimit* limit = LimitOf(widget)) {
        connect(limit, &InputLimit::leftOut, this, leftOut);
        connect(limit, &InputLimit::cleaned, this, cleaned);
    } else if (auto* memo = qobject_cast<MemoEdit*>(widget)) {
        connect(memo, &MemoEdit::leftOut, this, leftOut);
        connect(memo, &MemoEdit::cleaned, this, [this, shown] { Tell(shown + QStringLiteral("：控制字符已去掉")); });
    }
    if (auto* combo = qobject_cast<QComboBox*>(widget))
        connect(combo, &QComboBox::activated, this, [this] { RefreshProblems(); });
    auto soon = [this, widget] {
        JournalSoon();
        if (widget->hasFocus() && !m_noteTimer->isActive())
            ShowUsage(widget);
    };
    if (auto* edit = qobject_cast<QLineEdit*>(widget))
        connect(edit, &QLineEdit::textEdited, this, soon);
    else if (auto* combo = qobject_cast<QComboBox*>(widget)) {
        connect(combo, &QComboBox::activated, this, soon);
        if (combo->lineEdit())
            connect(combo->lineEdit(), &QLineEdit::textEdited, this, soon);
    } else if (auto* memo = qobject_cast<MemoEdit*>(widget))
        connect(memo, &QPlainTextEdit::textChanged, this, soon);
}

void TFrmSimpleform::Tell(const QString& note)
{
    StatusNote->setText(note);
    m_noteTimer->start(NoteMilliseconds);
}

void TFrmSimpleform::ShowUsage(QWidget* widget)
{
    // While a limited field has the focus, the status bar shows how much of it is used.
    int limit = 0;
    if (InputLimit* field = LimitOf(widget))
        limit = field->maxBytes();
    else if (auto* memo = qobject_cast<MemoEdit*>(widget))
        limit = memo->maxBytes();
    if (m_noteTimer->isActive())
        return;
    StatusNote->setText(limit <= 0 ? QString()
                                   : QStringLiteral("%1：%2/%3 字节")
                                         .arg(widget->property(ShownName).toString())
                                         .arg(Gb18030Length(ControlText(widget)))
                                         .arg(limit));
}

void TFrmSimpleform::JournalSoon()
{
    if (Tag(this) == 1 && !m_journalTimer->isActive())
        m_journalTimer->start(JournalInterval);
}

void TFrmSimpleform::JournalNow()
{
    m_journalTimer->stop();
    // A document that failed to load, or is not loaded yet, has nothing to keep.
    if (Tag(this) != 1 || !m_document || !m_document->LoadedDocument.isValid())
        return;
    const QMap<QString, QString> changed = m_document->ChangedValues(*this);
    if (changed == m_journaled)
        return;
    if (m_document->WriteJournal(changed).written())
        m_journaled = changed;
}

void TFrmSimpleform::OfferJournal()
{
    const std::optional<EditJournal> journal = m_document->Journal();
    if (!journal)
        return;
    const QMap<QString, QString> values = m_document->ValuesToRestore(*journal);
    // Another document at the same path, or nothing that still differs: the journal is done.
    if (values.isEmpty() || !AskConfirm(QStringLiteral("发现上次未保存的修改（") + journal->written.toString(QStringLiteral("yyyy年M月d日 HH:mm"))
                                            + QStringLiteral("），要恢复吗？"),
                                        NoticeCaption)) {
        m_document->RemoveJournal();
        return;
    }
    // Edits like any other: the next save or close stores them.
    for (auto it = values.cbegin(); it != values.cend(); ++it)
        setText("ed" + it.key(), it.value());
    m_journaled = journal->values;
}

void TFrmSimpleform::InstallWheelHook()
{
    if (m_hookInstalled)
        return;
    QCoreApplication::instance()->installEventFilter(m_wheelHook);
    m_hookInstalled = true;
}

void TFrmSimpleform::RemoveWheelHook()
{
    if (!m_hookInstalled)
        return;
    QCoreApplication::instance()->removeEventFilter(m_wheelHook);
    m_hookInstalled = false;
}

bool TFrmSimpleform::WheelHookInstalled() const
{
    return m_hookInstalled;
}

void TFrmSimpleform::RunExitRule(QWidget* widget)
{
    const auto rule = m_exitRules.constFind(widget);
    if (rule == m_exitRules.constEnd())
        return;
    if (!(*rule)(widget))
        focus(widget->objectName());
}

bool TFrmSimpleform::eventFilter(QObject* watched, QEvent* event)
{
    auto* widget = qobject_cast<QWidget*>(watched);
    switch (event->type()) {
    case QEvent::KeyPress: {
        auto* key = static_cast<QKeyEvent*>(event);
        const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        if (enter && !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier))
            && watched->objectName() != QLatin1String("edxmjj")) {
            QChar typed(13);
            EnterToNextControl(this, typed);
            return true;
        }
        const auto rule = m_keyRules.constFind(widget);
        if (rule == m_keyRules.constEnd() || key->text().isEmpty() || !key->text().at(0).isPrint())
            return false;
        if ((*rule)(widget, key->text().at(0)))
            return false;
        Tell(m_keyRefusals.value(widget));  // a refused key says what the field takes
        return true;
    }
    case QEvent::InputMethod: {
        auto* input = static_cast<QInputMethodEvent*>(event);
        const auto rule = m_keyRules.constFind(widget);
        if (m_filtering || rule == m_keyRules.constEnd() || input->commitString().isEmpty())
            return false;
        // A committed text is judged like typed text, one character after the other.
        QString kept;
        for (const QChar c : input->commitString())
            if ((*rule)(widget, c))
                kept += c;
        if (kept == input->commitString())
            return false;
        Tell(m_keyRefusals.value(widget));
        QInputMethodEvent changed(input->preeditString(), input->attributes());
        changed.setCommitString(kept, input->replacementStart(), input->replacementLength());
        m_filtering = true;
        QCoreApplication::sendEvent(watched, &changed);
        m_filtering = false;
        return true;
    }
    case QEvent::FocusIn:
        ShowUsage(widget);
        return false;
    case QEvent::FocusOut: {
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        // A notice, a popup list or another window taking the focus is not leaving the field.
        if (m_refocusing || reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason || !isVisible())
            return false;
        RunExitRule(widget);
        JournalNow();
        RefreshProblems();
        return false;
    }
    default:
        return false;
    }
}
