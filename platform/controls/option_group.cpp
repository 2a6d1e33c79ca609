#include "option_group.h"

OptionGroup::OptionGroup(QWidget* parent, const QString& name) : QWidget(parent)
{
    setAccessibleName(name);
}
