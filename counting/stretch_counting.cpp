#include "stretch_counting.h"

#include "cached_route.h"
#include "mapped_counting.h"
#include "page_cache.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <memory>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Reads of a stretch not in the cache go to the disk this many at a time
// for each counting thread, each of four blocks: the disk then always has
// the next requests while the last one is counted, even when the thread has
// to wait for a core that other programs keep busy.
constexpr int kReadsInFlight = 4;
constexpr std::size_t kBlocksPerRequest = 4;
// Windows shrink toward the end so that the threads finish together: each is
// a share of what is left, between one request and this many.
constexpr std::int64_t kRequestsPerWindow = 16;
// Reads through the cache come in pieces of at most this size: the
// second-level cache holds one beside the counter's tables, so the count
// reads the copy from there, not from memory.
constexpr std::size_t kCopyPiece = 256 << 10;

struct Extent {
    std::int64_t length;
    bool hole;
};

std::int64_t alignUp(std::int64_t value, std::int64_t alignment)
{
    return (value + alignment - 1) / alignment * alignment;
}

std::int64_t alignDown(std::int64_t value, std::int64_t alignment)
{
    return value / alignment * alignment;
}

std::int64_t currentSize(int fd)
{
    struct stat info {};
    return ::fstat(fd, &info) == 0 ? info.st_size : -1;
}

// What one thread needs to count its windows.
class ThreadCount {
public:
    ThreadCount(FileCount& file, ByteCounter& counter)
        : file_(file)
        , counter_(counter)
        , requestSize_(alignUp(std::int64_t(file.blockSize * kBlocksPerRequest), 4096))
        , cachedRoute_(file.mapCached)
    {
    }

    void countWindows()
    {
        while (const auto window = claim())
            countWindow(window->first, window->second);
    }

    std::int64_t countRest(std::int64_t from, std::int64_t limit)
    {
        return countBuffered(from, limit - from);
    }

private:
    std::optional<std::pair<std::int64_t, std::int64_t>> claim()
    {
        std::int64_t start = file_.nextWindow.load();
        std::int64_t end = 0;
        do {
            if (start >= file_.planEnd || file_.ended())
                return std::nullopt;
            const std::int64_t share = (file_.planEnd - start) / (3 * file_.threads);
            const std::int64_t size =
                std::clamp(alignDown(share, requestSize_), requestSize_, kRequestsPerWindow * requestSize_);
            end = std::min(start + size, file_.planEnd);
        } while (!file_.nextWindow.compare_exchange_weak(start, end));
        return std::pair{start, end};
    }

    void countWindow(std::int64_t start, std::int64_t end)
    {
        // A file cut short is caught here, before it is mapped, most of the time.
        if (currentSize(file_.fd) < file_.planEnd) {
            file_.cutShort = true;
            return;
        }
        // A window that the cache holds in whole has no hole worth finding:
        // the cached zeros of a hole count as fast as data. On tmpfs, where
        // a hole is a page that is not there, finding where the data ends
        // walks every page up to there, milliseconds for a large file.
        const CacheResidency residency = cacheResidency(file_.fd, start, end - start);
        const bool wholeInCache = residency.known && residency.cached == residency.pages;
        for (std::int64_t at = start; at < end && !file_.ended();) {
            const Extent extent = wholeInCache ? Extent{end - at, false} : extentAt(at, end);
            if (extent.hole) {
                if (file_.observer)
                    file_.observer->zeros(at, extent.length);
                file_.routes[Route::Hole] += extent.length;
                file_.counted += extent.length;
                at += extent.length;
                continue;
            }
            const std::int64_t got = countData(at, extent.length, wholeInCache);
            file_.counted += got;
            at += got;
            if (got < extent.length && !file_.ended())
                file_.cutShort = true;
        }
    }

    // The hole or the data that starts at `at`, up to end. Holes shorter than
    // a block count as data: reading them costs less than the calls to find
    // each one.
    Extent extentAt(std::int64_t at, std::int64_t end)
    {
        const Extent data{end - at, false};
        if (!file_.holesKnown)
            return data;
        const off_t dataAt = ::lseek(file_.fd, at, SEEK_DATA);
        if (dataAt < 0 && errno == ENXIO) {
            // No data from `at` on: a hole up to the end of the file, or a
            // file now cut short before end, which reading it finds out.
            return currentSize(file_.fd) >= end ? Extent{end - at, true} : data;
        }
        if (dataAt < at) {
            file_.holesKnown = false;
            return data;
        }
        if (dataAt > at)
            return {std::min<std::int64_t>(dataAt, end) - at, true};
        off_t holeAt = ::lseek(file_.fd, at, SEEK_HOLE);
        while (holeAt >= 0 && holeAt < end) {
            const off_t next = ::lseek(file_.fd, holeAt, SEEK_DATA);
            if (next < 0 || next - holeAt >= off_t(file_.blockSize))
                break;
            holeAt = ::lseek(file_.fd, next, SEEK_HOLE);
        }
        return holeAt < 0 ? data : Extent{std::min<std::int64_t>(holeAt, end) - at, false};
    }

    // Counts data stretch by stretch, each taking the route that suits what
    // the page cache holds of it. Fewer bytes than asked: the file ended, a
    // read failed or a stop came.
    std::int64_t countData(std::int64_t at, std::int64_t size, bool wholeInCache)
    {
        const std::int64_t end = at + size;
        const auto stretchEnd = [&](std::int64_t from) {
            return std::min(alignDown(from, requestSize_) + requestSize_, end);
        };
        std::int64_t done = at;
        // The route of every stretch is asked once, in file order: a run of
        // stretches that go the same way is counted in one go, and so the
        // route of the stretch after a run is known before the run is.
        RouteChoice choice = routeOf(done, stretchEnd(done), wholeInCache);
        while (done < end) {
            std::int64_t runEnd = stretchEnd(done);
            std::optional<RouteChoice> next;
            while (runEnd < end && !choice.probe) {
                next = routeOf(runEnd, stretchEnd(runEnd), wholeInCache);
                if (*next != choice)
                    break;
                runEnd = stretchEnd(runEnd);
                next.reset();
            }
            const std::int64_t wanted = runEnd - done;
            if (next && next->route == Route::Direct && choice.route != Route::Direct)
                prepareDirect(runEnd, stretchEnd(runEnd));
            if (choice.route == Route::Buffered && file_.direct && file_.direct->fd() >= 0) {
                // The file's own readahead is off where direct reads are on:
                // this reads what the stretch lacks in large requests, and
                // nothing past it.
                ::posix_fadvise(file_.fd, done, wanted, POSIX_FADV_WILLNEED);
            }
            const std::int64_t got = choice.probe                     ? countProbe(done, wanted)
                                     : choice.route == Route::InPlace ? countCached(done, wanted)
                                     : choice.route == Route::Direct  ? countDirect(done, wanted)
                                                                      : countBuffered(done, wanted, choice.route);
            done += got;
            if (got < wanted || done >= end)
                break;
            choice = next ? *next : routeOf(done, stretchEnd(done), wholeInCache);
        }
        return done - at;
    }

    // A stretch wholly in the page cache is counted where it lies or copied
    // out of it, whichever costs less for the folios it is held in; one
    // mostly out of it is read past it, so that it neither evicts what the
    // user has cached nor costs a copy. Any other is read through the cache:
    // a direct read would first write out its dirty pages. Where the cache
    // held the stretch's whole window a moment ago, it is not asked again:
    // asking walks every page, a twentieth of the time of counting a file of
    // zeros, and a page evicted since is read through the cache all the same.
    RouteChoice routeOf(std::int64_t from, std::int64_t to, bool wholeInCache)
    {
        const bool direct = file_.direct && file_.direct->fd() >= 0 && !file_.directRefused;
        if (!direct && !file_.mapCached)
            return {Route::Buffered};
        if (wholeInCache)
            return cachedRoute_.next();
        const CacheResidency residency = cacheResidency(file_.fd, from, to - from);
        if (!residency.known)
            return {Route::Buffered};
        if (residency.cached == residency.pages)
            return cachedRoute_.next();
        if (direct && residency.dirty == 0 && 2 * residency.cached < residency.pages)
            return {Route::Direct};
        return {Route::Buffered};
    }

    // The probe maps the start of the stretch; the rest goes the way it found.
    std::int64_t countProbe(std::int64_t at, std::int64_t size)
    {
        const std::int64_t probe = std::min(size, CachedRoute::kProbeBytes);
        const std::int64_t probed = countCached(at, probe);
        if (probed < probe || probe == size || file_.ended())
            return probed;
        const bool inPlace = cachedRoute_.afterProbe().route == Route::InPlace;
        return probed + (inPlace ? countCached(at + probed, size - probed)
                                 : countBuffered(at + probed, size - probed, Route::Copied));
    }

    std::int64_t countCached(std::int64_t at, std::int64_t size)
    {
        const long faults = threadFaults();
        const InPlaceCount result =
            countInPlace(file_.fd, at, size, counter_, file_.blockSize, file_.stop, file_.observer);
        cachedRoute_.countedInPlace(result.bytes, threadFaults() - faults);
        file_.routes[Route::InPlace] += result.bytes;
        switch (result.status) {
        case InPlaceCount::Counted:
            return result.bytes;
        case InPlaceCount::Faulted:
            // Part of the mapping's bytes are in the counter: only counting
            // the file again can make the counts right.
            file_.cutShort = true;
            return result.bytes;
        case InPlaceCount::NotMapped:
            break;
        }
        return result.bytes + countBuffered(at + result.bytes, size - result.bytes);
    }

    // The unaligned ends of the stretch are read through the cache.
    std::int64_t countDirect(std::int64_t at, std::int64_t size)
    {
        const auto alignment = static_cast<std::int64_t>(file_.direct->alignment());
        const std::int64_t begin = alignUp(at, alignment);
        const std::int64_t end = alignDown(at + size, alignment);
        if (begin >= end)
            return countBuffered(at, size);
        const std::int64_t head = countBuffered(at, begin - at);
        if (head < begin - at)
            return head;
        std::int64_t delivered = begin;
        const ReadAhead::Result result =
            readAhead().read(begin, end, [this, &delivered](const unsigned char* data, std::size_t n) {
                countSteps(delivered, data, n);
                delivered += static_cast<std::int64_t>(n);
                return !file_.stopRequested();
            });
        file_.routes[Route::Direct] += result.bytes;
        std::int64_t done = begin + result.bytes;
        if (result.error == EINVAL) {
            // The file system took the descriptor but refuses its reads.
            file_.directRefused = true;
        } else if (result.error != 0) {
            fail(result.error, done);
            return done - at;
        }
        if (file_.stopRequested())
            return done - at;
        // Only a read of 0 bytes is the end: after a short one, or where a
        // helper thread could not be had, the rest is read through the cache.
        done += countBuffered(done, at + size - done);
        return done - at;
    }

    // Starts reading a stretch that goes past the cache while the one before
    // it is counted: the device would wait otherwise, since the stretches
    // between two that go past it count far faster than it reads.
    void prepareDirect(std::int64_t at, std::int64_t end)
    {
        const auto alignment = static_cast<std::int64_t>(file_.direct->alignment());
        if (alignUp(at, alignment) < alignDown(end, alignment))
            readAhead().prepare(alignUp(at, alignment), alignDown(end, alignment));
    }

    ReadAhead& readAhead()
    {
        if (!readAhead_)
            readAhead_ = std::make_unique<ReadAhead>(file_.readAt, file_.direct->fd(), requestSize_,
                                                     file_.direct->alignment(), kReadsInFlight);
        return *readAhead_;
    }

    // The bytes read are tallied on `route`: Copied where the cache holds
    // the stretch in whole.
    std::int64_t countBuffered(std::int64_t at, std::int64_t size, Route route = Route::Buffered)
    {
        if (size <= 0)
            return 0;
        if (!buffer_)
            buffer_.reset(static_cast<unsigned char*>(std::aligned_alloc(4096, alignUp(pieceSize(), 4096))));
        if (!buffer_) {
            fail(ENOMEM, at);
            return 0;
        }
        std::int64_t done = 0;
        while (done < size && !file_.stopRequested()) {
            const auto wanted = static_cast<std::size_t>(std::min<std::int64_t>(pieceSize(), size - done));
            ssize_t got = 0;
            do
                got = file_.readAt(file_.fd, buffer_.get(), wanted, at + done);
            while (got < 0 && errno == EINTR);
            if (got < 0)
                fail(errno, at + done);
            if (got <= 0)
                break;
            count(at + done, buffer_.get(), static_cast<std::size_t>(got));
            file_.routes[route] += got;
            done += got;
        }
        return done;
    }

    std::int64_t pieceSize() const { return std::int64_t(std::min(file_.blockSize, kCopyPiece)); }

    void countSteps(std::int64_t offset, const unsigned char* data, std::size_t size)
    {
        for (std::size_t at = 0; at < size && !file_.stopRequested(); at += file_.blockSize)
            count(offset + std::int64_t(at), data + at, std::min(file_.blockSize, size - at));
    }

    void count(std::int64_t offset, const unsigned char* data, std::size_t size)
    {
        counter_.add(data, size);
        if (file_.observer)
            file_.observer->bytes(offset, data, size);
    }

    void fail(int error, std::int64_t at)
    {
        int none = 0;
        if (file_.error.compare_exchange_strong(none, error))
            file_.errorAt = at;
    }

    struct FreeBuffer {
        void operator()(unsigned char* buffer) const { std::free(buffer); }
    };

    FileCount& file_;
    ByteCounter& counter_;
    const std::int64_t requestSize_;
    CachedRoute cachedRoute_;
    std::unique_ptr<ReadAhead> readAhead_;       // made at the first stretch not in the cache
    std::unique_ptr<unsigned char, FreeBuffer> buffer_; // made at the first read through the cache
};

} // namespace

void countWindows(FileCount& file, ByteCounter& counter)
{
    ThreadCount(file, counter).countWindows();
}

std::int64_t countRest(FileCount& file, ByteCounter& counter, std::int64_t from, std::int64_t limit)
{
    return ThreadCount(file, counter).countRest(from, limit);
}
