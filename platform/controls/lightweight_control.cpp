#include "lightweight_control.h"


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
    form_->decorativeChanged();
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
