#include "design.h"

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
