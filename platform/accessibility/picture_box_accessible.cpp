#include "picture_box_accessible.h"

#include "picture_box.h"

PictureBoxAccessible::PictureBoxAccessible(PictureBox* box)
    : QAccessibleWidget(box, QAccessible::Graphic)
{
}

QAccessible::Role PictureBoxAccessible::role() const
{
    return clickable() ? QAccessible::Link : QAccessible::Graphic;
}

QStringList PictureBoxAccessible::actionNames() const
{
    QStringList names = QAccessibleWidget::actionNames();
    if (clickable())
        names.prepend(pressAction());
    return names;
}

void PictureBoxAccessible::doAction(const QString& actionName)
{
    if (actionName == pressAction() && clickable())
        box()->onClick()();
    else
        QAccessibleWidget::doAction(actionName);
}

PictureBox* PictureBoxAccessible::box() const
{
    return static_cast<PictureBox*>(widget());
}

bool PictureBoxAccessible::clickable() const
{
    return bool(box()->onClick());
}
