#pragma once

#include <QAccessibleWidget>

class Form;
class LightweightControl;

// Lets screen readers walk a form's lightweight controls as if they were
// children of their own: after the form's child widgets come its labels and
// lines, in paint order, each with its name and what it shows.
class FormAccessible : public QAccessibleWidget {
public:
    explicit FormAccessible(Form* form);

    int childCount() const override;
    QAccessibleInterface* child(int index) const override;
    int indexOfChild(const QAccessibleInterface* child) const override;

private:
    Form* form() const;
};

// The interface of one lightweight control; the form keeps it registered
// for as long as the control lives.
class LightweightAccessible : public QAccessibleInterface {
public:
    LightweightAccessible(Form& form, const LightweightControl& control);

    bool isValid() const override;
    QObject* object() const override { return nullptr; }
    QWindow* window() const override;
    QList<std::pair<QAccessibleInterface*, QAccessible::Relation>>
    relations(QAccessible::Relation) const override { return {}; }
    QAccessibleInterface* focusChild() const override { return nullptr; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessibleInterface* parent() const override;
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QString text(QAccessible::Text t) const override;
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override;
    QAccessible::Role role() const override;
    QAccessible::State state() const override;

private:
    Form* form_;
    const LightweightControl* control_;
};

// Installs the factory that gives every Form its FormAccessible.
void installFormAccessibility();
