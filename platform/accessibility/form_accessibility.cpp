#include "form_accessibility.h"

#include "form.h"
#include "label.h"
#include "line.h"
#include "screen_readers.h"

#include <algorithm>

FormAccessible::FormAccessible(Form* form) : QAccessibleWidget(form, QAccessible::Window) {}

Form* FormAccessible::form() const
{
    return static_cast<Form*>(widget());
}

FormAccessible::Children FormAccessible::walk() const
{
    Children walked;
    const ScreenReaders& readers = screenReaders(*form());
    for (int i = 0; i < QAccessibleWidget::childCount(); ++i) {
        QAccessibleInterface* child = QAccessibleWidget::child(i);
        if (!child || qobject_cast<Line*>(child->object()))
            continue;
        const auto* label = qobject_cast<Label*>(child->object());
        if (!label) {
            walked.controls.push_back(child);
            continue;
        }
        if (!label->decorative())
            walked.painted.push_back(child);
        for (QAccessibleInterface* added : readers.childrenAfter(*label))
            walked.painted.push_back(added);
    }
    return walked;
}

std::vector<QAccessibleInterface*> FormAccessible::children() const
{
    Children walked = walk();
    std::vector<QAccessibleInterface*>& all = walked.controls;
    all.insert(all.end(), walked.painted.begin(), walked.painted.end());
    if (QAccessibleInterface* announcement = screenReaders(*form()).announcement())
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
    const Children walked = walk();
    const auto control = std::find_if(walked.controls.begin(), walked.controls.end(), showsAt);
    if (control != walked.controls.end())
        return *control;
    const auto front = std::find_if(walked.painted.rbegin(), walked.painted.rend(), showsAt);
    return front == walked.painted.rend() ? nullptr : *front;
}
