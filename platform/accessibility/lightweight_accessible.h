#pragma once

#include "painted_accessible.h"

#include <QAccessibleInterface>
#include <functional>

class Form;
class LightweightControl;

// The interface of one lightweight control; ScreenReaders keeps it registered
// for as long as the control lives. A label with a click handler has the
// press action and, with a focus stop, takes the focus.
class LightweightAccessible : public PaintedAccessible, public QAccessibleActionInterface {
public:
    // What screen readers see of another control, for the relations of a
    // caption and what it names.
    using Resolve = std::function<QAccessibleInterface*(const LightweightControl&)>;

    LightweightAccessible(Form& form, const LightweightControl& control, QWidget* focusStop,
                          Resolve resolve);

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
    Resolve resolve_;
};
