#pragma once

#include <QObject>
#include <atomic>
#include <chrono>
#include <functional>

// While it lives, user input (keys, mouse buttons, wheel, touch, drops) to
// any window is thrown away, never held back for later, so that no command
// starts while one is running and none runs again afterwards. Input to a
// modal dialog opened meanwhile still reaches it. Input already waiting when
// it ends is thrown away too.
class DiscardUserInput : public QObject {
public:
    DiscardUserInput();
    ~DiscardUserInput() override;

protected:
    bool eventFilter(QObject* receiver, QEvent* event) override;
};

// How long work that was asked to give up gets to finish before it is left
// behind; a close must end the program within half a second.
inline constexpr std::chrono::milliseconds kGiveUpGrace{150};

// Runs work on a thread of its own while this, the user-interface thread,
// waits for it: windows go on repainting and taking close requests, but user
// input is discarded (see DiscardUserInput). True once work has finished.
//
// Once giveUp (if given) is set, work gets kGiveUpGrace to finish; if it has
// not (a read that never returns), false is returned at once and the thread
// runs on alone, never waited for: such work must own everything it touches.
// Without giveUp the wait lasts as long as the work.
bool runWithoutInput(std::function<void()> work, const std::atomic<bool>* giveUp = nullptr);
