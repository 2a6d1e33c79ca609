#pragma once

#include "count_kernel.h"
#include "direct_reading.h"
#include "read_call.h"
#include "routes.h"
#include "source_count.h"

#include <atomic>
#include <cstddef>
#include <cstdint>

// One pass of counting a file, shared by all the threads that count it. The
// file, from 0 to planEnd, is cut into windows that the threads claim from
// the front through an atomic offset; each thread reads and counts its own
// windows, so no lock is held while reading or counting.
struct FileCount {
    int fd = -1;
    const DirectFile* direct = nullptr; // a direct descriptor, or none (fd -1)
    ReadAt readAt;
    std::size_t blockSize = 1 << 20;    // the step of counting and of looking at *stop
    const std::atomic<bool>* stop = nullptr;
    StretchObserver* observer = nullptr; // sees every stretch counted, or none
    bool mapCached = true;              // count cached stretches where they lie
    std::int64_t planEnd = 0;           // the size when the pass began, at most the limit
    int threads = 1;

    std::atomic<std::int64_t> nextWindow = 0;
    // Set when the file was found shorter than planEnd: what was counted no
    // longer is the file, and the pass ends.
    std::atomic<bool> cutShort = false;
    std::atomic<int> error = 0;            // errno of the first read that failed
    std::atomic<std::int64_t> errorAt = 0; // where that read began
    std::atomic<bool> holesKnown = true;   // the file system tells holes from data
    std::atomic<bool> directRefused = false;
    std::atomic<std::int64_t> counted = 0; // bytes counted, holes included

    RouteTally routes; // bytes counted on each route

    bool stopRequested() const { return stop && stop->load(std::memory_order_relaxed); }
    bool ended() const { return stopRequested() || cutShort.load() || error.load() != 0; }
};

// Claims windows of the file and counts them into counter until none is
// left or the pass ends; the zeros of holes are left in
// file.routes[Route::Hole] for the caller to add once.
void countWindows(FileCount& file, ByteCounter& counter);

// Counts from `from` on, read after read, until a read gives 0 bytes or
// `limit` is reached, the way files that grow or whose size is wrong (/proc)
// must be read. Gives the bytes counted.
std::int64_t countRest(FileCount& file, ByteCounter& counter, std::int64_t from, std::int64_t limit);
