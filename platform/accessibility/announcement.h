#pragma once

#include "painted_accessible.h"

// A short message for screen readers that nobody sees on the screen: each
// time the program announces something, the notification shows again with
// the new text, and readers speak it whatever has the focus.
class Announcement : public PaintedAccessible {
public:
    using PaintedAccessible::PaintedAccessible;

    void setMessage(const QString& message) { message_ = message; }

    QAccessibleInterface* parent() const override;
    QString text(QAccessible::Text t) const override;
    QRect rect() const override { return {}; }
    QAccessible::Role role() const override { return QAccessible::Notification; }
    QAccessible::State state() const override;

private:
    QString message_;
};
