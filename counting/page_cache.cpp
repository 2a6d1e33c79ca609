#include "page_cache.h"

#include <atomic>
#include <cerrno>
#include <sys/mman.h>
#include <sys/syscall.h>
#include <unistd.h>
#include <vector>

namespace {

// The kernel's interface, which the C library's headers may be too old to have.
constexpr long kCachestatCall = 451;
struct CachestatRange {
    std::uint64_t offset;
    std::uint64_t length;
};
struct Cachestat {
    std::uint64_t cached;
    std::uint64_t dirty;
    std::uint64_t writeback;
    std::uint64_t evicted;
    std::uint64_t recentlyEvicted;
};

// Set once the kernel has said that it has no cachestat, so that it is not
// asked again for every stretch.
std::atomic<bool> cachestatMissing = false;

std::int64_t pageSize()
{
    static const std::int64_t size = ::sysconf(_SC_PAGESIZE);
    return size;
}

bool askCachestat(int fd, std::int64_t offset, std::int64_t length, CacheResidency& residency)
{
    if (cachestatMissing.load(std::memory_order_relaxed))
        return false;
    CachestatRange range{std::uint64_t(offset), std::uint64_t(length)};
    Cachestat stat{};
    if (::syscall(kCachestatCall, fd, &range, &stat, 0) != 0) {
        if (errno == ENOSYS || errno == EPERM)
            cachestatMissing = true;
        return false;
    }
    residency.cached = static_cast<std::int64_t>(stat.cached);
    residency.dirty = static_cast<std::int64_t>(stat.dirty + stat.writeback);
    return true;
}

// Mapping without populating reads nothing; mincore then tells the pages that
// are there, though not which of them are dirty.
bool askMincore(int fd, std::int64_t offset, std::int64_t length, CacheResidency& residency)
{
    const std::int64_t start = offset / pageSize() * pageSize();
    const auto size = static_cast<std::size_t>(offset + length - start);
    void* map = ::mmap(nullptr, size, PROT_READ, MAP_SHARED, fd, start);
    if (map == MAP_FAILED)
        return false;
    std::vector<unsigned char> pages((size + pageSize() - 1) / pageSize());
    const bool told = ::mincore(map, size, pages.data()) == 0;
    ::munmap(map, size);
    for (const unsigned char page : pages)
        residency.cached += page & 1;
    return told;
}

} // namespace

CacheResidency cacheResidency(int fd, std::int64_t offset, std::int64_t length)
{
    CacheResidency residency;
    if (length <= 0)
        return residency;
    const std::int64_t first = offset / pageSize();
    residency.pages = (offset + length + pageSize() - 1) / pageSize() - first;
    residency.known = askCachestat(fd, offset, length, residency) ||
                      askMincore(fd, offset, length, residency);
    return residency;
}
