#pragma once

#include "wait_without_input.h"

// While one lives, runWithoutInput gets no thread, as when the task limit of
// the user or of a pids cgroup has been reached.
class NoThreadToBeHad {
public:
    NoThreadToBeHad() : before_(setThreadStarter([](const std::function<void()>&) { return false; })) {}
    ~NoThreadToBeHad() { setThreadStarter(before_); }
    NoThreadToBeHad(const NoThreadToBeHad&) = delete;
    NoThreadToBeHad& operator=(const NoThreadToBeHad&) = delete;

private:
    ThreadStarter before_;
};
