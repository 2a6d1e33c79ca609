#include "lightweight_control.h"

#include "form.h"

void LightweightControl::setVisible(bool visible)
{
    if (visible == visible_)
        return;
    visible_ = true; // so that the area is repainted either way
    changed();
    visible_ = visible;
}

void LightweightControl::changed() const
{
    if (visible_)
        form_->repaintArea(pixelBounds());
}
