#include "InputControls.h"

#include "Gbk.h"
#include "Text.h"

#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QTextBlock>

namespace {

// Line breaks as the document stores them: CR LF.
QString WithCrLf(QString text)
{
    return text.replace(QChar::ParagraphSeparator, '\n').replace("\r\n", "\n").replace('\r', '\n').replace('\n', "\r\n");
}

bool IsTypedCharacter(const QKeyEvent* event)
{
    const QString text = event->text();
    return !text.isEmpty() && text.at(0).isPrint()
           && !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
}

} // namespace

GbkLimitValidator::GbkLimitValidator(int max, bool upperCase, QObject* parent)
    : QValidator(parent), m_max(max), m_upperCase(upperCase)
{
}

QValidator::State GbkLimitValidator::validate(QString& input, int&) const
{
    if (m_upperCase)
        input = input.toUpper();
    return m_max > 0 && GbkLength(input) > m_max ? Invalid : Acceptable;
}

SelectOnlyCombo::SelectOnlyCombo(QWidget* parent) : QComboBox(parent)
{
    setEditable(false);
    // A value kept from the document is drawn like a chosen one, not greyed out.
    QPalette colours = palette();
    colours.setColor(QPalette::PlaceholderText, colours.color(QPalette::ButtonText));
    setPalette(colours);
    connect(this, &QComboBox::activated, this, [this] { m_foreign.clear(); });
}

QString SelectOnlyCombo::text() const
{
    return currentIndex() >= 0 ? currentText() : m_foreign;
}

void SelectOnlyCombo::setText(const QString& text)
{
    const QString wanted = TrimBlanks(text);
    for (int i = 0; i < count(); ++i) {
        if (!wanted.isEmpty() && TrimBlanks(itemText(i)).compare(wanted, Qt::CaseInsensitive) == 0) {
            m_foreign.clear();
            setCurrentIndex(i);
            return;
        }
    }
    m_foreign = wanted.isEmpty() ? QString() : text;
    setPlaceholderText(m_foreign);
    setCurrentIndex(-1);
}

void SelectOnlyCombo::keyPressEvent(QKeyEvent* event)
{
    if (IsTypedCharacter(event)) {
        event->accept();  // discarded: choosing is by mouse and arrow keys only
        return;
    }
    QComboBox::keyPressEvent(event);
}

void SelectOnlyCombo::inputMethodEvent(QInputMethodEvent* event)
{
    event->accept();  // nothing is typed into a list
}

MemoEdit::MemoEdit(int maxBytes, QWidget* parent) : QPlainTextEdit(parent), m_max(maxBytes)
{
    setTabChangesFocus(true);
}

QString MemoEdit::text() const
{
    return WithCrLf(toPlainText());
}

void MemoEdit::setText(const QString& text)
{
    setPlainText(QString(text).replace("\r\n", "\n").replace('\r', '\n'));
}

bool MemoEdit::fits(const QString& inserted) const
{
    if (m_max <= 0)
        return true;
    const int selected = GbkLength(WithCrLf(textCursor().selectedText()));
    return GbkLength(text()) - selected + GbkLength(WithCrLf(inserted)) <= m_max;
}

void MemoEdit::keyPressEvent(QKeyEvent* event)
{
    const bool lineBreak = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    const QString inserted = lineBreak ? QStringLiteral("\n") : event->text();
    if ((lineBreak || IsTypedCharacter(event)) && !fits(inserted)) {
        event->accept();
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

void MemoEdit::inputMethodEvent(QInputMethodEvent* event)
{
    if (event->commitString().isEmpty() || fits(event->commitString())) {
        QPlainTextEdit::inputMethodEvent(event);
        return;
    }
    // The composition ends, but its text does not go in.
    QInputMethodEvent withoutCommit(event->preeditString(), event->attributes());
    QPlainTextEdit::inputMethodEvent(&withoutCommit);
}

void MemoEdit::insertFromMimeData(const QMimeData* source)
{
    if (source && source->hasText() && !fits(source->text()))
        return;
    QPlainTextEdit::insertFromMimeData(source);
}

QString ControlText(const QWidget* control)
{
    if (auto* edit = qobject_cast<const QLineEdit*>(control))
        return edit->text();
    if (auto* list = qobject_cast<const SelectOnlyCombo*>(control))
        return list->text();
    if (auto* combo = qobject_cast<const QComboBox*>(control))
        return combo->currentText();
    if (auto* memo = qobject_cast<const MemoEdit*>(control))
        return memo->text();
    return {};
}

void SetControlText(QWidget* control, const QString& text)
{
    // A long value shows its beginning, not its end.
    if (auto* edit = qobject_cast<QLineEdit*>(control)) {
        edit->setText(text);
        edit->setCursorPosition(0);
    } else if (auto* list = qobject_cast<SelectOnlyCombo*>(control)) {
        list->setText(text);
    } else if (auto* combo = qobject_cast<QComboBox*>(control)) {
        combo->setEditText(text);
        if (combo->lineEdit())
            combo->lineEdit()->setCursorPosition(0);
    } else if (auto* memo = qobject_cast<MemoEdit*>(control)) {
        memo->setText(text);
    }
}

void ReplaceItems(QComboBox* combo, const QStringList& items)
{
    const QString shown = ControlText(combo);
    const QSignalBlocker quiet(combo);
    combo->clear();
    combo->addItems(items);
    combo->setCurrentIndex(-1);
    SetControlText(combo, shown);
}

void SetEditable(QLineEdit* edit, bool editable)
{
    edit->setReadOnly(!editable);
    QPalette colours = edit->palette();
    colours.setColor(QPalette::Base, editable ? QColor(Qt::white) : QColor(245, 245, 245));
    edit->setPalette(colours);
}
