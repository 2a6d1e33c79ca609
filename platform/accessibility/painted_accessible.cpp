#include "painted_accessible.h"

#include "form.h"

QObject* PaintedAccessible::object() const
{
    return focusStop_;
}

QWindow* PaintedAccessible::window() const
{
    return form_->windowHandle();
}

void PaintedAccessible::addFocusState(QAccessible::State& state) const
{
    if (!focusStop_)
        return;
    state.focusable = true;
    state.focused = focusStop_->hasFocus();
}
