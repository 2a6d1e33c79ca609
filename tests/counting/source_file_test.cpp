#include "source_file.h"

#include "count_kernel.h"
#include "direct_reading.h"
#include "page_cache.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
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

// The ways the bytes of a file can come in.
enum class Route {
    InPlace,  // cached, counted where they lie
    Buffered, // cached, read through the cache
    Direct,   // not cached, read past the cache
};

const char* nameOf(Route route)
{
    return route == Route::InPlace ? "in place" : route == Route::Buffered ? "buffered" : "direct";
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

    // Options that send the bytes of the file at path along `route`; for
    // Direct the file is dropped from the page cache first. False where the
    // route cannot be had here.
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
        ByteCounts expected{};
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
// it lies when wholly cached, read past the cache when mostly not, through
// the cache when dirty, so that a count neither reads a cached file from the
// disk again nor fills the cache with a cold one. Where the file system
// refuses direct reads (tmpfs), what is not counted in place is read through
// the cache.
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
    ByteCounts expected{};
    countBytesReference(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), expected);

    FrequencyState state;
    const ReadOutcome cold = readSourceFile(path, state);
    ASSERT_EQ(cold.status, ReadStatus::Counted);
    for (int v = 0; v < 256; ++v)
        ASSERT_EQ(static_cast<std::uint32_t>(state.charCounts[v]), expected[v]) << "value " << v;
    EXPECT_GE(cold.routes.direct, std::int64_t(bytes.size() - 8 * kMiB)) << "cold stretches were read through the cache";
    EXPECT_GE(cold.routes.buffered, std::int64_t(changed.size())) << "dirty pages were read past the cache";
    const int check = ::open(path.c_str(), O_RDONLY);
    EXPECT_LE(cacheResidency(check, 0, std::int64_t(bytes.size())).cached, std::int64_t(5 * kMiB / 4096))
        << "the count filled the cache";

    // Cached now: nothing is read from the disk again.
    std::vector<char> all(bytes.size());
    ASSERT_EQ(::pread(check, all.data(), all.size(), 0), ssize_t(all.size()));
    ::close(check);
    FrequencyState again;
    const ReadOutcome cached = readSourceFile(path, again);
    EXPECT_EQ(cached.routes.inPlace, std::int64_t(bytes.size()));
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
            EXPECT_EQ(outcome.routes.direct, 0);
            EXPECT_EQ(mapCached ? outcome.routes.inPlace : outcome.routes.buffered, std::int64_t(bytes.size()));
        }
        fs::remove(shm);
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
                EXPECT_LT(total - outcome.routes.holes, 16 * kMiB) << c.name << ": holes were read";
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
