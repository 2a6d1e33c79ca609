#include "lightweight_accessible.h"

#include "form.h"
#include "label.h"
#include "lightweight_control.h"

LightweightAccessible::LightweightAccessible(Form& form, const LightweightControl& control,
                                             QWidget* focusStop, Resolve resolve)
    : PaintedAccessible(form, focusStop), control_(&control), resolve_(std::move(resolve))
{
}

QList<std::pair<QAccessibleInterface*, QAccessible::Relation>>
LightweightAccessible::relations(QAccessible::Relation match) const
{
    QList<std::pair<QAccessibleInterface*, QAccessible::Relation>> related;
    const AccessibleTraits& traits = control_->accessible();
    if (traits.labelledBy && (match & QAccessible::Label))
        related.append({resolve_(*traits.labelledBy), QAccessible::Label});
    if (traits.labelFor && (match & QAccessible::Labelled))
        related.append({resolve_(*traits.labelFor), QAccessible::Labelled});
    return related;
}

QAccessibleInterface* LightweightAccessible::parent() const
{
    return QAccessible::queryAccessibleInterface(&form());
}

QString LightweightAccessible::text(QAccessible::Text t) const
{
    const AccessibleTraits& traits = control_->accessible();
    switch (t) {
    case QAccessible::Name:
        return control_->accessibleText();
    case QAccessible::Description:
        return traits.description;
    default:
        return QString();
    }
}

QRect LightweightAccessible::rect() const
{
    return form().screenRect(control_->pixelBounds());
}

QAccessible::Role LightweightAccessible::role() const
{
    if (const auto role = control_->accessible().role)
        return *role;
    return dynamic_cast<const Label*>(control_) ? QAccessible::StaticText : QAccessible::Graphic;
}

QAccessible::State LightweightAccessible::state() const
{
    QAccessible::State state;
    state.invisible = !control_->Visible();
    state.readOnly = true;
    addFocusState(state);
    return state;
}

void* LightweightAccessible::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::ActionInterface && pressable())
        return static_cast<QAccessibleActionInterface*>(this);
    return nullptr;
}

bool LightweightAccessible::pressable() const
{
    const auto* label = dynamic_cast<const Label*>(control_);
    return label && label->onClick();
}

QStringList LightweightAccessible::actionNames() const
{
    return pressable() ? QStringList{pressAction()} : QStringList{};
}

void LightweightAccessible::doAction(const QString& actionName)
{
    if (actionName == pressAction() && pressable())
        static_cast<const Label*>(control_)->onClick()();
}
