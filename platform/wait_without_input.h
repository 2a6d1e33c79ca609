#pragma once

#include <QObject>
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

// Runs work on a thread of its own while this, the user-interface thread,
// waits for it: windows go on repainting and taking close requests, but user
// input is discarded (see DiscardUserInput).
void runWithoutInput(const std::function<void()>& work);
