#pragma once

#include <QAccessibleInterface>

class Form;

// What every painted thing a screen reader sees has in common: no object
// and no window of its own, no focus, a text only the program changes,
// and, unless it says otherwise, no children.
class PaintedAccessible : public QAccessibleInterface {
public:
    explicit PaintedAccessible(Form& form) : form_(&form) {}

    bool isValid() const override { return true; }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override;
    QList<std::pair<QAccessibleInterface*, QAccessible::Relation>>
    relations(QAccessible::Relation) const override { return {}; }
    QAccessibleInterface* focusChild() const override { return nullptr; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    void setText(QAccessible::Text, const QString&) override {}

    Form& form() const { return *form_; }

private:
    Form* form_;
};
