#pragma once

#include <QAccessibleInterface>

class Form;

// What every painted thing a screen reader sees has in common: no window of
// its own, a text only the program changes, and, unless it says otherwise,
// no children. A painted thing that the keyboard reaches has a focus stop,
// an invisible child widget of the form; the stop is its object, so that Qt
// speaks of the stop's focus as of the painted thing's.
class PaintedAccessible : public QAccessibleInterface {
public:
    explicit PaintedAccessible(Form& form, QWidget* focusStop = nullptr)
        : form_(&form), focusStop_(focusStop)
    {
    }

    bool isValid() const override { return true; }
    QObject* object() const override;
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

protected:
    QWidget* focusStop() const { return focusStop_; }
    // Focusable where a stop gives it a place in the focus chain; focused
    // while the stop has the focus.
    void addFocusState(QAccessible::State& state) const;

private:
    Form* form_;
    QWidget* focusStop_;
};
