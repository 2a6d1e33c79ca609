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

void LightweightControl::setDecorative(bool decorative)
{
    decorative_ = decorative;
    emit form_->controlsChanged();
}

void LightweightControl::changed() const
{
    if (visible_)
        form_->repaintArea(pixelBounds());
}

void relateLabel(LightweightControl& caption, LightweightControl& control)
{
    caption.accessible().labelFor = &control;
    control.accessible().labelledBy = &caption;
}
