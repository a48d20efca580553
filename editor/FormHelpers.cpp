#include "FormHelpers.h"

#include "Tags.h"
#include "Text.h"

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QFormLayout>
#include <QLineEdit>
#include <QScrollArea>

namespace {

constexpr QRgb Colours[3][4] = {
    {qRgb(128, 128, 0), qRgb(192, 192, 192), qRgb(255, 255, 0), qRgb(192, 192, 192)},
    {qRgb(0, 255, 0), qRgb(192, 192, 192), qRgb(255, 255, 0), qRgb(192, 192, 192)},
    {qRgb(0, 0, 255), qRgb(192, 192, 192), qRgb(192, 220, 192), qRgb(192, 192, 192)},
};

QLabel* MakeBannerLabel(QWidget* parent, const QString& caption, int fontSize, const QColor& colour)
{
    auto* label = new QLabel(caption, parent);
    label->setAttribute(Qt::WA_TranslucentBackground);
    label->setAutoFillBackground(false);
    QFont font;
    font.setFamilies({QStringLiteral("楷体_GB2312"), QStringLiteral("KaiTi"), QStringLiteral("AR PL UKai CN"),
                      QStringLiteral("AR PL UKai"), QStringLiteral("Noto Serif CJK SC")});
    font.setBold(true);
    font.setPointSize(fontSize);
    label->setFont(font);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
    label->adjustSize();
    return label;
}

QLineEdit* EditOf(QWidget* control)
{
    if (auto* edit = qobject_cast<QLineEdit*>(control))
        return edit;
    if (auto* combo = qobject_cast<QComboBox*>(control))
        return combo->lineEdit();
    return nullptr;
}

bool AlwaysPasses(QChar key)
{
    const ushort c = key.unicode();
    return c == 8 || c == 13 || c == 22 || c == 24 || c == 26 || (c >= '0' && c <= '9');
}

} // namespace

QFont WindowFont(int pixelSize)
{
    QFont font;
    font.setFamilies({QStringLiteral("宋体"), QStringLiteral("SimSun"), QStringLiteral("Noto Serif CJK SC"),
                      QStringLiteral("Noto Sans CJK SC")});
    font.setPixelSize(pixelSize);
    return font;
}

QColor BannerColour(int colourSet, int slot)
{
    return QColor(Colours[qBound(0, colourSet, 2)][qBound(0, slot, 3)]);
}

void ShowBanner(BannerSet& set, QWidget* window, const QString& parentName, const QString& caption,
                int width, int top, int fontSize, int colourSet)
{
    if (!set.slot[3]) {
        QWidget* parent = parentName.isEmpty() ? window : window->findChild<QWidget*>(parentName);
        if (!parent)
            parent = window;
        for (int j = 3; j >= 0 && !set.slot[j]; --j)
            set.slot[j] = MakeBannerLabel(parent, caption, fontSize, BannerColour(colourSet, j));
    }
    if (!set.slot[1])
        return;
    const int x = (width - set.slot[1]->width()) / 2;
    for (int j = 0; j < 4; ++j) {
        if (!set.slot[j])
            continue;
        set.slot[j]->move(x + j, top + j);
        set.slot[j]->show();
    }
    // Slot 0 was made last, so it is drawn in front; keep that order above later siblings.
    for (int j = 3; j >= 0; --j)
        if (set.slot[j])
            set.slot[j]->raise();
}

void FreeBanner(BannerSet& set)
{
    for (auto& label : set.slot) {
        if (!label)
            break;
        delete label.data();
        label = nullptr;
    }
}

void EnterToNextControl(QWidget* window, QChar& key)
{
    if (key.unicode() != 13)
        return;
    key = QChar(0);
    QWidget* current = window->focusWidget();
    if (!current)
        current = window;
    for (QWidget* next = current->nextInFocusChain(); next && next != current; next = next->nextInFocusChain()) {
        if ((next->focusPolicy() & Qt::TabFocus) && next->isEnabled() && next->isVisibleTo(window)
            && window->isAncestorOf(next)) {
            next->setFocus(Qt::TabFocusReason);
            return;
        }
    }
}

void FilterKey(QWidget* control, QChar& key, int mode)
{
    if (AlwaysPasses(key))
        return;
    QLineEdit* edit = EditOf(control);
    const QString text = edit ? TrimBlanks(edit->text()) : QString();
    bool pass = false;
    switch (mode) {
    case FilterPhone:
        pass = key == '-' && text.count('-') <= 1;
        break;
    case FilterIdNumber:
        pass = (key == 'X' || key == 'x') && !text.toUpper().contains('X');
        if (pass && edit) {
            edit->deselect();
            edit->setCursorPosition(int(edit->text().size()));
        }
        break;
    case FilterAmount:
        pass = key == '.' && !text.contains('.');
        break;
    case FilterNoBlank:
        pass = key != ' ';
        break;
    default:
        break;
    }
    if (!pass)
        key = QChar(0);
}

void HideCodeFields(QWidget* scrollingArea)
{
    QWidget* area = scrollingArea;
    if (auto* scroll = qobject_cast<QScrollArea*>(scrollingArea); scroll && scroll->widget())
        area = scroll->widget();
    for (QWidget* panel : area->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (!panel->objectName().startsWith(QLatin1String("GroupBox"), Qt::CaseSensitive))
            continue;
        for (QWidget* child : panel->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            if (Tag(child) == 2)
                child->setVisible(false);
    }
}

void MarkLabel(QLabel* label, bool warn)
{
    QPalette colours = label->palette();
    colours.setColor(QPalette::WindowText, warn ? QColor(Qt::red) : QApplication::palette().color(QPalette::WindowText));
    label->setPalette(colours);
    label->repaint();
}

bool SelectTypedItem(QComboBox* combo)
{
    const int index = combo->findText(combo->currentText(), Qt::MatchFixedString);
    if (index < 0)
        return false;
    combo->setCurrentIndex(index);
    return true;
}

void AddSpokenRows(QFormLayout* form, std::initializer_list<std::pair<QWidget*, QString>> rows)
{
    for (const auto& [field, label] : rows) {
        form->addRow(label, field);
        field->setAccessibleName(QString(label).remove(QStringLiteral("：")));
    }
}

QWidget* ButtonRow(QWidget* dialog, QPushButton* accept, QPushButton* reject, std::initializer_list<QPushButton*> extra)
{
    auto* row = new QWidget(dialog);
    row->setObjectName("ButtonRow");
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    for (QPushButton* button : extra)
        layout->addWidget(button);
    layout->addStretch();
    // 确定 and 取消 in the order the desktop puts them.
    auto* box = new QDialogButtonBox(row);
    box->addButton(accept, QDialogButtonBox::AcceptRole);
    box->addButton(reject, QDialogButtonBox::RejectRole);
    layout->addWidget(box);
    return row;
}
