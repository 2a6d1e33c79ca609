#include "label_accessible.h"

#include "form.h"
#include "label.h"

LabelAccessible::LabelAccessible(Label* label) : QAccessibleWidget(label, QAccessible::StaticText) {}

const Label* LabelAccessible::label() const
{
    return static_cast<const Label*>(widget());
}

QList<std::pair<QAccessibleInterface*, QAccessible::Relation>>
LabelAccessible::relations(QAccessible::Relation match) const
{
    QList<std::pair<QAccessibleInterface*, QAccessible::Relation>> related;
    const auto relate = [&related](const Label* other, QAccessible::Relation relation) {
        related.append({QAccessible::queryAccessibleInterface(const_cast<Label*>(other)), relation});
    };
    if (label()->labelledBy() && (match & QAccessible::Label))
        relate(label()->labelledBy(), QAccessible::Label);
    if (label()->labelFor() && (match & QAccessible::Labelled))
        relate(label()->labelFor(), QAccessible::Labelled);
    return related;
}

QString LabelAccessible::text(QAccessible::Text t) const
{
    switch (t) {
    case QAccessible::Name:
        return label()->accessibleText();
    case QAccessible::Description:
        return label()->accessibleDescription();
    default:
        return QString();
    }
}

// The label itself, without the focus mark round a link.
QRect LabelAccessible::rect() const
{
    const auto* form = qobject_cast<const Form*>(label()->parentWidget());
    return form ? form->screenRect(label()->pixelBounds()) : QAccessibleWidget::rect();
}

QAccessible::Role LabelAccessible::role() const
{
    return label()->role();
}

QAccessible::State LabelAccessible::state() const
{
    QAccessible::State state = QAccessibleWidget::state();
    state.readOnly = true;
    return state;
}

QStringList LabelAccessible::actionNames() const
{
    QStringList names = QAccessibleWidget::actionNames();
    if (label()->onClick())
        names.prepend(pressAction());
    return names;
}

void LabelAccessible::doAction(const QString& actionName)
{
    if (actionName == pressAction() && label()->onClick())
        label()->onClick()();
    else
        QAccessibleWidget::doAction(actionName);
}
