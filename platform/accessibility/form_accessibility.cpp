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
