#include "command_button.h"
#include "no_thread_to_be_had.h"
#include "user_interface_thread.h"
#include "wait_without_input.h"

#include <QApplication>
#include <QDialog>
#include <QKeyEvent>
#include <atomic>
#include <gtest/gtest.h>
#include <thread>

namespace {

enum class Input { MouseClick, ReturnKey, SpaceKey };

// Posts a user's click or key press, press and release; safe from any thread.
void post(Input input, QWidget& target)
{
    if (input == Input::MouseClick) {
        postClick(target);
        return;
    }
    const int code = input == Input::ReturnKey ? Qt::Key_Return : Qt::Key_Space;
    for (const auto type : {QEvent::KeyPress, QEvent::KeyRelease})
        QCoreApplication::postEvent(&target, new QKeyEvent(type, code, Qt::NoModifier));
}

// Counts a button's clicks.
struct Clicks {
    explicit Clicks(QPushButton& button)
    {
        QObject::connect(&button, &QPushButton::clicked, [this] { ++count; });
    }
    std::atomic<int> count = 0;
};

struct KeyCase {
    const char* name;
    int key;
    Qt::KeyboardModifiers modifiers;
    bool autoRepeat;
    int clicks;
};

class CommandButtonKeys : public testing::TestWithParam<KeyCase> {};

TEST_P(CommandButtonKeys, PressTheFocusedButtonOnce)
{
    const KeyCase& row = GetParam();
    CommandButton button(QStringLiteral("Calculate Frequencies"));
    Clicks clicks(button);
    QKeyEvent press(QEvent::KeyPress, row.key, row.modifiers, QString(), row.autoRepeat);
    QKeyEvent release(QEvent::KeyRelease, row.key, row.modifiers, QString(), row.autoRepeat);
    QCoreApplication::sendEvent(&button, &press);
    QCoreApplication::sendEvent(&button, &release);
    EXPECT_EQ(clicks.count, row.clicks);
    EXPECT_FALSE(button.isDefault());
}

INSTANTIATE_TEST_SUITE_P(Keys, CommandButtonKeys,
    testing::Values(KeyCase{"Return", Qt::Key_Return, Qt::NoModifier, false, 1},
                    KeyCase{"KeypadEnter", Qt::Key_Enter, Qt::KeypadModifier, false, 1},
                    KeyCase{"Space", Qt::Key_Space, Qt::NoModifier, false, 1},
                    KeyCase{"ReturnHeldDown", Qt::Key_Return, Qt::NoModifier, true, 0},
                    KeyCase{"ShiftReturn", Qt::Key_Return, Qt::ShiftModifier, false, 0}),
    [](const auto& row) { return std::string(row.param.name); });

class InputDuringWork : public testing::TestWithParam<Input> {};

TEST_P(InputDuringWork, IsDroppedNotReplayed)
{
    CommandButton button(QStringLiteral("Calculate Frequencies"));
    button.show();
    Clicks clicks(button);
    int clicksSeenByWork = -1;
    runWithoutInput([&] {
        post(GetParam(), button);
        waitForUserInterfaceThread();
        clicksSeenByWork = clicks.count;
    });
    QCoreApplication::processEvents();
    EXPECT_EQ(clicksSeenByWork, 0);
    EXPECT_EQ(clicks.count, 0);
}

INSTANTIATE_TEST_SUITE_P(Inputs, InputDuringWork,
    testing::Values(Input::MouseClick, Input::ReturnKey, Input::SpaceKey),
    [](const auto& row) {
        return std::string(row.param == Input::MouseClick ? "MouseClick"
                           : row.param == Input::ReturnKey ? "ReturnKey"
                                                           : "SpaceKey");
    });

// At the task limit the work is done here, to its end even when asked to
// give up, and the input that came meanwhile is still dropped.
TEST(RunWithoutInput, WithNoThreadToBeHadDoesTheWorkHere)
{
    const NoThreadToBeHad noThread;
    CommandButton button(QStringLiteral("Calculate Frequencies"));
    button.show();
    Clicks clicks(button);
    const std::atomic<bool> giveUp = true;
    std::thread::id ranOn;
    EXPECT_TRUE(runWithoutInput(
        [&] {
            ranOn = std::this_thread::get_id();
            post(Input::MouseClick, button);
            post(Input::ReturnKey, button);
        },
        &giveUp));
    EXPECT_EQ(ranOn, std::this_thread::get_id());
    QCoreApplication::processEvents();
    EXPECT_EQ(clicks.count, 0);
}

TEST(DiscardUserInput, LetsAModalDialogOpenedMeanwhileTakeItsInput)
{
    const DiscardUserInput discard;
    QWidget window;
    auto* behind = new CommandButton(QStringLiteral("Help"), &window);
    window.show();
    QDialog dialog(&window);
    auto* ok = new CommandButton(QStringLiteral("OK"), &dialog);
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.show();
    Clicks okClicks(*ok);
    Clicks behindClicks(*behind);
    post(Input::MouseClick, *ok);
    post(Input::ReturnKey, *behind);
    QCoreApplication::processEvents();
    EXPECT_EQ(okClicks.count, 1);
    EXPECT_EQ(behindClicks.count, 0);
}

} // namespace
