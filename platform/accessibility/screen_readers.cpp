#include "screen_readers.h"

#include "announcement.h"
#include "form.h"

ScreenReaders& screenReaders(Form& form)
{
    if (auto* known = form.findChild<ScreenReaders*>(QString(), Qt::FindDirectChildrenOnly))
        return *known;
    return *new ScreenReaders(form);
}

ScreenReaders::ScreenReaders(Form& form) : QObject(&form), form_(&form) {}

ScreenReaders::~ScreenReaders()
{
    if (announcementId_ != 0)
        QAccessible::deleteAccessibleInterface(announcementId_);
}

void ScreenReaders::addChildrenAfter(const Label& after,
                                     std::function<std::vector<QAccessibleInterface*>()> children)
{
    added_.emplace_back(&after, std::move(children));
}

std::vector<QAccessibleInterface*> ScreenReaders::childrenAfter(const Label& label) const
{
    std::vector<QAccessibleInterface*> all;
    for (const auto& [after, children] : added_)
        if (after == &label)
            for (QAccessibleInterface* child : children())
                all.push_back(child);
    return all;
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
