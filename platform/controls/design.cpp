#include "design.h"

#include "colors.h"
#include "line.h"
#include "pointing_hand.h"

#include <algorithm>

Label& designLabel(Form& form, int left, int top, int width, int height, const QString& caption)
{
    // Through the form's units, as stored, so that a label falls on the very
    // pixels its design gives in any scale.
    const FormScale& scale = form.scale();
    const QRectF bounds(scale.pixelsFromUnitsX(scale.unitsFromTwipsX(left)),
                        scale.pixelsFromUnitsY(scale.unitsFromTwipsY(top)),
                        scale.pixelsFromUnitsX(scale.unitsFromTwipsX(width)),
                        scale.pixelsFromUnitsY(scale.unitsFromTwipsY(height)));
    auto* label = new Label(form, bounds);
    label->setCaption(caption);
    return *label;
}

void designWebAddress(Label& label, const QString& page)
{
    label.setForeColor(kLinkColor);
    label.makeLink(pointingHandCursor());
    label.setName(page);
    label.setRole(QAccessible::Link);
}

void sendPaintedBehind(Form& form)
{
    QList<QWidget*> painted;
    for (QObject* child : form.children())
        if (qobject_cast<Label*>(child) || qobject_cast<Line*>(child))
            painted << static_cast<QWidget*>(child);
    std::for_each(painted.rbegin(), painted.rend(), [](QWidget* widget) { widget->lower(); });
}

void setFocusChain(std::initializer_list<QWidget*> order)
{
    for (auto from = order.begin(); from + 1 < order.end(); ++from)
        QWidget::setTabOrder(*from, *(from + 1));
}
