#pragma once

#include "count_kernel.h"

#include <functional>

// Counts on the caller's thread and `workers` more at once: each runs
// count() with a counter of its own, and the counts of all are summed once
// every thread has ended. The threads share out the input among themselves
// (count() claims its part), so no lock is held while reading or counting.
// Memory: one counter a thread. Threads that cannot be had are done without.
WideCounts countOnThreads(int workers, const std::function<void(ByteCounter& counter)>& count);
