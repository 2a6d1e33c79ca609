#pragma once

#include <QAccessibleWidget>

class Label;

// What screen readers see of a label: static text (or the role it is given)
// named by Label::accessibleText, related to the caption that names it or
// the label it names. A label with a click handler has the press action.
class LabelAccessible : public QAccessibleWidget {
public:
    explicit LabelAccessible(Label* label);

    QList<std::pair<QAccessibleInterface*, QAccessible::Relation>>
    relations(QAccessible::Relation match) const override;
    QString text(QAccessible::Text t) const override;
    QRect rect() const override;
    QAccessible::Role role() const override;
    QAccessible::State state() const override;

    // QAccessibleActionInterface: press, as a click does.
    QStringList actionNames() const override;
    void doAction(const QString& actionName) override;

private:
    const Label* label() const;
};
