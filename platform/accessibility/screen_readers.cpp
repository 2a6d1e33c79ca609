#include "screen_readers.h"

#include "announcement.h"
#include "focus_stop.h"
#include "form.h"
#include "lightweight_accessible.h"
#include "label.h"
#include "lightweight_control.h"

#include <algorithm>

namespace {

// Registers the interface of what a focus stop stands for in place of any
// that Qt made for the stop itself.
unsigned registerForStop(QWidget& stop, QAccessibleInterface* painted)
{
    // Qt makes an interface for any widget a screen reader hears of; the
    // stop may have been heard of while it was being made.
    if (QAccessibleInterface* made = QAccessible::queryAccessibleInterface(&stop);
        made && made != painted)
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(made));
    return QAccessible::registerAccessibleInterface(painted);
}

} // namespace

ScreenReaders& screenReaders(Form& form)
{
    if (auto* known = form.findChild<ScreenReaders*>(QString(), Qt::FindDirectChildrenOnly))
        return *known;
    return *new ScreenReaders(form);
}

ScreenReaders::ScreenReaders(Form& form) : QObject(&form), form_(&form)
{
    connect(&form, &Form::controlsChanged, this, [this] { accessibleControls_.reset(); });
    // The interfaces go while the controls they read are still there.
    connect(&form, &Form::destroying, &form, [this] { delete this; });
}

ScreenReaders::~ScreenReaders()
{
    for (const auto& [control, id] : accessibleIds_)
        QAccessible::deleteAccessibleInterface(id);
    if (announcementId_ != 0)
        QAccessible::deleteAccessibleInterface(announcementId_);
}

QAccessibleInterface* ScreenReaders::accessibleFor(const LightweightControl& control)
{
    const auto known = accessibleIds_.find(&control);
    if (known != accessibleIds_.end())
        return QAccessible::accessibleInterface(known->second);
    const auto stop = focusStops_.find(&control);
    auto* created = new LightweightAccessible(
        *form_, control, stop == focusStops_.end() ? nullptr : stop->second,
        [this](const LightweightControl& other) { return accessibleFor(other); });
    accessibleIds_[&control] = stop == focusStops_.end()
                                   ? QAccessible::registerAccessibleInterface(created)
                                   : registerForStop(*stop->second, created);
    return created;
}

FocusStop& ScreenReaders::addFocusStop(const Label& label)
{
    if (const auto known = accessibleIds_.find(&label); known != accessibleIds_.end()) {
        QAccessible::deleteAccessibleInterface(known->second);
        accessibleIds_.erase(known);
    }
    auto* stop = new LabelFocusStop(*form_, label);
    focusStops_[&label] = stop;
    stop->setAccessibleName(accessibleFor(label)->text(QAccessible::Name));
    accessibleControls_.reset();
    return *stop;
}

void ScreenReaders::addChildrenAfter(const LightweightControl& after,
                                     std::function<std::vector<QAccessibleInterface*>()> children)
{
    addedChildren_.emplace_back(&after, std::move(children));
    accessibleControls_.reset();
}

void ScreenReaders::announce(const QString& message)
{
    const bool first = announcementId_ == 0;
    if (first)
        announcementId_ = QAccessible::registerAccessibleInterface(new Announcement(*form_));
    auto* shown = static_cast<Announcement*>(announcement());
    shown->setMessage(message);
    if (first) {
        QAccessibleEvent created(shown, QAccessible::ObjectCreated);
        QAccessible::updateAccessibility(&created);
    }
    QAccessibleEvent named(shown, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&named);
    QAccessibleEvent showing(shown, QAccessible::ObjectShow);
    QAccessible::updateAccessibility(&showing);
}

QAccessibleInterface* ScreenReaders::announcement() const
{
    return announcementId_ == 0 ? nullptr : QAccessible::accessibleInterface(announcementId_);
}

const std::vector<QAccessibleInterface*>& ScreenReaders::accessibleControls()
{
    if (accessibleControls_)
        return *accessibleControls_;
    std::vector<QAccessibleInterface*> walked;
    for (const auto& control : form_->controls()) {
        if (!control->decorative())
            walked.push_back(accessibleFor(*control));
        for (const auto& [after, children] : addedChildren_)
            if (after == control.get())
                for (QAccessibleInterface* child : children())
                    walked.push_back(child);
    }
    return accessibleControls_.emplace(std::move(walked));
}
