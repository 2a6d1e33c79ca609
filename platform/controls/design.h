#pragma once

#include "form.h"
#include "label.h"

#include <QFont>
#include <QString>
#include <initializer_list>

// Helpers for laying out a window as designed, in twips.

// A new label at a rectangle designed in twips, converted to the form's units.
Label& designLabel(Form& form, int left, int top, int width, int height,
                   const QString& caption = {});

// Makes label look and act as a web address that opens the page named:
// link-coloured, with the pointing hand, a link to screen readers.
void designWebAddress(Label& label, const QString& page);

// Makes Tab go through the widgets in the order given.
void setFocusChain(std::initializer_list<QWidget*> order);

// A child widget of the form at a rectangle designed in twips.
template <class Widget>
Widget* designWidget(Form& form, int left, int top, int width, int height, const QFont& font,
                     const QString& accessibleName)
{
    auto* widget = new Widget(&form);
    form.placeTwips(*widget, left, top, width, height);
    widget->setFont(font);
    widget->setAccessibleName(accessibleName);
    return widget;
}
