#include "source_file.h"

#include "count_kernel.h"

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
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct Piece {
    off_t offset;
    std::size_t length;
    char value;
};

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

TEST_F(SourceFileTest, MatchesTheReferenceLoopForAwkwardSizesAndWorkerCounts)
{
    std::mt19937 generator(11);
    for (const std::size_t size : {std::size_t{1}, std::size_t{4095}, std::size_t{4096},
                                   std::size_t{4097}, std::size_t{5 * 4096 + 13}}) {
        std::string bytes(size, '\0');
        for (auto& b : bytes)
            b = static_cast<char>(generator());
        const std::string path = write("random", bytes);
        ByteCounts expected{};
        countBytesReference(reinterpret_cast<const unsigned char*>(bytes.data()), size, expected);
        for (const int workers : {0, 1, 3}) {
            FrequencyState state;
            ReadOptions options;
            options.workers = workers;
            options.blockSize = 4096;
            ASSERT_EQ(readSourceFile(path, state, options).status, ReadStatus::Counted);
            EXPECT_EQ(state.totalChars, static_cast<std::int32_t>(size));
            for (int v = 0; v < 256; ++v)
                ASSERT_EQ(static_cast<std::uint32_t>(state.charCounts[v]), expected[v])
                    << "size " << size << " workers " << workers << " value " << v;
        }
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
            std::int64_t readBytes = 0;
            ReadOptions options;
            options.workers = workers;
            options.readBlock = [&readBytes](int fd, void* buffer, std::size_t size) {
                const ssize_t got = ::read(fd, buffer, size);
                readBytes += std::max<ssize_t>(got, 0);
                return got;
            };
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
                EXPECT_LT(readBytes, 16 * kMiB) << c.name << ": holes were read";
            }
        }
        fs::remove(path);
    }
}

// A file cut short after its first block was read: the count is what was
// there when each part was looked at, never zeros past the new end.
TEST_F(SourceFileTest, FileCutShortWhileCountedGivesTheCountsOfWhatWasThere)
{
    constexpr off_t kMiB = 1 << 20;
    const std::string path = sparse("shrinking", 64 * kMiB, {{0, kMiB, 'A'}, {32 * kMiB, 4096, 'B'}});
    ReadOptions options;
    options.readBlock = [&path](int fd, void* buffer, std::size_t size) {
        const ssize_t got = ::read(fd, buffer, size);
        EXPECT_EQ(::truncate(path.c_str(), 8 * kMiB), 0);
        return got;
    };
    FrequencyState state;
    EXPECT_EQ(readSourceFile(path, state, options).status, ReadStatus::Counted);
    EXPECT_EQ(state.totalChars, 8 * kMiB);
    EXPECT_EQ(state.charCounts['A'], kMiB);
    EXPECT_EQ(state.charCounts['B'], 0);
    EXPECT_EQ(state.charCounts[0], 7 * kMiB);
}

TEST_F(SourceFileTest, ReadErrorZeroesTheCountsAndGivesTheReason)
{
    const std::string path = write("data", std::string(10'000, 'z'));
    int calls = 0;
    ReadOptions options;
    options.blockSize = 4096;
    options.readBlock = [&calls](int fd, void* buffer, std::size_t size) -> ssize_t {
        if (++calls == 3) {
            errno = EIO;
            return -1;
        }
        return ::read(fd, buffer, size);
    };
    FrequencyState state;
    const ReadOutcome outcome = readSourceFile(path, state, options);
    EXPECT_EQ(outcome.status, ReadStatus::ReadFailed);
    EXPECT_EQ(outcome.reason, "Input/output error");
    EXPECT_EQ(outcome.bytesRead, 8192);
    EXPECT_EQ(state.totalChars, 0);
    EXPECT_EQ(state.charCounts['z'], 0);
}

TEST_F(SourceFileTest, StopRequestEndsTheCountBeforeTheNextBlockWithZeroCounts)
{
    const std::string path = write("data", std::string(10 * 4096, 'z'));
    for (const int workers : {0, 2}) {
        std::atomic<bool> stop = false;
        int calls = 0;
        ReadOptions options;
        options.workers = workers;
        options.blockSize = 4096;
        options.stop = &stop;
        options.readBlock = [&](int fd, void* buffer, std::size_t size) -> ssize_t {
            if (++calls == 3)
                stop = true;
            return ::read(fd, buffer, size);
        };
        FrequencyState state;
        EXPECT_EQ(readSourceFile(path, state, options).status, ReadStatus::Stopped) << workers;
        EXPECT_EQ(calls, 3) << workers;
        EXPECT_EQ(state.totalChars, 0) << workers;
        EXPECT_EQ(state.charCounts['z'], 0) << workers;
    }
}

TEST_F(SourceFileTest, InterruptedReadsAreRetried)
{
    const std::string path = write("data", "abc");
    bool interrupted = false;
    ReadOptions options;
    options.readBlock = [&interrupted](int fd, void* buffer, std::size_t size) -> ssize_t {
        if (!interrupted) {
            interrupted = true;
            errno = EINTR;
            return -1;
        }
        return ::read(fd, buffer, size);
    };
    FrequencyState state;
    EXPECT_EQ(readSourceFile(path, state, options).status, ReadStatus::Counted);
    EXPECT_EQ(state.totalChars, 3);
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
        return outcome.status == ReadStatus::ReadFailed && outcome.reason == "Permission denied" &&
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
