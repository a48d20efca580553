#include "ShortFormControls.h"

#include "FormHelpers.h"
#include "InputControls.h"
#include "ShortForm.h"
#include "Tags.h"
#include "TeamMembers.h"

#include <QApplication>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QScrollArea>
#include <QScrollBar>
#include <QToolButton>
#include <QWheelEvent>
#include <QWindow>

namespace {

// How far a wheel turn moves the form: the desktop's lines a notch, in the form's line height;
// a touchpad's pixels as they come.
int WheelStep(const QWheelEvent* wheel, const QWidget* form)
{
    if (!wheel->pixelDelta().isNull())
        return -wheel->pixelDelta().y();
    const int lineHeight = QFontMetrics(form->font()).lineSpacing();
    return -wheel->angleDelta().y() * QApplication::wheelScrollLines() * lineHeight / 120;
}

// While the screen is shown, a wheel turn over it scrolls the form and goes no further: a choice
// box under the mouse never changes its value behind the user's back. An open list is a window
// of its own and keeps its wheel.
class WheelHook : public QObject {
public:
    WheelHook(QScrollArea* area, QObject* parent) : QObject(parent), m_area(area) {}
    bool eventFilter(QObject* receiver, QEvent* event) override
    {
        if (event->type() != QEvent::Wheel || !ForTheScreen(receiver))
            return false;
        QScrollBar* bar = m_area->verticalScrollBar();
        bar->setValue(bar->value() + WheelStep(static_cast<QWheelEvent*>(event), m_area));
        event->accept();
        return true;
    }

private:
    bool ForTheScreen(QObject* receiver) const
    {
        QWidget* screen = m_area->window();
        if (auto* widget = qobject_cast<QWidget*>(receiver))
            return widget->window() == screen;
        return receiver == screen->windowHandle();
    }
    QScrollArea* m_area;
};

// The same step where the hook is not installed (while a lookup is open, say).
class ScrollBox : public QScrollArea {
public:
    using QScrollArea::QScrollArea;

protected:
    void wheelEvent(QWheelEvent* event) override
    {
        QScrollBar* bar = verticalScrollBar();
        bar->setValue(bar->value() + WheelStep(event, this));
        event->accept();
    }
};

// What a screen reader says for a control: its label as shown without "*" and blanks, or
// its hint where it has no label.
QString SpokenName(const ControlSpec& spec, int memberRow)
{
    QString name = spec.label;
    name.remove('*').remove(' ');
    if (memberRow > 0)
        return name + QStringLiteral("成员") + QString::number(memberRow - 1);
    return name.isEmpty() ? spec.hint : name;
}

// The field as the status bar names it: "电子邮件", "成员3姓名".
QString ShownNameOf(const ControlSpec& spec, int memberRow)
{
    QString name = spec.label;
    name.remove('*').remove(' ');
    if (memberRow > 0)
        return QStringLiteral("成员") + QString::number(memberRow - 1) + name;
    return name.isEmpty() ? spec.hint : name;
}

int MemberRowOf(const QString& name)
{
    for (const MemberColumn& column : MemberColumns())
        if (name.startsWith(column.prefix)) {
            bool ok = false;
            const int row = name.mid(column.prefix.size()).toInt(&ok);
            if (ok && row >= FirstMemberRow && row <= LastMemberRow)
                return row;
        }
    return 0;
}

QLabel* CellLabel(const QString& text, QWidget* panel, bool inLabelCell)
{
    auto* label = new QLabel(text, panel);
    if (inLabelCell) {
        label->setWordWrap(text.size() > 8);  // only the long ones need more than a line
        label->setAlignment(Qt::AlignVCenter | Qt::AlignLeft);
    }
    return label;
}

const ControlSpec* FindSpec(const PanelSpec& panel, const QString& name)
{
    for (const ControlSpec& spec : panel.controls)
        if (spec.name == name)
            return &spec;
    return nullptr;
}

} // namespace

QObject* NewWheelHook(QScrollArea* area, QObject* parent)
{
    return new WheelHook(area, parent);
}

QScrollArea* NewScrollBox(QWidget* parent)
{
    return new ScrollBox(parent);
}

QWidget* MakeControl(const ControlSpec& spec, QWidget* panel)
{
    QWidget* widget = nullptr;
    const bool upper = spec.flags & UpperCase;
    switch (spec.kind) {
    case ControlKind::Edit:
    case ControlKind::ReadOnly:
    case ControlKind::Hidden: {
        auto* edit = new QLineEdit(panel);
        edit->setValidator(new InputLimit(edit, spec.maxBytes, upper));
        if (spec.kind == ControlKind::ReadOnly)
            SetEditable(edit, false);
        widget = edit;
        break;
    }
    case ControlKind::SelectOnly: {
        auto* list = new SelectOnlyCombo(panel);
        list->addItems(spec.items);
        widget = list;
        break;
    }
    case ControlKind::Combo: {
        auto* combo = new QComboBox(panel);
        combo->setEditable(true);
        combo->setInsertPolicy(QComboBox::NoInsert);
        combo->setValidator(new InputLimit(combo->lineEdit(), spec.maxBytes, false));
        combo->setCompleter(nullptr);  // what is typed stays as typed: "201" is not 2014
        widget = combo;
        break;
    }
    case ControlKind::Memo:
        widget = new MemoEdit(spec.maxBytes, panel);
        break;
    case ControlKind::Button: {
        auto* button = new QToolButton(panel);
        button->setText(spec.label);
        button->setToolTip(spec.hint);
        button->setAutoRaise(spec.label.size() == 1);  // the ▲ and × of a field; a command looks like a button
        button->setFocusPolicy(Qt::NoFocus);
        button->setAccessibleName(spec.hint.isEmpty() ? spec.label : spec.hint);
        widget = button;
        break;
    }
    }
    widget->setObjectName(spec.name);
    if (spec.kind != ControlKind::Button) {
        SetTag(widget, spec.tag);
        widget->setProperty("hint", spec.hint);
        widget->setAccessibleName(SpokenName(spec, MemberRowOf(spec.name)));
        widget->setAccessibleDescription(spec.hint);
        widget->setProperty(ShownName, ShownNameOf(spec, MemberRowOf(spec.name)));
    }
    if (spec.flags & SkipTab)
        widget->setFocusPolicy(Qt::ClickFocus);
    if (spec.flags & Disabled)
        widget->setEnabled(false);
    if (spec.width > 0)
        widget->setFixedWidth(spec.width);
    return widget;
}

// A cell's tokens as a row of widgets; a cell of fixed-width items ends in a stretch.
QHBoxLayout* CellContent(const PanelSpec& spec, const CellSpec& cell, QWidget* panel,
                         const QHash<QString, QWidget*>& made, bool labelCell)
{
    auto* row = new QHBoxLayout;
    row->setSpacing(4);
    bool stretches = false;
    for (const QString& token : cell.content.split(' ', Qt::SkipEmptyParts)) {
        if (token == "~") {
            row->addStretch();
            stretches = true;
        } else if (token.startsWith("L:")) {
            const ControlSpec* target = FindSpec(spec, token.mid(2));
            QLabel* label = CellLabel(target ? target->label : token.mid(2), panel, labelCell);
            if (target)
                label->setBuddy(made.value(target->name));
            row->addWidget(label, labelCell ? 1 : 0);
            stretches = stretches || labelCell;
        } else if (QWidget* widget = made.value(token)) {
            row->addWidget(widget, widget->minimumWidth() == widget->maximumWidth() ? 0 : 1);
            stretches = stretches || widget->minimumWidth() != widget->maximumWidth();
        } else {
            QLabel* label = CellLabel(token, panel, labelCell);
            if (labelCell)
                label->setAlignment(Qt::AlignCenter);
            row->addWidget(label, labelCell ? 1 : 0);
            stretches = stretches || labelCell;
        }
    }
    if (!stretches)
        row->addStretch();
    return row;
}

bool IsInput(const QWidget* widget)
{
    return qobject_cast<const QLineEdit*>(widget) || qobject_cast<const QComboBox*>(widget)
           || qobject_cast<const MemoEdit*>(widget);
}
