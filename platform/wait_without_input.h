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
//
// Where no thread can be had (the task limit of the user or of a pids cgroup
// reached), work runs here instead, and true is returned once it has
// finished: the windows freeze meanwhile and giveUp goes unread, but the work
// is done as asked.
bool runWithoutInput(std::function<void()> work, const std::atomic<bool>* giveUp = nullptr);

// Starts body on a new thread that is never joined. False, with nothing
// started, where the system has no thread to give.
using ThreadStarter = bool (*)(const std::function<void()>& body);
// Makes runWithoutInput start its threads with starter from now on (tests
// put in one that fails as the task limit does); returns the one it replaces.
ThreadStarter setThreadStarter(ThreadStarter starter);
