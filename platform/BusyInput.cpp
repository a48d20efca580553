#include "BusyInput.h"

#include <QCoreApplication>
#include <QEvent>
#include <QVariant>

BusyInput::BusyInput()
{
    if (QCoreApplication::instance())
        QCoreApplication::instance()->installEventFilter(this);
}

BusyInput::~BusyInput()
{
    if (QCoreApplication::instance())
        QCoreApplication::instance()->removeEventFilter(this);
}

bool BusyInput::eventFilter(QObject* receiver, QEvent* event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
        break;
    default:
        return false;
    }
    // A window's own handle passes the event on to its controls, which are judged.
    if (receiver->isWindowType())
        return false;
    for (const QObject* owner = receiver; owner; owner = owner->parent())
        if (owner->property(TakesInputWhileBusy).toBool())
            return false;
    return true;
}
