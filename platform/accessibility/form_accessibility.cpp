#include "form_accessibility.h"

#include "focus_stop.h"
#include "form.h"
#include "label.h"
#include "lightweight_control.h"
#include "screen_readers.h"

#include <QWidget>
#include <algorithm>

FormAccessible::FormAccessible(Form* form) : QAccessibleWidget(form, QAccessible::Window) {}

Form* FormAccessible::form() const
{
    return static_cast<Form*>(widget());
}

std::vector<QAccessibleInterface*> FormAccessible::widgetChildren() const
{
    std::vector<QAccessibleInterface*> widgets;
    for (int i = 0; i < QAccessibleWidget::childCount(); ++i) {
        QAccessibleInterface* widget = QAccessibleWidget::child(i);
        if (widget && !qobject_cast<FocusStop*>(widget->object()))
            widgets.push_back(widget);
    }
    return widgets;
}

std::vector<QAccessibleInterface*> FormAccessible::children() const
{
    std::vector<QAccessibleInterface*> all = widgetChildren();
    ScreenReaders& readers = screenReaders(*form());
    const auto& controls = readers.accessibleControls();
    all.insert(all.end(), controls.begin(), controls.end());
    if (QAccessibleInterface* announcement = readers.announcement())
        all.push_back(announcement);
    return all;
}

int FormAccessible::childCount() const
{
    return int(children().size());
}

QAccessibleInterface* FormAccessible::child(int index) const
{
    const auto all = children();
    return index >= 0 && index < int(all.size()) ? all[std::size_t(index)] : nullptr;
}

int FormAccessible::indexOfChild(const QAccessibleInterface* child) const
{
    const auto all = children();
    const auto found = std::find(all.begin(), all.end(), child);
    return found == all.end() ? -1 : int(found - all.begin());
}

QAccessibleInterface* FormAccessible::childAt(int x, int y) const
{
    const auto showsAt = [x, y](QAccessibleInterface* c) {
        return !c->state().invisible && c->rect().contains(x, y);
    };
    const auto widgets = widgetChildren();
    const auto widget = std::find_if(widgets.begin(), widgets.end(), showsAt);
    if (widget != widgets.end())
        return *widget;
    const auto& controls = screenReaders(*form()).accessibleControls();
    const auto front = std::find_if(controls.rbegin(), controls.rend(), showsAt);
    return front == controls.rend() ? nullptr : *front;
}

LightweightAccessible::LightweightAccessible(Form& form, const LightweightControl& control,
                                             QWidget* focusStop)
    : PaintedAccessible(form, focusStop), control_(&control)
{
}

QList<std::pair<QAccessibleInterface*, QAccessible::Relation>>
LightweightAccessible::relations(QAccessible::Relation match) const
{
    QList<std::pair<QAccessibleInterface*, QAccessible::Relation>> related;
    const AccessibleTraits& traits = control_->accessible();
    ScreenReaders& readers = screenReaders(form());
    if (traits.labelledBy && (match & QAccessible::Label))
        related.append({readers.accessibleFor(*traits.labelledBy), QAccessible::Label});
    if (traits.labelFor && (match & QAccessible::Labelled))
        related.append({readers.accessibleFor(*traits.labelFor), QAccessible::Labelled});
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
