#pragma once

#include "form.h"
#include "label.h"

#include <QFont>
#include <QString>
#include <initializer_list>

// Helpers for laying out a window as designed, in twips.

// A new label at a rectangle designed in twips, by way of the form's units,
// in front of the labels made before it.
Label& designLabel(Form& form, int left, int top, int width, int height,
                   const QString& caption = {});

// Makes label look and act as a web address that opens the page named:
// link-coloured, with the pointing hand, a link to screen readers.
void designWebAddress(Label& label, const QString& page);

// Puts the form's labels and lines behind its other controls, keeping the
// order they were made in among themselves: they are its painted
// background. Call it once every control of the design is made.
void sendPaintedBehind(Form& form);

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
