#include "option_button.h"

bool OptionButton::hitButton(const QPoint& pos) const
{
    return rect().contains(pos);
}
