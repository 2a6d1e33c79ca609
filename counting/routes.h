#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>

// The ways a stretch of a file is counted. Every byte counted takes one.
enum class Route {
    Hole,     // a hole of a sparse file, counted as zeros unread
    InPlace,  // held in whole by the page cache, counted where it lies
    Copied,   // held in whole by the page cache, copied out of it
    Direct,   // not in the cache, read past it from the disk
    Buffered, // any other, read through the cache; kept last
};

inline constexpr std::size_t kRouteCount = static_cast<std::size_t>(Route::Buffered) + 1;

// One value for each route, indexed by it.
template <typename T>
struct PerRoute {
    std::array<T, kRouteCount> values{};

    T& operator[](Route route) { return values[static_cast<std::size_t>(route)]; }
    const T& operator[](Route route) const { return values[static_cast<std::size_t>(route)]; }
};

// Bytes counted on each route.
using RouteBytes = PerRoute<std::int64_t>;

// Bytes counted on each route, added to by every thread of a pass.
using RouteTally = PerRoute<std::atomic<std::int64_t>>;

// What tally holds now.
inline RouteBytes bytesTallied(const RouteTally& tally)
{
    RouteBytes bytes;
    for (std::size_t route = 0; route < kRouteCount; ++route)
        bytes.values[route] = tally.values[route].load();
    return bytes;
}
