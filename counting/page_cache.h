#pragma once

#include <cstdint>

// How much of a stretch of an open file the page cache holds, in pages.
struct CacheResidency {
    std::int64_t pages = 0;  // pages the stretch spans
    std::int64_t cached = 0; // of which the cache holds
    std::int64_t dirty = 0;  // of which are not yet on the disk
    bool known = false;      // false: the kernel would not say
};

// Asks the kernel what the page cache holds of [offset, offset + length)
// without reading anything or changing what the cache holds: cachestat
// where the kernel has it (Linux 6.5), mincore on a mapping elsewhere.
CacheResidency cacheResidency(int fd, std::int64_t offset, std::int64_t length);
