#pragma once
// While long work lets events through (so that its progress window repaints and its 取消 can be
// pressed), a click or a key anywhere else must not start a second action over the first: only
// windows marked to take input while busy receive it.
#include <QObject>

// The property that marks such a window (the progress window).
inline constexpr char TakesInputWhileBusy[] = "takesInputWhileBusy";

class BusyInput : public QObject {
public:
    BusyInput();
    ~BusyInput() override;
    bool eventFilter(QObject* receiver, QEvent* event) override;
};
