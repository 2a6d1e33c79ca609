#pragma once

#include "painted_accessible.h"

#include <QAccessibleWidget>
#include <vector>

class Form;
class LightweightControl;

// Lets screen readers walk a form's lightweight controls as if they were
// children of their own: after the form's child widgets come its labels and
// lines in paint order (decorative ones left out, the labels of a table as
// one table), each with its name and what it shows, and last what the form
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

// The interface of one lightweight control; ScreenReaders keeps it registered
// for as long as the control lives. A label with a click handler has the
// press action and, with a focus stop, takes the focus.
class LightweightAccessible : public PaintedAccessible, public QAccessibleActionInterface {
public:
    LightweightAccessible(Form& form, const LightweightControl& control, QWidget* focusStop);

    QList<std::pair<QAccessibleInterface*, QAccessible::Relation>>
    relations(QAccessible::Relation match) const override;
    QAccessibleInterface* parent() const override;
    QString text(QAccessible::Text t) const override;
    QRect rect() const override;
    QAccessible::Role role() const override;
    QAccessible::State state() const override;
    void* interface_cast(QAccessible::InterfaceType type) override;

    // QAccessibleActionInterface: press, as a click does.
    QStringList actionNames() const override;
    void doAction(const QString& actionName) override;
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

private:
    bool pressable() const;

    const LightweightControl* control_;
};
