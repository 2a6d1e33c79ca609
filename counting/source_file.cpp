#include "source_file.h"

#include "counting_threads.h"
#include "direct_reading.h"
#include "network_file_systems.h"
#include "stretch_counting.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <limits>
#include <memory>
#include <new>
#include <poll.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

// A file cut short while it is counted is counted again, from its start to
// where it then ends, until one pass finds it unchanged: this many passes at
// most, after which the count fails as Changed rather than go on for as long
// as the file keeps changing.
constexpr int kPasses = 5;

bool isHiddenName(const std::string& path)
{
    const auto slash = path.find_last_of('/');
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    return name.empty() || name.front() == '.';
}

ReadOutcome failure(int error)
{
    return {ReadStatus::ReadFailed, error, 0, {}};
}

// Opens without blocking, then makes sure that what was opened is still a
// regular file: the path may have been replaced since the existence test, and
// a FIFO must never be read.
int openRegularFile(const std::string& path, int& error)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        error = errno;
        return -1;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        error = S_ISDIR(info.st_mode) ? EISDIR : EINVAL;
        ::close(fd);
        return -1;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    return fd;
}

std::int64_t currentSize(int fd)
{
    struct stat info {};
    return ::fstat(fd, &info) == 0 ? info.st_size : 0;
}

struct Pass {
    WideCounts counts{};
    std::int64_t total = 0;
    int error = 0;
    std::int64_t errorAt = 0;
    bool cutShort = false;
    RouteBytes routes;
};

// Counts the file once, from its start, up to limit bytes.
Pass countOnce(int fd, const DirectFile& direct, const ReadOptions& options, std::int64_t limit,
               int workers, bool mapCached)
{
    FileCount file;
    file.fd = fd;
    file.direct = &direct;
    file.readAt = options.readAt ? options.readAt : ReadAt(::pread);
    file.blockSize = options.blockSize;
    file.stop = options.stop;
    file.observer = options.observer;
    file.mapCached = mapCached;
    file.planEnd = std::min(currentSize(fd), limit);
    file.threads = workers + 1;

    Pass pass;
    pass.counts = countOnThreads(workers, [&file](ByteCounter& counter) { countWindows(file, counter); });
    if (!file.ended()) {
        if (currentSize(fd) < file.planEnd) {
            file.cutShort = true;
        } else {
            ByteCounter rest;
            file.counted += countRest(file, rest, file.planEnd, limit);
            addCounts(pass.counts, rest.counts());
        }
    }
    pass.routes = bytesTallied(file.routes);
    pass.counts[0] += static_cast<std::uint64_t>(pass.routes[Route::Hole]);
    pass.total = file.counted;
    pass.error = file.error;
    pass.errorAt = file.errorAt;
    pass.cutShort = file.cutShort;
    return pass;
}

bool stopRequested(const ReadOptions& options)
{
    return options.stop && options.stop->load();
}

std::int64_t limitOf(const ReadOptions& options)
{
    return options.limit < 0 ? std::numeric_limits<std::int64_t>::max() : options.limit;
}

ReadStatus endStatus(const ReadOptions& options, std::int64_t total)
{
    return options.limit >= 0 && total >= options.limit ? ReadStatus::LimitReached : ReadStatus::Counted;
}

// Waits until fd has something to give (or its end, or an error) or a stop is
// requested; true if the stop came.
bool waitForInput(int fd, const ReadOptions& options)
{
    for (;;) {
        if (stopRequested(options))
            return true;
        pollfd watched{fd, POLLIN, 0};
        const int ready = ::poll(&watched, 1, options.stop ? 100 : -1);
        if (ready > 0 || (ready < 0 && errno != EINTR))
            return false;
    }
}

} // namespace

int ReadOptions::defaultWorkers()
{
    // A thread a core, at most four, and two at least so that reading
    // overlaps counting.
    return static_cast<int>(std::clamp(std::thread::hardware_concurrency(), 2u, 4u)) - 1;
}

bool sourceExists(const std::string& path)
{
    if (path.empty() || path.back() == '/' || isHiddenName(path))
        return false;
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

ReadOutcome countSourceFile(const std::string& path, SourceCount& count, const ReadOptions& options)
{
    count = {};
    int error = 0;
    const int fd = openRegularFile(path, error);
    if (fd < 0)
        return failure(error);

    const std::int64_t limit = limitOf(options);
    const DirectFile direct(options.readColdDirect ? fd : -1);
    if (direct.fd() >= 0) {
        // What is read through the cache is then only what the stretches that
        // are partly cached need, not the next megabytes of a cold file.
        ::posix_fadvise(fd, 0, 0, POSIX_FADV_RANDOM);
    }
    const bool mapCached = options.mapCached && !servedFromAfar(fd);
    Pass pass;
    bool changed = false;
    for (int passes = 1;; ++passes) {
        // Once a pass has been cut short nothing is mapped: a page that
        // cannot be read faults just as one past a new end does, where a
        // read tells the two apart.
        pass = countOnce(fd, direct, options, limit, options.workers, mapCached && passes == 1);
        if (!pass.cutShort || pass.error != 0 || stopRequested(options))
            break;
        if (passes == kPasses) {
            changed = true;
            break;
        }
        // Cut short while it was counted: what was counted is no state the
        // file was ever in, so it is counted again, up to where it now ends.
        if (options.observer)
            options.observer->restart();
    }
    ::close(fd);

    if (pass.error != 0)
        return {ReadStatus::ReadFailed, pass.error, pass.errorAt, pass.routes};
    if (stopRequested(options))
        return {ReadStatus::Stopped, {}, pass.total, pass.routes};
    if (changed)
        return {ReadStatus::Changed, {}, pass.total, pass.routes};
    count.counts = pass.counts;
    count.total = pass.total;
    return {endStatus(options, pass.total), {}, pass.total, pass.routes};
}

ReadOutcome countStream(int fd, SourceCount& count, const ReadOptions& options)
{
    count = {};
    const std::size_t size = std::max<std::size_t>(options.blockSize, 1);
    const std::unique_ptr<unsigned char[]> buffer(new (std::nothrow) unsigned char[size]);
    if (!buffer)
        return failure(ENOMEM);
    const std::int64_t limit = limitOf(options);
    ByteCounter counter;
    std::int64_t total = 0;
    bool wouldBlock = false; // fd does not block, and had nothing to give
    while (total < limit) {
        // Without a stop to look at, a read that waits is as good as a poll.
        if ((options.stop || wouldBlock) && waitForInput(fd, options))
            return {ReadStatus::Stopped, {}, total, {}};
        const auto wanted = static_cast<std::size_t>(std::min<std::int64_t>(size, limit - total));
        const ssize_t got = ::read(fd, buffer.get(), wanted);
        wouldBlock = got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK);
        if (got < 0 && (errno == EINTR || wouldBlock))
            continue;
        if (got < 0)
            return {ReadStatus::ReadFailed, errno, total, {}};
        if (got == 0)
            break;
        counter.add(buffer.get(), static_cast<std::size_t>(got));
        if (options.observer)
            options.observer->bytes(total, buffer.get(), static_cast<std::size_t>(got));
        total += got;
    }
    count.counts = counter.counts();
    count.total = total;
    ReadOutcome outcome{endStatus(options, total), {}, total, {}};
    outcome.routes[Route::Buffered] = total;
    return outcome;
}

ReadOutcome readSourceFile(const std::string& path, FrequencyState& state,
                           const ReadOptions& options)
{
    if (!sourceExists(path))
        return {};
    ReadOptions narrowed = options;
    narrowed.limit = kSourceLimit - std::int64_t{state.totalChars};
    if (options.limit >= 0)
        narrowed.limit = std::min(narrowed.limit, options.limit);
    SourceCount count;
    const ReadOutcome outcome = countSourceFile(path, count, narrowed);
    if (outcome.status != ReadStatus::Counted && outcome.status != ReadStatus::LimitReached) {
        clearCounts(state);
        return outcome;
    }
    for (int v = 0; v < 256; ++v)
        state.charCounts[v] += static_cast<std::int32_t>(count.counts[v]);
    state.totalChars += static_cast<std::int32_t>(count.total);
    return outcome;
}
