#include "source_file.h"

#include "count_kernel.h"
#include "direct_reading.h"
#include "page_cache.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <mutex>
#include <numeric>
#include <random>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <system_error>
#include <thread>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct Piece {
    off_t offset;
    std::size_t length;
    char value;
};

const char* nameOf(Route route)
{
    return route == Route::InPlace ? "in place" : route == Route::Buffered ? "buffered" : "direct";
}

// Bytes read through the page cache, copied out of it or not.
std::int64_t throughTheCache(const RouteBytes& routes)
{
    return routes[Route::Copied] + routes[Route::Buffered];
}

// Records the stretches that a count shows it, and the counts of what it saw.
class RecordingObserver : public StretchObserver {
public:
    void restart() override
    {
        const std::lock_guard lock(mutex_);
        stretches_.clear();
        counts_ = {};
        ++restarts_;
    }
    void bytes(std::int64_t offset, const unsigned char* data, std::size_t size) override
    {
        const std::lock_guard lock(mutex_);
        stretches_.emplace_back(offset, std::int64_t(size));
        countBytesReference(data, size, counts_);
    }
    void zeros(std::int64_t offset, std::int64_t length) override
    {
        const std::lock_guard lock(mutex_);
        stretches_.emplace_back(offset, length);
        counts_[0] += static_cast<std::uint64_t>(length);
        holes_ += length;
    }

    // Where the stretches seen, in file order, first fail to follow on from
    // each other or from 0; their end when they cover [0, end) exactly once.
    std::int64_t coveredUpTo()
    {
        std::sort(stretches_.begin(), stretches_.end());
        std::int64_t end = 0;
        for (const auto& [offset, size] : stretches_) {
            if (offset != end)
                return -1 - end;
            end += size;
        }
        return end;
    }
    const WideCounts& counts() const { return counts_; }
    std::int64_t holes() const { return holes_; }
    int restarts() const { return restarts_; }

private:
    std::mutex mutex_;
    std::vector<std::pair<std::int64_t, std::int64_t>> stretches_;
    WideCounts counts_{};
    std::int64_t holes_ = 0;
    int restarts_ = 0;
};

WideCounts countsOf(const std::string& bytes)
{
    WideCounts counts{};
    countBytesReference(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), counts);
    return counts;
}

class SourceFileTest : public testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = (fs::temp_directory_path() / "tallivor-source-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        dir = pattern;
    }
    void TearDown() override { fs::remove_all(dir); }

    std::string write(const std::string& name, const std::string& bytes)
    {
        const fs::path path = dir / name;
        std::ofstream(path, std::ios::binary) << bytes;
        return path.string();
    }

    // A file of `size` bytes that takes no disk space but for its pieces of
    // data: holes elsewhere, which read as zeros.
    std::string sparse(const std::string& name, off_t size, const std::vector<Piece>& pieces)
    {
        const std::string path = (dir / name).string();
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        EXPECT_EQ(::ftruncate(fd, size), 0);
        for (const Piece& piece : pieces) {
            const std::string bytes(piece.length, piece.value);
            EXPECT_EQ(::pwrite(fd, bytes.data(), bytes.size(), piece.offset), ssize_t(bytes.size()));
        }
        ::close(fd);
        return path;
    }

    // Options that send the bytes of the file at path along `route`: InPlace
    // (counted where the page cache holds them), Buffered (read through the
    // cache, copied out of it or not) or Direct (dropped from the cache
    // first, read past it). False where the route cannot be had here.
    bool through(Route route, const std::string& path, ReadOptions& options)
    {
        options.mapCached = route == Route::InPlace;
        options.readColdDirect = route == Route::Direct;
        if (route != Route::Direct)
            return true;
        const int fd = ::open(path.c_str(), O_RDONLY);
        const bool directReads = DirectFile(fd).fd() >= 0;
        const off_t size = ::lseek(fd, 0, SEEK_END);
        const bool dropped = ::fdatasync(fd) == 0 && ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED) == 0 &&
                             cacheResidency(fd, 0, size).cached == 0;
        ::close(fd);
        return directReads && dropped;
    }

    // Whether the file system of the test folder tells holes from data.
    bool holesAreReported()
    {
        const std::string path = sparse("probe", 1 << 20, {});
        const int fd = ::open(path.c_str(), O_RDONLY);
        const bool reported = ::lseek(fd, 0, SEEK_DATA) < 0 && errno == ENXIO;
        ::close(fd);
        return reported;
    }

    fs::path dir;
};

TEST_F(SourceFileTest, ExistenceTestAcceptsOnlyVisibleRegularFiles)
{
    const std::string file = write("plain.txt", "x");
    write(".hidden", "x");
    write("with blanks é.txt", "x");
    write("*.bin", "x");
    write("a.dat", "x");
    fs::create_directory(dir / "folder");
    fs::create_symlink(file, dir / "link-to-file");
    fs::create_symlink(dir / "folder", dir / "link-to-folder");
    fs::create_symlink(dir / "nowhere", dir / "dangling");
    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);

    const std::pair<std::string, bool> cases[] = {
        {file, true},
        {(dir / "with blanks é.txt").string(), true},
        {(dir / "link-to-file").string(), true},
        {(dir / "*.bin").string(), true}, // a literal name, not a pattern
        {(dir / "*.dat").string(), false},
        {(dir / ".hidden").string(), false},
        {(dir / "folder").string(), false},
        {(dir / "folder").string() + "/", false},
        {file + "/", false},
        {(dir / "link-to-folder").string(), false},
        {(dir / "dangling").string(), false},
        {(dir / "fifo").string(), false},
        {"/dev/null", false},
        {"Select a source file...", false},
        {"", false},
    };
    for (const auto& [path, present] : cases)
        EXPECT_EQ(sourceExists(path), present) << path;
}

TEST_F(SourceFileTest, MissingSourceLeavesCountsAloneAndNeverOpensAFifo)
{
    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
    FrequencyState state;
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(readSourceFile((dir / "fifo").string(), state).status, ReadStatus::Missing);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));
    EXPECT_EQ(readSourceFile("Select a source file...", state).status, ReadStatus::Missing);
    EXPECT_EQ(state.totalChars, 0);
}

TEST_F(SourceFileTest, CountsEachByteOnce)
{
    FrequencyState state;
    const ReadOutcome outcome = readSourceFile(write("aa", "AA\n"), state);
    EXPECT_EQ(outcome.status, ReadStatus::Counted);
    EXPECT_EQ(outcome.bytesRead, 3);
    EXPECT_EQ(state.totalChars, 3);
    EXPECT_EQ(state.charCounts[65], 2);
    EXPECT_EQ(state.charCounts[10], 1);

    FrequencyState empty;
    EXPECT_EQ(readSourceFile(write("empty", ""), empty).status, ReadStatus::Counted);
    EXPECT_EQ(empty.totalChars, 0);
}

TEST_F(SourceFileTest, MatchesTheReferenceLoopForAwkwardSizesWorkerCountsAndRoutes)
{
    std::mt19937 generator(11);
    for (const std::size_t size : {std::size_t{1}, std::size_t{4095}, std::size_t{4096},
                                   std::size_t{4097}, std::size_t{5 * 4096 + 13},
                                   std::size_t{40 * 16384 + 4096 + 511}}) {
        std::string bytes(size, '\0');
        for (auto& b : bytes)
            b = static_cast<char>(generator());
        const std::string path = write("random", bytes);
        WideCounts expected{};
        countBytesReference(reinterpret_cast<const unsigned char*>(bytes.data()), size, expected);
        for (const Route route : {Route::InPlace, Route::Buffered, Route::Direct}) {
            for (const int workers : {0, 1, 3}) {
                FrequencyState state;
                ReadOptions options;
                options.workers = workers;
                options.blockSize = 4096;
                if (!through(route, path, options))
                    continue;
                ASSERT_EQ(readSourceFile(path, state, options).status, ReadStatus::Counted);
                EXPECT_EQ(state.totalChars, static_cast<std::int32_t>(size));
                for (int v = 0; v < 256; ++v)
                    ASSERT_EQ(static_cast<std::uint32_t>(state.charCounts[v]), expected[v])
                        << "size " << size << " workers " << workers << " " << nameOf(route) << " value " << v;
            }
        }
    }
}

// What the page cache holds decides how each stretch comes in: counted where
// it lies or copied out of the cache when wholly cached, read past the cache
// when mostly not, through the cache when dirty, so that a count neither
// reads a cached file from the disk again nor fills the cache with a cold
// one. Where the file system refuses direct reads (tmpfs), nothing is read
// past the cache.
TEST_F(SourceFileTest, EachStretchTakesTheRouteThatWhatTheCacheHoldsCallsFor)
{
    constexpr std::size_t kMiB = 1 << 20;
    std::string bytes(24 * kMiB + 123, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>(i * 7 % 251);
    const std::string path = write("mixed", bytes);
    const bool directReads = [&] {
        ReadOptions probe;
        return through(Route::Direct, path, probe);
    }();
    if (!directReads)
        GTEST_SKIP() << "the test folder's file system refuses direct reads or keeps its pages cached";

    // Cold but for one dirty stretch, whose new bytes must be the ones
    // counted, and a page here and there, as other reads leave them.
    const int fd = ::open(path.c_str(), O_RDWR);
    const std::string changed(64 * 1024, 'N');
    ASSERT_EQ(::pwrite(fd, changed.data(), changed.size(), 9 * kMiB + 5), ssize_t(changed.size()));
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_RANDOM);
    char page[4096];
    for (const std::size_t at : {kMiB, 13 * kMiB, 21 * kMiB})
        ASSERT_EQ(::pread(fd, page, sizeof page, off_t(at)), ssize_t(sizeof page));
    ::close(fd);
    bytes.replace(9 * kMiB + 5, changed.size(), changed);
    WideCounts expected{};
    countBytesReference(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), expected);

    FrequencyState state;
    const ReadOutcome cold = readSourceFile(path, state);
    ASSERT_EQ(cold.status, ReadStatus::Counted);
    for (int v = 0; v < 256; ++v)
        ASSERT_EQ(static_cast<std::uint32_t>(state.charCounts[v]), expected[v]) << "value " << v;
    EXPECT_GE(cold.routes[Route::Direct], std::int64_t(bytes.size() - 8 * kMiB))
        << "cold stretches were read through the cache";
    EXPECT_GE(throughTheCache(cold.routes), std::int64_t(changed.size())) << "dirty pages were read past the cache";
    const int check = ::open(path.c_str(), O_RDONLY);
    EXPECT_LE(cacheResidency(check, 0, std::int64_t(bytes.size())).cached, std::int64_t(5 * kMiB / 4096))
        << "the count filled the cache";

    // Cached now: nothing is read from the disk again.
    std::vector<char> all(bytes.size());
    ASSERT_EQ(::pread(check, all.data(), all.size(), 0), ssize_t(all.size()));
    ::close(check);
    FrequencyState again;
    const ReadOutcome cached = readSourceFile(path, again);
    EXPECT_EQ(cached.routes[Route::InPlace] + cached.routes[Route::Copied], std::int64_t(bytes.size()));
    EXPECT_EQ(again.charCounts, state.charCounts);

    // On tmpfs nothing can be cold and nothing read past the cache.
    if (::access("/dev/shm", W_OK) == 0) {
        const std::string shm = "/dev/shm/tallivor-test-" + std::to_string(::getpid());
        std::ofstream(shm, std::ios::binary) << bytes;
        for (const bool mapCached : {true, false}) {
            ReadOptions options;
            options.mapCached = mapCached;
            FrequencyState onTmpfs;
            const ReadOutcome outcome = readSourceFile(shm, onTmpfs, options);
            EXPECT_EQ(outcome.status, ReadStatus::Counted);
            EXPECT_EQ(onTmpfs.charCounts, state.charCounts);
            EXPECT_EQ(outcome.routes[Route::Direct], 0);
            EXPECT_EQ(outcome.routes[Route::InPlace] + throughTheCache(outcome.routes), std::int64_t(bytes.size()));
            if (!mapCached) {
                EXPECT_EQ(outcome.routes[Route::InPlace], 0);
            }
        }
        fs::remove(shm);
    }
}

// Every other piece evicted: reads past the cache of the next evicted piece
// start while the cached one before it is counted, and what they bring is
// still counted once, in file order, by every number of threads.
TEST_F(SourceFileTest, AFileHalfEvictedInSmallPiecesIsCountedExactly)
{
    constexpr std::size_t kPiece = 64 * 1024;
    std::string bytes(40 * kPiece + 777, '\0');
    std::mt19937 generator(5);
    for (auto& b : bytes)
        b = static_cast<char>(generator() % 97);
    const std::string path = write("half-evicted", bytes);
    for (const auto& [workers, mapCached] : {std::pair{0, false}, {1, false}, {3, false}, {3, true}}) {
        ReadOptions options;
        options.workers = workers;
        options.blockSize = 4096;
        if (!through(Route::Direct, path, options))
            GTEST_SKIP() << "the test folder's file system refuses direct reads or keeps its pages cached";
        const int fd = ::open(path.c_str(), O_RDONLY);
        ::posix_fadvise(fd, 0, 0, POSIX_FADV_RANDOM);
        std::string piece(kPiece, '\0');
        for (std::size_t at = 0; at < bytes.size(); at += 2 * kPiece)
            ASSERT_GT(::pread(fd, piece.data(), kPiece, off_t(at)), 0);
        ::close(fd);
        options.mapCached = mapCached;
        RecordingObserver observer;
        options.observer = &observer;
        SourceCount count;
        const ReadOutcome outcome = countSourceFile(path, count, options);
        ASSERT_EQ(outcome.status, ReadStatus::Counted) << workers << " workers";
        EXPECT_EQ(count.counts, countsOf(bytes)) << workers << " workers";
        EXPECT_EQ(observer.counts(), countsOf(bytes)) << workers << " workers";
        EXPECT_EQ(observer.coveredUpTo(), std::int64_t(bytes.size())) << workers << " workers";
        EXPECT_GT(outcome.routes[Route::Direct], 0) << workers << " workers";
    }
}

// Mapping a stretch that the cache holds in 4 KiB pages costs more than
// copying it out: files written in small pieces and files on tmpfs are
// copied, but for the start of a stretch mapped now and then (two at
// first, each thread) to see whether that still holds.
TEST_F(SourceFileTest, CachedSmallPagesAreCopiedOutRatherThanMapped)
{
    constexpr std::size_t kMiB = 1 << 20;
    std::string bytes(64 * kMiB, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>(i * 29 % 251);
    std::vector<std::string> paths = {(dir / "small-writes").string()};
    if (::access("/dev/shm", W_OK) == 0)
        paths.push_back("/dev/shm/tallivor-test-small-" + std::to_string(::getpid()));
    for (const std::string& path : paths) {
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        for (std::size_t at = 0; at < bytes.size(); at += 4096)
            ASSERT_EQ(::write(fd, bytes.data() + at, 4096), 4096);
        ASSERT_EQ(::fsync(fd), 0);
        ::close(fd);
        SourceCount count;
        ReadOptions twoThreads;
        twoThreads.workers = 1;
        const ReadOutcome outcome = countSourceFile(path, count, twoThreads);
        fs::remove(path);
        EXPECT_EQ(outcome.status, ReadStatus::Counted) << path;
        EXPECT_EQ(count.counts, countsOf(bytes)) << path;
        // Two probes a thread, each of the start of a stretch only.
        EXPECT_LE(outcome.routes[Route::InPlace], std::int64_t(bytes.size() * 3 / 16)) << path;
        EXPECT_EQ(outcome.routes[Route::InPlace] + outcome.routes[Route::Copied], std::int64_t(bytes.size())) << path;
    }
}

TEST_F(SourceFileTest, CountsFilesWhoseReportedSizeIsWrong)
{
    FrequencyState state;
    EXPECT_EQ(readSourceFile("/proc/self/status", state).status, ReadStatus::Counted);
    EXPECT_GT(state.totalChars, 0);
}

// Sparse files: holes count as zeros, without being read where the file
// system tells where they are, and the limit cuts holes and data alike.
TEST_F(SourceFileTest, CountsHolesAsZerosUpToExactlyTheLimit)
{
    constexpr off_t kLimit = kSourceLimit;
    constexpr off_t kMiB = 1 << 20;
    struct Case {
        const char* name;
        off_t size;
        std::vector<Piece> pieces;
        ReadStatus status;
    };
    const Case cases[] = {
        {"hole at the start", 64 * kMiB, {{40 * kMiB + 5, 3000, 'A'}}, ReadStatus::Counted},
        {"hole at the end", 64 * kMiB, {{0, 5000, 'B'}, {kMiB, 1, 'C'}}, ReadStatus::Counted},
        {"holes between data", 1900 * kMiB,
         {{7, 100, 'D'}, {kMiB - 1, 2, 'E'}, {1500 * kMiB, kMiB + 1, 'F'}},
         ReadStatus::Counted},
        {"one below the limit", kLimit - 1, {{kLimit - 2, 1, 'G'}}, ReadStatus::Counted},
        {"exactly the limit", kLimit, {{kLimit - 1, 1, 'G'}}, ReadStatus::LimitReached},
        {"one above the limit", kLimit + 1, {{kLimit, 1, 'G'}}, ReadStatus::LimitReached},
        {"limit inside a hole", kLimit + 64 * kMiB,
         {{kMiB, 10, 'H'}, {kLimit + 32 * kMiB, 10, 'I'}}, ReadStatus::LimitReached},
        {"limit inside data", kLimit + kMiB, {{kLimit - 1000, 3000, 'J'}}, ReadStatus::LimitReached},
    };
    const bool holesReported = holesAreReported();
    for (const Case& c : cases) {
        const std::string path = sparse("sparse", c.size, c.pieces);
        std::map<char, std::int64_t> expected;
        for (const Piece& piece : c.pieces)
            expected[piece.value] += std::clamp<std::int64_t>(kLimit - piece.offset, 0, piece.length);
        const std::int64_t total = std::min<std::int64_t>(c.size, kLimit);
        for (const int workers : {0, 2}) {
            ReadOptions options;
            options.workers = workers;
            FrequencyState state;
            const ReadOutcome outcome = readSourceFile(path, state, options);
            EXPECT_EQ(outcome.status, c.status) << c.name;
            EXPECT_EQ(outcome.bytesRead, total) << c.name;
            EXPECT_EQ(state.totalChars, total) << c.name;
            std::int64_t counted = 0;
            for (const auto& [value, count] : expected) {
                EXPECT_EQ(state.charCounts[static_cast<unsigned char>(value)], count) << c.name;
                counted += count;
            }
            EXPECT_EQ(state.charCounts[0], total - counted) << c.name;
            if (holesReported) {
                EXPECT_LT(total - outcome.routes[Route::Hole], 16 * kMiB) << c.name << ": holes were read";
            }
        }
        fs::remove(path);
    }
}

// A file cut short after its first block was read: the count is that of the
// file as it is afterwards, never zeros past the new end, whichever route its
// bytes take.
TEST_F(SourceFileTest, FileCutShortWhileCountedGivesTheCountsOfItsNewSize)
{
    constexpr off_t kMiB = 1 << 20;
    for (const Route route : {Route::Buffered, Route::Direct}) {
        const std::string path =
            sparse("shrinking", 64 * kMiB, {{0, 2 * kMiB, 'A'}, {32 * kMiB, 4096, 'B'}});
        ReadOptions options;
        if (!through(route, path, options))
            continue;
        options.readAt = [&path](int fd, void* buffer, std::size_t size, off_t offset) {
            const ssize_t got = ::pread(fd, buffer, size, offset);
            EXPECT_EQ(::truncate(path.c_str(), 8 * kMiB + 3), 0);
            return got;
        };
        FrequencyState state;
        EXPECT_EQ(readSourceFile(path, state, options).status, ReadStatus::Counted) << nameOf(route);
        EXPECT_EQ(state.totalChars, 8 * kMiB + 3) << nameOf(route);
        EXPECT_EQ(state.charCounts['A'], 2 * kMiB) << nameOf(route);
        EXPECT_EQ(state.charCounts['B'], 0) << nameOf(route);
        EXPECT_EQ(state.charCounts[0], 6 * kMiB + 3) << nameOf(route);
    }
}

// Cut short at any moment while its stretches are counted in place: never a
// bus error, and the counts are those of the whole file or of what is left.
TEST_F(SourceFileTest, FileCutShortWhileCountedInPlaceNeverEndsTheProcess)
{
    constexpr off_t kMiB = 1 << 20;
    for (int attempt = 0; attempt < 6; ++attempt) {
        const std::string path = sparse("shrinking", 48 * kMiB, {{0, 48 * kMiB, 'A'}});
        std::jthread cutter([&path, attempt] {
            std::this_thread::sleep_for(std::chrono::microseconds(500 * attempt));
            EXPECT_EQ(::truncate(path.c_str(), 5 * kMiB), 0);
        });
        FrequencyState state;
        EXPECT_EQ(readSourceFile(path, state).status, ReadStatus::Counted);
        cutter.join();
        EXPECT_TRUE(state.totalChars == 48 * kMiB || state.totalChars == 5 * kMiB) << state.totalChars;
        EXPECT_EQ(state.charCounts['A'], state.totalChars);
    }
}

// Cut again and again by another thread while it is counted: the count is
// of a size the file had, no smaller than where it ended up, with the bytes
// it then held, or it fails as Changed; never a partial count as a success.
TEST_F(SourceFileTest, FileCutAgainAndAgainIsCountedAsItWasOrFailsAsChanged)
{
    constexpr off_t kMiB = 1 << 20;
    constexpr int kMiBs = 64;
    std::string bytes(kMiBs * kMiB, '\0');
    for (int m = 0; m < kMiBs; ++m) // each MiB its own value: a missing stretch shows
        std::fill_n(bytes.begin() + m * kMiB, kMiB, static_cast<char>(m + 1));
    struct Case {
        std::chrono::microseconds interval;
        int floorMiBs;
    };
    const Case paces[] = {{std::chrono::microseconds(2000), 40},
                          {std::chrono::microseconds(100), 8},
                          {std::chrono::microseconds(0), 1}};
    std::map<ReadStatus, int> seen;
    for (const Route route : {Route::InPlace, Route::Buffered, Route::Direct}) {
        for (const Case& pace : paces) {
            const std::string path = write("shrinking", bytes);
            ReadOptions options;
            if (!through(route, path, options))
                continue;
            RecordingObserver observer;
            options.observer = &observer;
            std::atomic<int> sizeMiBs = kMiBs;
            std::atomic<bool> counting = true;
            // sizeMiBs never exceeds the file's size: it goes down first.
            std::jthread cutter([&] {
                while (counting && sizeMiBs > pace.floorMiBs) {
                    EXPECT_EQ(::truncate(path.c_str(), --sizeMiBs * kMiB), 0);
                    std::this_thread::sleep_for(pace.interval);
                }
            });
            SourceCount count;
            const ReadOutcome outcome = countSourceFile(path, count, options);
            const int smallest = sizeMiBs;
            counting = false;
            cutter.join();
            const std::string name = std::string(nameOf(route)) + ", a MiB cut every " +
                                     std::to_string(pace.interval.count()) + " us";
            ++seen[outcome.status];
            if (outcome.status == ReadStatus::Changed) {
                EXPECT_EQ(count.total, 0) << name;
                EXPECT_EQ(count.counts, WideCounts{}) << name;
                continue;
            }
            ASSERT_EQ(outcome.status, ReadStatus::Counted) << name;
            EXPECT_EQ(count.total % kMiB, 0) << name << ": not a size the file had";
            EXPECT_GE(count.total, smallest * kMiB) << name;
            EXPECT_EQ(count.counts, countsOf(bytes.substr(0, std::size_t(count.total)))) << name;
            EXPECT_EQ(observer.coveredUpTo(), count.total) << name;
            EXPECT_EQ(observer.counts(), count.counts) << name;
        }
    }
    std::printf("outcomes: %d counted, %d changed\n", seen[ReadStatus::Counted], seen[ReadStatus::Changed]);
}

// Where no thread can be had (here: a user allowed no more processes), the
// caller's thread reads and counts it all, on every route.
TEST_F(SourceFileTest, WithoutThreadsTheCallerCountsAlone)
{
    std::string bytes(9 * (1 << 20) + 11, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>(i * 11 % 255);
    const std::string path = write("data", bytes);
    ::chmod(dir.c_str(), 0755);
    ::chmod(path.c_str(), 0644);
    for (const Route route : {Route::InPlace, Route::Buffered, Route::Direct}) {
        ReadOptions options;
        options.workers = 3;
        if (!through(route, path, options))
            continue;
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            const rlimit none{1, 1};
            if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
                ::_exit(2);
            if (::setrlimit(RLIMIT_NPROC, &none) != 0)
                ::_exit(2);
            bool threadRefused = false;
            try {
                std::thread([] {}).join();
            } catch (const std::system_error&) {
                threadRefused = true;
            }
            if (!threadRefused)
                ::_exit(3);
            SourceCount count;
            const ReadOutcome outcome = countSourceFile(path, count, options);
            ::_exit(outcome.status == ReadStatus::Counted && count.counts == countsOf(bytes) ? 0 : 1);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status)) << nameOf(route);
        if (WEXITSTATUS(status) == 2 || WEXITSTATUS(status) == 3)
            GTEST_SKIP() << "threads could not be refused here";
        EXPECT_EQ(WEXITSTATUS(status), 0) << nameOf(route);
    }
}

TEST_F(SourceFileTest, ReadErrorZeroesTheCountsAndGivesTheReason)
{
    // The read that covers byte 40,000 fails: a block of 4096 bytes read
    // through the cache, a request of 16 KiB read past it.
    const std::string path = write("data", std::string(160 * 1024 + 7, 'z'));
    for (const auto& [route, failedAt] : {std::pair{Route::Buffered, 36864}, std::pair{Route::Direct, 32768}}) {
        for (const int workers : {0, 2}) {
            ReadOptions options;
            options.workers = workers;
            options.blockSize = 4096;
            if (!through(route, path, options))
                continue;
            options.readAt = [](int fd, void* buffer, std::size_t size, off_t offset) -> ssize_t {
                if (offset <= 40'000 && 40'000 < offset + off_t(size)) {
                    errno = EIO;
                    return -1;
                }
                return ::pread(fd, buffer, size, offset);
            };
            FrequencyState state;
            const ReadOutcome outcome = readSourceFile(path, state, options);
            EXPECT_EQ(outcome.status, ReadStatus::ReadFailed) << nameOf(route);
            EXPECT_EQ(outcome.error, EIO);
            EXPECT_EQ(outcome.bytesRead, failedAt) << nameOf(route);
            EXPECT_EQ(state.totalChars, 0);
            EXPECT_EQ(state.charCounts['z'], 0);
        }
    }
}

// Each thread ends the read it has begun, and reads past the cache end the
// requests they have at the disk: no more.
TEST_F(SourceFileTest, StopRequestEndsTheCountWithinABlockWithZeroCounts)
{
    const std::string path = write("data", std::string(64 * 4096, 'z'));
    for (const Route route : {Route::Buffered, Route::Direct}) {
        for (const int workers : {0, 2}) {
            std::atomic<bool> stop = false;
            std::atomic<int> calls = 0;
            ReadOptions options;
            options.workers = workers;
            options.blockSize = 4096;
            options.stop = &stop;
            if (!through(route, path, options))
                continue;
            options.readAt = [&](int fd, void* buffer, std::size_t size, off_t offset) -> ssize_t {
                if (++calls == 3)
                    stop = true;
                return ::pread(fd, buffer, size, offset);
            };
            const int inFlight = route == Route::Direct ? 4 : 1;
            FrequencyState state;
            EXPECT_EQ(readSourceFile(path, state, options).status, ReadStatus::Stopped) << workers;
            EXPECT_LE(calls, 3 + (workers + 1) * inFlight) << nameOf(route) << " " << workers;
            EXPECT_EQ(state.totalChars, 0) << workers;
            EXPECT_EQ(state.charCounts['z'], 0) << workers;
        }
    }
}

TEST_F(SourceFileTest, InterruptedReadsAreRetried)
{
    const std::string path = write("data", std::string(64 * 1024 + 3, 'i'));
    for (const Route route : {Route::Buffered, Route::Direct}) {
        ReadOptions options;
        if (!through(route, path, options))
            continue;
        std::atomic<bool> interrupted = false;
        options.readAt = [&interrupted](int fd, void* buffer, std::size_t size, off_t offset) -> ssize_t {
            if (!interrupted.exchange(true)) {
                errno = EINTR;
                return -1;
            }
            return ::pread(fd, buffer, size, offset);
        };
        FrequencyState state;
        EXPECT_EQ(readSourceFile(path, state, options).status, ReadStatus::Counted) << nameOf(route);
        EXPECT_EQ(state.totalChars, 64 * 1024 + 3) << nameOf(route);
    }
}

// Counts of any size: 64-bit counts past 4 GiB of one value (holes count as
// zeros, so the file takes no space), a file past the source limit counted
// to its end, and a limit of the caller's own.
TEST_F(SourceFileTest, CountSourceFileCountsAnySizeUpToTheLimitGiven)
{
    constexpr std::int64_t kMiB = 1 << 20;
    constexpr std::int64_t kGiB = kMiB << 10;
    struct Case {
        const char* name;
        std::int64_t size;
        std::vector<Piece> pieces;
        std::int64_t limit;
        std::int64_t total;
        ReadStatus status;
    };
    const Case cases[] = {
        {"past 4 GiB", 4 * kGiB + 5 * kMiB + 1, {{off_t(4 * kGiB + kMiB), 3000, 'A'}}, -1,
         4 * kGiB + 5 * kMiB + 1, ReadStatus::Counted},
        {"past the source limit", kSourceLimit + 64 * kMiB, {{off_t(kSourceLimit) + 32 * kMiB, 10, 'B'}}, -1,
         kSourceLimit + 64 * kMiB, ReadStatus::Counted},
        {"limit inside data", 3 * kMiB, {{0, 3 * kMiB, 'C'}}, kMiB + 7, kMiB + 7, ReadStatus::LimitReached},
        {"limit at the end", 5000, {{0, 5000, 'D'}}, 5000, 5000, ReadStatus::LimitReached},
        {"limit past the end", 5000, {{0, 5000, 'E'}}, 5001, 5000, ReadStatus::Counted},
        {"limit of none", 5000, {{0, 5000, 'F'}}, 0, 0, ReadStatus::LimitReached},
    };
    for (const Case& c : cases) {
        const std::string path = sparse(".hidden", c.size, c.pieces);
        for (const int workers : {0, 2}) {
            ReadOptions options;
            options.workers = workers;
            options.limit = c.limit;
            SourceCount count;
            count.total = 99; // replaced, not added to
            const ReadOutcome outcome = countSourceFile(path, count, options);
            EXPECT_EQ(outcome.status, c.status) << c.name;
            EXPECT_EQ(outcome.bytesRead, c.total) << c.name;
            EXPECT_EQ(count.total, c.total) << c.name;
            std::int64_t data = 0;
            for (const Piece& piece : c.pieces) {
                const auto counted = std::clamp<std::int64_t>(c.total - piece.offset, 0, piece.length);
                EXPECT_EQ(count.counts[static_cast<unsigned char>(piece.value)], std::uint64_t(counted)) << c.name;
                data += counted;
            }
            EXPECT_EQ(count.counts[0], std::uint64_t(c.total - data)) << c.name;
        }
        fs::remove(path);
    }
}

TEST_F(SourceFileTest, CountSourceFileFailsOnWhatIsNotARegularFile)
{
    fs::create_directory(dir / "folder");
    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
    const std::pair<std::string, int> cases[] = {
        {(dir / "folder").string(), EISDIR},
        {(dir / "nothing").string(), ENOENT},
        {(dir / "fifo").string(), EINVAL},
        {"/dev/null", EINVAL},
    };
    for (const auto& [path, error] : cases) {
        SourceCount count;
        const auto started = std::chrono::steady_clock::now();
        const ReadOutcome outcome = countSourceFile(path, count);
        EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5)) << path;
        EXPECT_EQ(outcome.status, ReadStatus::ReadFailed) << path;
        EXPECT_EQ(outcome.error, error) << path;
    }
}

// A pipe fed by another thread in uneven pieces: counted to its end or to
// the limit, and not a byte past the limit taken from it.
TEST_F(SourceFileTest, CountStreamCountsWhatAPipeGives)
{
    struct Case {
        const char* name;
        std::size_t size;
        std::int64_t limit;
        std::size_t blockSize;
        ReadStatus status;
    };
    const Case cases[] = {
        {"empty", 0, -1, 1 << 20, ReadStatus::Counted},
        {"one byte", 1, -1, 1 << 20, ReadStatus::Counted},
        {"many blocks", (5 << 20) + 77, -1, 1 << 16, ReadStatus::Counted},
        {"limit inside", (3 << 20) + 5, (1 << 20) + 3, 1 << 16, ReadStatus::LimitReached},
        {"limit at the end", 70'000, 70'000, 4096, ReadStatus::LimitReached},
        {"limit past the end", 70'000, 70'001, 4096, ReadStatus::Counted},
    };
    for (const Case& c : cases) {
        std::string bytes(c.size, '\0');
        for (std::size_t i = 0; i < c.size; ++i)
            bytes[i] = static_cast<char>(i * 7 % 251);
        int ends[2];
        ASSERT_EQ(::pipe(ends), 0);
        std::jthread feeder([&bytes, in = ends[1]] {
            for (std::size_t done = 0, piece = 1; done < bytes.size(); done += piece, piece = piece * 3 + 11) {
                piece = std::min(piece, bytes.size() - done);
                ASSERT_EQ(::write(in, bytes.data() + done, piece), ssize_t(piece));
            }
            ::close(in);
        });
        ReadOptions options;
        options.limit = c.limit;
        options.blockSize = c.blockSize;
        RecordingObserver observer;
        options.observer = &observer;
        SourceCount count;
        const ReadOutcome outcome = countStream(ends[0], count, options);
        const auto counted = c.limit < 0 ? c.size : std::min<std::size_t>(c.size, std::size_t(c.limit));
        std::string rest;
        char buffer[4096];
        for (ssize_t got; (got = ::read(ends[0], buffer, sizeof buffer)) > 0;)
            rest.append(buffer, std::size_t(got));
        feeder.join();
        ::close(ends[0]);
        EXPECT_EQ(outcome.status, c.status) << c.name;
        EXPECT_EQ(count.total, std::int64_t(counted)) << c.name;
        EXPECT_EQ(count.counts, countsOf(bytes.substr(0, counted))) << c.name;
        EXPECT_EQ(rest, bytes.substr(counted)) << c.name << ": bytes past the limit were taken";
        EXPECT_EQ(observer.coveredUpTo(), std::int64_t(counted)) << c.name;
        EXPECT_EQ(observer.counts(), count.counts) << c.name;
    }
}

TEST_F(SourceFileTest, CountStreamEndsOnAStopAndOnAReadFailure)
{
    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    ASSERT_EQ(::write(ends[1], "abc", 3), 3);
    std::atomic<bool> stop = false;
    std::jthread stopper([&stop] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        stop = true;
    });
    ReadOptions options;
    options.stop = &stop;
    SourceCount count;
    // Nothing more comes and the pipe stays open: only the stop ends it.
    EXPECT_EQ(countStream(ends[0], count, options).status, ReadStatus::Stopped);
    EXPECT_EQ(count.total, 0);
    ::close(ends[0]);
    ::close(ends[1]);

    const int folder = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY);
    const ReadOutcome outcome = countStream(folder, count);
    ::close(folder);
    EXPECT_EQ(outcome.status, ReadStatus::ReadFailed);
    EXPECT_EQ(outcome.error, EISDIR);
}

// Whichever way its bytes come in, an observer is shown every stretch of the
// count once, with the bytes that were counted. (Counted in place: see also
// the test of countInPlace.)
TEST_F(SourceFileTest, ObserverSeesEveryStretchCountedOnceOnEveryRoute)
{
    constexpr std::int64_t kMiB = 1 << 20;
    std::string bytes(24 * kMiB + 123, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>(i * 13 % 253);
    enum class Kind { InPlace, Buffered, Direct, Holes, Grown };
    struct Case {
        const char* name;
        Kind kind;
        int workers;
    };
    const Case cases[] = {
        {"cached", Kind::InPlace, 2}, {"buffered", Kind::Buffered, 2}, {"direct", Kind::Direct, 2},
        {"holes", Kind::Holes, 2},      {"grown past its size", Kind::Grown, 0},
    };
    for (const Case& c : cases) {
        std::string path = write("data", bytes);
        std::string expected = bytes;
        ReadOptions options;
        options.workers = c.workers;
        switch (c.kind) {
        case Kind::InPlace:
        case Kind::Buffered:
            through(c.kind == Kind::InPlace ? Route::InPlace : Route::Buffered, path, options);
            break;
        case Kind::Direct:
            if (!through(Route::Direct, path, options))
                continue;
            break;
        case Kind::Holes:
            path = sparse("sparse", 64 * kMiB, {{5, 3000, 'A'}, {40 * kMiB + 1, kMiB, 'B'}});
            expected = std::string(64 * kMiB, '\0');
            expected.replace(5, 3000, 3000, 'A');
            expected.replace(40 * kMiB + 1, kMiB, kMiB, 'B');
            break;
        case Kind::Grown: {
            through(Route::Buffered, path, options);
            const std::string more(kMiB + 3, 'G');
            expected += more;
            options.readAt = [path, more, grown = false](int fd, void* buffer, std::size_t size,
                                                         off_t offset) mutable {
                if (!std::exchange(grown, true))
                    std::ofstream(path, std::ios::binary | std::ios::app) << more;
                return ::pread(fd, buffer, size, offset);
            };
            break;
        }
        }
        RecordingObserver observer;
        options.observer = &observer;
        SourceCount count;
        const ReadOutcome outcome = countSourceFile(path, count, options);
        EXPECT_EQ(outcome.status, ReadStatus::Counted) << c.name;
        EXPECT_EQ(count.total, std::int64_t(expected.size())) << c.name;
        EXPECT_EQ(count.counts, countsOf(expected)) << c.name;
        EXPECT_EQ(observer.coveredUpTo(), count.total) << c.name;
        EXPECT_EQ(observer.counts(), count.counts) << c.name;
        EXPECT_EQ(observer.restarts(), 0) << c.name;
        const RouteBytes& routes = outcome.routes;
        const std::int64_t taken = c.kind == Kind::InPlace ? routes[Route::InPlace] + routes[Route::Copied]
                                   : c.kind == Kind::Direct ? routes[Route::Direct]
                                   : c.kind == Kind::Holes  ? routes[Route::Hole]
                                                            : throughTheCache(routes);
        EXPECT_GT(taken, count.total / 2) << c.name << ": not the route meant";
        EXPECT_EQ(std::accumulate(routes.values.begin(), routes.values.end(), std::int64_t{0}), count.total)
            << c.name << ": bytes tallied on no route or on two";
        if (c.kind == Kind::Holes) {
            EXPECT_EQ(observer.holes(), routes[Route::Hole]);
        }
        fs::remove(path);
    }
}

// Root reads any file, so as root the check runs in a child that has given
// its privileges up.
TEST_F(SourceFileTest, UnreadableFileIsAFailureNotAMissingSource)
{
    const std::string path = write("locked", "secret");
    ::chmod(dir.c_str(), 0755);
    ::chmod(path.c_str(), 0);
    const auto check = [&path] {
        FrequencyState state;
        const ReadOutcome outcome = readSourceFile(path, state);
        return outcome.status == ReadStatus::ReadFailed && outcome.error == EACCES &&
               state.totalChars == 0;
    };
    if (::geteuid() != 0) {
        EXPECT_TRUE(check());
        return;
    }
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const bool dropped = ::setgid(65534) == 0 && ::setuid(65534) == 0;
        ::_exit(dropped ? (check() ? 0 : 1) : 2);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == 2)
        GTEST_SKIP() << "could not give up root";
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

} // namespace
