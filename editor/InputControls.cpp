#include "InputControls.h"

#include "Gb18030.h"
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

InputLimit::InputLimit(QLineEdit* edit, int max, bool upperCase)
    : QValidator(edit), m_max(max), m_upperCase(upperCase), m_accepted(edit->text())
{
    connect(edit, &QLineEdit::textChanged, this, [this](const QString& text) { m_accepted = text; });
}

QValidator::State InputLimit::validate(QString& input, int& pos) const
{
    if (m_quiet || input == m_accepted)
        return Acceptable;
    // The change is what lies between the old text's unchanged beginning and end.
    const QString& old = m_accepted;
    const qsizetype shortest = qMin(old.size(), input.size());
    qsizetype head = 0;
    while (head < shortest && old.at(head) == input.at(head))
        ++head;
    qsizetype tail = 0;
    while (tail < shortest - head && old.at(old.size() - 1 - tail) == input.at(input.size() - 1 - tail))
        ++tail;
    if (head > 0 && input.at(head - 1).isHighSurrogate())
        --head;
    if (tail > 0 && input.at(input.size() - tail).isLowSurrogate())
        --tail;
    const QString inserted = input.mid(head, input.size() - head - tail);
    QString clean = SingleLineText(inserted);
    const bool wasCleaned = clean != inserted;
    if (m_upperCase)
        clean = clean.toUpper();
    const QString before = input.left(head), after = input.right(tail);
    const QString kept = m_max > 0 ? FittingPart(clean, m_max - Gb18030Length(before) - Gb18030Length(after)) : clean;
    input = before + kept + after;
    pos = int(head + kept.size());
    auto* self = const_cast<InputLimit*>(this);
    if (kept.size() < clean.size())
        emit self->leftOut(clean.mid(kept.size()));
    if (wasCleaned)
        emit self->cleaned();
    return Acceptable;
}

InputLimit::Quiet::Quiet(QWidget* field) : m_limit(LimitOf(field))
{
    if (m_limit)
        m_limit->m_quiet = true;
}

InputLimit::Quiet::~Quiet()
{
    if (m_limit)
        m_limit->m_quiet = false;
}

InputLimit* LimitOf(QWidget* field)
{
    if (auto* edit = qobject_cast<QLineEdit*>(field))
        return qobject_cast<InputLimit*>(const_cast<QValidator*>(edit->validator()));
    if (auto* combo = qobject_cast<QComboBox*>(field); combo && combo->lineEdit())
        return LimitOf(combo->lineEdit());
    return nullptr;
}

QString FittingPart(const QString& text, int maxBytes)
{
    int used = 0;
    qsizetype i = 0;
    while (i < text.size()) {
        const qsizetype width = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const int bytes = Gb18030Length(text.mid(i, width));
        if (used + bytes > maxBytes)
            break;
        used += bytes;
        i += width;
    }
    return text.left(i);
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

QString MemoEdit::fitting(const QString& inserted) const
{
    if (m_max <= 0)
        return inserted;
    const int room = m_max - Gb18030Length(text()) + Gb18030Length(WithCrLf(textCursor().selectedText()));
    return FittingPart(inserted, room);
}

void MemoEdit::keyPressEvent(QKeyEvent* event)
{
    const bool lineBreak = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (lineBreak || IsTypedCharacter(event)) {
        const QString inserted = lineBreak ? QStringLiteral("\r\n") : MultiLineText(event->text());
        if (fitting(inserted) != inserted) {
            emit leftOut(lineBreak ? QStringLiteral("换行") : inserted);
            event->accept();
            return;
        }
    }
    QPlainTextEdit::keyPressEvent(event);
}

void MemoEdit::inputMethodEvent(QInputMethodEvent* event)
{
    const QString commit = event->commitString();
    const QString clean = MultiLineText(commit);
    const QString kept = fitting(clean);
    if (kept == commit) {
        QPlainTextEdit::inputMethodEvent(event);
        return;
    }
    QInputMethodEvent changed(event->preeditString(), event->attributes());
    changed.setCommitString(QString(kept).replace("\r\n", "\n"), event->replacementStart(), event->replacementLength());
    QPlainTextEdit::inputMethodEvent(&changed);
    if (kept.size() < clean.size())
        emit leftOut(clean.mid(kept.size()));
    if (clean != commit)
        emit cleaned();
}

void MemoEdit::insertFromMimeData(const QMimeData* source)
{
    if (!source || !source->hasText())
        return;
    const QString clean = MultiLineText(source->text());
    const QString kept = fitting(clean);
    textCursor().insertText(QString(kept).replace("\r\n", "\n"));
    ensureCursorVisible();
    if (kept.size() < clean.size())
        emit leftOut(clean.mid(kept.size()));
    if (clean != WithCrLf(source->text()))
        emit cleaned();
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
    const InputLimit::Quiet asItIs(control);
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
