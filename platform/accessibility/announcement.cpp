#include "announcement.h"

#include "form.h"

QAccessibleInterface* Announcement::parent() const
{
    return QAccessible::queryAccessibleInterface(&form());
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
