#include "form.h"
#include "label.h"
#include "screen_readers.h"

#include <QAccessible>
#include <QStringList>
#include <gtest/gtest.h>

namespace {

// What screen readers walk of form after its child widgets, by name.
QStringList walkedNames(Form& form)
{
    QStringList names;
    for (QAccessibleInterface* control : screenReaders(form).accessibleControls())
        names << control->text(QAccessible::Name);
    return names;
}

Label& addLabel(Form& form, const QString& caption)
{
    Label& label = form.add<Label>();
    label.setCaption(caption);
    return label;
}

TEST(ScreenReadersTest, FollowTheControlsAsTheyJoinAndTurnDecorative)
{
    Form form(kTwipScale, 60, 20);
    Label& first = addLabel(form, QStringLiteral("First"));
    EXPECT_EQ(walkedNames(form), QStringList{"First"});

    addLabel(form, QStringLiteral("Second"));
    EXPECT_EQ(walkedNames(form), (QStringList{"First", "Second"}));

    // What the form paints that is no control comes where it is asked to,
    // as it is when the walk is made again.
    const Label& added = addLabel(form, QStringLiteral("Added"));
    bool shown = true;
    screenReaders(form).addChildrenAfter(first, [&] {
        return shown ? std::vector<QAccessibleInterface*>{screenReaders(form).accessibleFor(added)}
                     : std::vector<QAccessibleInterface*>{};
    });
    EXPECT_EQ(walkedNames(form), (QStringList{"First", "Added", "Second", "Added"}));
    shown = false;
    screenReaders(form).childrenChanged();
    EXPECT_EQ(walkedNames(form), (QStringList{"First", "Second", "Added"}));

    first.setDecorative(true);
    EXPECT_EQ(walkedNames(form), (QStringList{"Second", "Added"}));
    first.setDecorative(false);
    EXPECT_EQ(walkedNames(form), (QStringList{"First", "Second", "Added"}));
}

// The form's own interface comes from the factory, whether or not the
// program has asked for its screen readers' side yet.
TEST(ScreenReadersTest, AFormShowsItsPaintedControlsAsItsChildren)
{
    Form form(kTwipScale, 60, 20);
    const Label& label = addLabel(form, QStringLiteral("Only"));
    QAccessibleInterface* shown = QAccessible::queryAccessibleInterface(&form);
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(shown->role(), QAccessible::Window);
    ASSERT_EQ(shown->childCount(), 1);
    EXPECT_EQ(shown->child(0), screenReaders(form).accessibleFor(label));
    EXPECT_EQ(shown->child(0)->parent(), shown);
}

} // namespace
