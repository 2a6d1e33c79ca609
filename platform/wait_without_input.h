#pragma once

#include <functional>

// Runs work on a thread of its own while this, the user-interface thread,
// waits for it: windows go on repainting, but user input is held back and
// delivered only after the work is done, so no command can run in between.
void runWithoutInput(const std::function<void()>& work);
