#include "form_accessibility.h"

#include "form.h"
#include "label.h"
#include "lightweight_control.h"

#include <QWidget>
#include <algorithm>

namespace {

QAccessibleInterface* formFactory(const QString&, QObject* object)
{
    if (auto* form = qobject_cast<Form*>(object))
        return new FormAccessible(form);
    return nullptr;
}

} // namespace

void installFormAccessibility()
{
    static const bool installed = (QAccessible::installFactory(formFactory), true);
    (void)installed;
}

FormAccessible::FormAccessible(Form* form) : QAccessibleWidget(form, QAccessible::Window) {}

Form* FormAccessible::form() const
{
    return static_cast<Form*>(widget());
}

int FormAccessible::childCount() const
{
    return QAccessibleWidget::childCount() + int(form()->controls().size());
}

QAccessibleInterface* FormAccessible::child(int index) const
{
    const int widgets = QAccessibleWidget::childCount();
    if (index < widgets)
        return QAccessibleWidget::child(index);
    const auto& controls = form()->controls();
    if (index - widgets >= int(controls.size()))
        return nullptr;
    return form()->accessibleFor(*controls[std::size_t(index - widgets)]);
}

int FormAccessible::indexOfChild(const QAccessibleInterface* child) const
{
    const int widgets = QAccessibleWidget::childCount();
    const auto& controls = form()->controls();
    for (std::size_t i = 0; i < controls.size(); ++i)
        if (form()->accessibleFor(*controls[i]) == child)
            return widgets + int(i);
    return QAccessibleWidget::indexOfChild(child);
}

LightweightAccessible::LightweightAccessible(Form& form, const LightweightControl& control)
    : form_(&form), control_(&control)
{
}

bool LightweightAccessible::isValid() const
{
    return true;
}

QWindow* LightweightAccessible::window() const
{
    return form_->windowHandle();
}

QAccessibleInterface* LightweightAccessible::parent() const
{
    return QAccessible::queryAccessibleInterface(form_);
}

QString LightweightAccessible::text(QAccessible::Text t) const
{
    return t == QAccessible::Name ? control_->accessibleText() : QString();
}

QRect LightweightAccessible::rect() const
{
    const QRect local = control_->pixelBounds().toAlignedRect();
    return QRect(form_->mapToGlobal(local.topLeft()), local.size());
}

QAccessible::Role LightweightAccessible::role() const
{
    return dynamic_cast<const Label*>(control_) ? QAccessible::StaticText : QAccessible::Graphic;
}

QAccessible::State LightweightAccessible::state() const
{
    QAccessible::State state;
    state.invisible = !control_->Visible();
    state.readOnly = true;
    return state;
}
