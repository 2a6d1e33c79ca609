#include "announcement.h"

#include <QWidget>

QWindow* Announcement::window() const
{
    return window_ ? window_->windowHandle() : nullptr;
}

QAccessibleInterface* Announcement::parent() const
{
    return QAccessible::queryAccessibleInterface(window_.data());
}

QString Announcement::text(QAccessible::Text t) const
{
    return t == QAccessible::Name ? message_ : QString();
}

QAccessible::State Announcement::state() const
{
    QAccessible::State state;
    state.readOnly = true;
    state.invisible = message_.isEmpty();
    return state;
}
