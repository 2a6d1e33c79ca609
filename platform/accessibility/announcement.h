#pragma once

#include <QAccessibleInterface>
#include <QPointer>

// A short message for screen readers that nobody sees on the screen: each
// time the program announces something, the notification shows again with
// the new text, and readers speak it whatever has the focus. It belongs to
// a window, which lists it as its last child.
class Announcement : public QAccessibleInterface {
public:
    explicit Announcement(QWidget& window) : window_(&window) {}

    void setMessage(const QString& message) { message_ = message; }

    bool isValid() const override { return bool(window_); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override;
    QAccessibleInterface* parent() const override;
    QString text(QAccessible::Text t) const override;
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override { return {}; }
    QAccessible::Role role() const override { return QAccessible::Notification; }
    QAccessible::State state() const override;
    QList<std::pair<QAccessibleInterface*, QAccessible::Relation>>
    relations(QAccessible::Relation) const override { return {}; }
    QAccessibleInterface* focusChild() const override { return nullptr; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }

private:
    QPointer<QWidget> window_;
    QString message_;
};
