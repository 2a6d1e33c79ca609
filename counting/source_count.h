#pragma once

#include "count_kernel.h"

#include <cstddef>
#include <cstdint>

// What a count of any size found.
struct SourceCount {
    WideCounts counts{};
    std::int64_t total = 0; // bytes counted, holes included
};

// Sees the bytes of a count where they lie in the source, as they are counted. Called from every
// counting thread at once, for stretches in no particular order; in the pass that the outcome
// describes they cover [0, total) exactly once. restart() comes before every pass after the first
// (a file that changed while it was counted is counted again), so what was seen before is dropped.
// data stays valid for the call only.
class StretchObserver {
public:
    virtual ~StretchObserver() = default;
    virtual void restart() = 0;
    virtual void bytes(std::int64_t offset, const unsigned char* data, std::size_t size) = 0;
    virtual void zeros(std::int64_t offset, std::int64_t length) = 0; // a hole, counted unread
};
