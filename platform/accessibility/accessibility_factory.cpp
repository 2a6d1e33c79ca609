#include "accessibility_factory.h"

#include "form.h"
#include "form_accessibility.h"
#include "label.h"
#include "label_accessible.h"
#include "option_group.h"
#include "picture_box.h"
#include "picture_box_accessible.h"

#include <QAccessibleWidget>

namespace {

QAccessibleInterface* platformFactory(const QString&, QObject* object)
{
    if (auto* form = qobject_cast<Form*>(object))
        return new FormAccessible(form);
    if (auto* label = qobject_cast<Label*>(object))
        return new LabelAccessible(label);
    if (auto* group = qobject_cast<OptionGroup*>(object))
        return new QAccessibleWidget(group, QAccessible::Grouping);
    if (auto* box = qobject_cast<PictureBox*>(object))
        return new PictureBoxAccessible(box);
    return nullptr;
}

} // namespace

void installAccessibility()
{
    static const bool installed = (QAccessible::installFactory(platformFactory), true);
    (void)installed;
}
