#pragma once

#include <QAccessibleWidget>
#include <vector>

class Form;

// Lets screen readers walk a form as it is seen: its controls first, then
// its labels in paint order (decorative ones and lines left out, with what
// the window adds among them), and last what the form has announced.
class FormAccessible : public QAccessibleWidget {
public:
    explicit FormAccessible(Form* form);

    int childCount() const override;
    QAccessibleInterface* child(int index) const override;
    int indexOfChild(const QAccessibleInterface* child) const override;
    // What lies in front at a point on the screen: a control, else the
    // label painted last there.
    QAccessibleInterface* childAt(int x, int y) const override;

private:
    Form* form() const;
    struct Children {
        std::vector<QAccessibleInterface*> controls, painted;
    };
    Children walk() const;
    std::vector<QAccessibleInterface*> children() const;
};
