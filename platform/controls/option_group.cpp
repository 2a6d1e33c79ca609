#include "option_group.h"

#include <QAccessibleWidget>

namespace {

QAccessibleInterface* optionGroupFactory(const QString&, QObject* object)
{
    if (auto* group = qobject_cast<OptionGroup*>(object))
        return new QAccessibleWidget(group, QAccessible::Grouping);
    return nullptr;
}

} // namespace

OptionGroup::OptionGroup(QWidget* parent, const QString& name) : QWidget(parent)
{
    static const bool installed = (QAccessible::installFactory(optionGroupFactory), true);
    (void)installed;
    setAccessibleName(name);
}
