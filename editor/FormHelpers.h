#pragma once
// Input and layout helpers shared by the windows: the shadowed title banner, Enter as Tab,
// key filters of numeric fields, and hiding the short form's code-carrier fields.
#include "KeyFilters.h"

#include <QChar>
#include <QColor>
#include <QFont>
#include <QLabel>
#include <QPointer>
#include <QString>
#include <array>
#include <initializer_list>
#include <utility>

class QComboBox;
class QFormLayout;
class QPushButton;
class QWidget;

// 宋体 at the given pixel size, with the CJK faces a Linux desktop has. The short form's size is
// the program's: every window, notice and file dialog takes it.
QFont WindowFont(int pixelSize = 14);

// Four stacked labels, slot 0 in front. They belong to the window that shows the banner.
struct BannerSet {
    std::array<QPointer<QLabel>, 4> slot;
};

// Colour of a slot in one of the three colour sets.
QColor BannerColour(int colourSet, int slot);

// Creates the labels on the first call and only moves them on later calls (caption, size and
// colours given then are ignored). parentName empty: the window itself is the parent.
void ShowBanner(BannerSet& set, QWidget* window, const QString& parentName, const QString& caption,
                int width, int top, int fontSize, int colourSet);
void FreeBanner(BannerSet& set);

// Enter is consumed (key becomes 0) and the focus moves to the next control in tab order.
void EnterToNextControl(QWidget* window, QChar& key);

// Lets the typed character through or replaces it by 0 (nothing reaches the control).
void FilterKey(QWidget* control, QChar& key, int mode);

// Hides every tag-2 control directly inside the area's "GroupBox…" panels.
void HideCodeFields(QWidget* scrollingArea);

// Red while its step runs (warn), the window-text colour otherwise; repainted at once.
void MarkLabel(QLabel* label, bool warn);
// Selects the item whose text equals the combo's text (letter case ignored); false when none does.
bool SelectTypedItem(QComboBox* combo);
// Adds each field under its label ("收信人姓名：") and gives it that label, without the colon,
// as the name a screen reader speaks.
void AddSpokenRows(QFormLayout* form, std::initializer_list<std::pair<QWidget*, QString>> rows);
// The dialog's row of buttons: the extra ones (which act without closing the dialog) on the
// left, the accepting and the rejecting button on the right in the order the desktop puts them.
// The buttons keep their names, captions, defaults and connections.
QWidget* ButtonRow(QWidget* dialog, QPushButton* accept, QPushButton* reject,
                   std::initializer_list<QPushButton*> extra = {});
