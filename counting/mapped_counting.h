#pragma once

#include "count_kernel.h"
#include "source_count.h"

#include <atomic>
#include <cstddef>
#include <cstdint>

struct InPlaceCount {
    enum Status {
        Counted,   // all of it, or up to a stop request
        Faulted,   // a page could not be had: the file was cut short, or its
                   // pages could not be read; the counter holds a partial count
        NotMapped, // the file cannot be mapped; nothing more was counted
    } status = Counted;
    std::int64_t bytes = 0; // counted in whole before the status
};

// Counts [offset, offset + size) of an open file where it lies in the page
// cache, through mappings of a bounded size, without copying it, in steps of
// `step` bytes with a look at *stop (when given) before each. A file cut
// short under a mapping makes the access fault; that fault is caught here and
// reported as Faulted instead of ending the process with a bus error.
// Faults anywhere else go on to whatever handled them before. An observer
// (when given) sees each step, copied out of the mapping first, so that no
// fault can happen in its code.
InPlaceCount countInPlace(int fd, std::int64_t offset, std::int64_t size, ByteCounter& counter,
                          std::size_t step, const std::atomic<bool>* stop,
                          StretchObserver* observer = nullptr);
