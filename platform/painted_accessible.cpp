#include "painted_accessible.h"

#include "form.h"

QWindow* PaintedAccessible::window() const
{
    return form_->windowHandle();
}
