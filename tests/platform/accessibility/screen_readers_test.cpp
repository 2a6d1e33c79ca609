#include "accessibility_factory.h"
#include "form.h"
#include "label.h"
#include "line.h"
#include "screen_readers.h"

#include <QAccessible>
#include <QPushButton>
#include <QStringList>
#include <gtest/gtest.h>

namespace {

// What screen readers walk of form, by name.
QStringList walkedNames(Form& form)
{
    QStringList names;
    QAccessibleInterface* shown = QAccessible::queryAccessibleInterface(&form);
    for (int i = 0; i < shown->childCount(); ++i)
        names << shown->child(i)->text(QAccessible::Name);
    return names;
}

Label& addLabel(Form& form, const QString& caption)
{
    auto* label = new Label(form, QRectF(0, 0, 10, 10));
    label->setCaption(caption);
    return *label;
}

// Controls first, then the labels in paint order with what the window adds
// among them, decorative ones and lines left out, the announcement last.
TEST(ScreenReadersTest, WalkAFormAsItIsSeen)
{
    installAccessibility();
    Form form(kTwipScale, 60, 20);
    Label& first = addLabel(form, QStringLiteral("First"));
    new QPushButton(QStringLiteral("Button"), &form);
    addLabel(form, QStringLiteral("Second"));
    new Line(form, QPointF(0, 0), QPointF(10, 0), 0, 1);
    addLabel(form, QStringLiteral("Background")).setDecorative(true);
    Label& added = addLabel(form, QStringLiteral("Added"));
    added.setDecorative(true);
    bool shown = true;
    screenReaders(form).addChildrenAfter(first, [&] {
        return shown ? std::vector<QAccessibleInterface*>{QAccessible::queryAccessibleInterface(&added)}
                     : std::vector<QAccessibleInterface*>{};
    });
    EXPECT_EQ(walkedNames(form), (QStringList{"Button", "First", "Added", "Second"}));
    shown = false;
    screenReaders(form).announce(QStringLiteral("Done"));
    EXPECT_EQ(walkedNames(form), (QStringList{"Button", "First", "Second", "Done"}));

    QAccessibleInterface* window = QAccessible::queryAccessibleInterface(&form);
    EXPECT_EQ(window->role(), QAccessible::Window);
    EXPECT_EQ(window->child(1)->parent(), window);
    EXPECT_EQ(window->indexOfChild(screenReaders(form).announcement()), 3);
}

} // namespace
