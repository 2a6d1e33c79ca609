#pragma once

#include <QAccessibleWidget>
#include <vector>

class Form;

// Lets screen readers walk a form's lightweight controls as if they were
// children of their own: after the form's child widgets come its labels and
// lines in paint order (decorative ones left out, with what the window adds
// among them), each with its name and what it shows, and last what the form
// has announced. Focus stops are not children of their own: they are the
// painted things they stand for.
class FormAccessible : public QAccessibleWidget {
public:
    explicit FormAccessible(Form* form);

    int childCount() const override;
    QAccessibleInterface* child(int index) const override;
    int indexOfChild(const QAccessibleInterface* child) const override;
    // What lies in front at a point on the screen: a widget, else the
    // control painted last there.
    QAccessibleInterface* childAt(int x, int y) const override;

private:
    Form* form() const;
    std::vector<QAccessibleInterface*> widgetChildren() const;
    std::vector<QAccessibleInterface*> children() const;
};
