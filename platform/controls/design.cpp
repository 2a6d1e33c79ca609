#include "design.h"

#include "colors.h"
#include "pointing_hand.h"

Label& designLabel(Form& form, int left, int top, int width, int height, const QString& caption)
{
    Label& label = form.add<Label>();
    const FormScale& scale = form.scale();
    label.setLeft(scale.unitsFromTwipsX(left));
    label.setTop(scale.unitsFromTwipsY(top));
    label.setWidth(scale.unitsFromTwipsX(width));
    label.setHeight(scale.unitsFromTwipsY(height));
    label.setCaption(caption);
    return label;
}

void designWebAddress(Label& label, const QString& page)
{
    label.setForeColor(kLinkColor);
    label.setMouseIcon(pointingHandCursor());
    label.setName(page);
    label.accessible().role = QAccessible::Link;
}

void setFocusChain(std::initializer_list<QWidget*> order)
{
    for (auto from = order.begin(); from + 1 < order.end(); ++from)
        QWidget::setTabOrder(*from, *(from + 1));
}
