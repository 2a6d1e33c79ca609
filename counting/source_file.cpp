#include "source_file.h"

#include "block_counting.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

bool isHiddenName(const std::string& path)
{
    const auto slash = path.find_last_of('/');
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    return name.empty() || name.front() == '.';
}

ReadOutcome failure(int error, std::int64_t bytesRead)
{
    return {ReadStatus::ReadFailed, std::strerror(error), bytesRead};
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

// The length of the hole from offset to the next data, whose bytes read as
// zeros; 0 when data starts at offset. Clears `known` when the file system
// cannot tell holes from data, so that it is asked no more. Leaves the file's
// position at the end of the hole; -1 with errno when that fails.
std::int64_t holeAt(int fd, std::int64_t offset, bool& known)
{
    off_t data = ::lseek(fd, offset, SEEK_DATA);
    if (data < 0 && errno == ENXIO) {
        // No data after offset: the file ends there or in a hole.
        struct stat info {};
        data = ::fstat(fd, &info) == 0 ? std::max<off_t>(offset, info.st_size) : offset;
        if (::lseek(fd, data, SEEK_SET) < 0)
            return -1;
    }
    if (data < offset) {
        known = false;
        return 0;
    }
    return data - offset;
}

// A file's bytes, block after block, from its start to its end or the limit,
// for countBlocks; holes are skipped and their length kept as zeros.
struct FileBlocks {
    int fd;
    std::int64_t limit;
    decltype(ReadOptions::readBlock) readBlock;
    std::int64_t total = 0; // bytes given or skipped: the file's position
    std::int64_t holeZeros = 0;
    int error = 0; // of the read that failed, which ends the file
    bool holesKnown = true;

    std::size_t next(unsigned char* block, std::size_t capacity)
    {
        while (total < limit) {
            // Asked before every block, so a hole is skipped from the first
            // block boundary inside it; shorter holes are read, which is
            // cheaper than many small reads between them.
            if (holesKnown) {
                const std::int64_t hole = holeAt(fd, total, holesKnown);
                if (hole < 0) {
                    error = errno;
                    return 0;
                }
                if (hole > 0) {
                    const std::int64_t zeros = std::min(hole, limit - total);
                    holeZeros += zeros;
                    total += zeros;
                    continue;
                }
            }
            const auto wanted = std::min<std::int64_t>(std::int64_t(capacity), limit - total);
            const ssize_t got = readBlock(fd, block, static_cast<std::size_t>(wanted));
            if (got < 0 && errno == EINTR)
                continue;
            if (got < 0)
                error = errno;
            if (got <= 0)
                return 0;
            total += got;
            return static_cast<std::size_t>(got);
        }
        return 0;
    }
};

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

ReadOutcome readSourceFile(const std::string& path, FrequencyState& state,
                           const ReadOptions& options)
{
    if (!sourceExists(path))
        return {};
    int error = 0;
    const int fd = openRegularFile(path, error);
    if (fd < 0)
        return failure(error, 0);

    FileBlocks file{fd, kSourceLimit - std::int64_t{state.totalChars},
                    options.readBlock ? options.readBlock : decltype(options.readBlock)(::read)};
    ByteCounts counts = countBlocks(
        options.workers, options.blockSize,
        [&file](unsigned char* block, std::size_t capacity) { return file.next(block, capacity); },
        options.stop);
    counts[0] += static_cast<std::uint32_t>(file.holeZeros);
    ::close(fd);

    if (file.error != 0) {
        clearCounts(state);
        return failure(file.error, file.total);
    }
    if (options.stop && options.stop->load(std::memory_order_relaxed)) {
        clearCounts(state);
        return {ReadStatus::Stopped, {}, file.total};
    }
    for (int v = 0; v < 256; ++v)
        state.charCounts[v] += static_cast<std::int32_t>(counts[v]);
    state.totalChars += static_cast<std::int32_t>(file.total);
    const ReadStatus status = file.total >= file.limit ? ReadStatus::LimitReached : ReadStatus::Counted;
    return {status, {}, file.total};
}
