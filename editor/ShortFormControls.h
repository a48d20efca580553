#pragma once
// The short-form screen's widget factory: a control for each entry of the control tables, the
// widgets of a table cell, and the form's scrolling by the wheel.
#include "SimpleformTables.h"

#include <QHash>
#include <QString>

class QHBoxLayout;
class QObject;
class QScrollArea;
class QWidget;

// The property that holds a field's name as the status bar says it.
inline constexpr char ShownName[] = "shownName";

// The control of spec on panel, with its limits, accessible name and shown name.
QWidget* MakeControl(const ControlSpec& spec, QWidget* panel);
// A cell's tokens as a row of widgets (made: the panel's controls by name); a cell of
// fixed-width items ends in a stretch.
QHBoxLayout* CellContent(const PanelSpec& spec, const CellSpec& cell, QWidget* panel,
                         const QHash<QString, QWidget*>& made, bool labelCell);
// A control the user types or chooses in.
bool IsInput(const QWidget* widget);

// The form's scroll area: a wheel turn moves it by the desktop's lines.
QScrollArea* NewScrollBox(QWidget* parent);
// An application-wide event filter: while installed, a wheel turn over area's window scrolls
// area and goes no further, so that a choice box under the mouse never changes its value.
QObject* NewWheelHook(QScrollArea* area, QObject* parent);
