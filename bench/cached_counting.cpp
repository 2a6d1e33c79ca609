// Measures how fast the counting engine counts files in each of the states
// in which a user meets them in the page cache (read in, written with small
// writes, copied, on tmpfs, half evicted, cold), on several kinds of data,
// against a plain one-thread loop over the same file in the same state and
// against reading the file alone, every thread of the engine doing nothing
// but read: mapped where it lies, or copied out with pread, whichever is
// faster there. The rounds take turns, the state is put back before every
// run that a read changes, and every figure is the best of the rounds, so
// that a busy neighbour on a shared machine slows all of them alike and the
// ratios stay fair.
#include "bench_support.h"
#include "cache_states.h"
#include "count_kernel.h"
#include "source_file.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <memory>
#include <string>
#include <sys/mman.h>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kMiB = 1 << 20;
constexpr std::size_t kDataSetSize = 512 * kMiB;
constexpr std::size_t kBlock = kMiB;
constexpr std::size_t kMemorySample = 8 * kMiB; // what the kernel counts in memory
constexpr int kMemoryPasses = 32;
constexpr off_t kSparseSize = off_t{kSourceLimit} + 1;
constexpr int kRounds = 7;
constexpr std::size_t kReadWindow = 16 * kMiB;
constexpr std::size_t kCopyPiece = 256 << 10;

using Table32 = std::array<std::uint32_t, 256>;

std::vector<unsigned char> firstBytes(const std::string& path, std::size_t size)
{
    std::vector<unsigned char> bytes(size);
    const int fd = ::open(path.c_str(), O_RDONLY);
    if (fd < 0 || ::read(fd, bytes.data(), size) != ssize_t(size))
        fail(path.c_str());
    ::close(fd);
    return bytes;
}

// One add per byte into a 256-entry table, its address independent of any
// data: the most a single core can store, whatever the kernel.
void storeCeiling(std::size_t bytes, Table32& table)
{
    for (std::size_t i = 0; i < bytes; i += 256)
#pragma GCC unroll 16
        for (auto& counter : table) {
            counter++;
            asm volatile("" : : "r"(&counter) : "memory"); // one store each, no vectors
        }
}

void countInMemory(const std::vector<unsigned char>& bytes)
{
    ByteCounter counter;
    for (int pass = 0; pass < kMemoryPasses; ++pass)
        for (std::size_t at = 0; at < bytes.size(); at += kBlock)
            counter.add(bytes.data() + at, std::min(kBlock, bytes.size() - at));
    if (counter.counts()[0] == 1)
        std::puts(""); // keeps the count
}

// The simplest way to count a file: read a block, count it, on one thread.
void countNaively(const std::string& path)
{
    std::vector<unsigned char> buffer(kBlock);
    Table32 counts{};
    const int fd = ::open(path.c_str(), O_RDONLY);
    ssize_t got = 0;
    while ((got = ::read(fd, buffer.data(), buffer.size())) > 0)
        for (ssize_t i = 0; i < got; ++i)
            counts[buffer[std::size_t(i)]]++;
    ::close(fd);
    if (counts[0] == 1)
        std::puts("");
}

// Runs read(fd, offset, length) for windows of the file that every thread
// of the engine claims in turn.
template <typename Read>
void onEngineThreads(const std::string& path, Read read)
{
    const int fd = ::open(path.c_str(), O_RDONLY);
    if (fd < 0)
        fail(path.c_str());
    const auto size = static_cast<std::size_t>(::lseek(fd, 0, SEEK_END));
    std::atomic<std::size_t> next = 0;
    const auto readWindows = [&] {
        for (std::size_t at; (at = next.fetch_add(kReadWindow)) < size;)
            read(fd, at, std::min(kReadWindow, size - at));
    };
    std::vector<std::thread> threads(std::size_t(ReadOptions::defaultWorkers()));
    for (std::thread& thread : threads)
        thread = std::thread(readWindows);
    readWindows();
    for (std::thread& thread : threads)
        thread.join();
    ::close(fd);
}

std::atomic<std::uint64_t> seen = 0; // keeps the reads

// Reading alone, where the file lies: what no count in place can beat.
void readMapped(const std::string& path)
{
    onEngineThreads(path, [](int fd, std::size_t at, std::size_t length) {
        void* map = ::mmap(nullptr, length, PROT_READ, MAP_SHARED, fd, off_t(at));
        if (map == MAP_FAILED)
            fail("mmap");
        const auto* words = static_cast<const std::uint64_t*>(map);
        std::uint64_t any = 0;
        for (std::size_t i = 0; i + 8 <= length / sizeof *words; i += 8)
#pragma GCC unroll 8
            for (std::size_t k = 0; k < 8; ++k)
                any |= words[i + k];
        seen |= any;
        ::munmap(map, length);
    });
}

// Reading alone, copied out of the cache in pieces that the second-level
// cache holds: what no count of copies can beat.
void readCopied(const std::string& path)
{
    onEngineThreads(path, [](int fd, std::size_t at, std::size_t length) {
        thread_local const std::unique_ptr<unsigned char[]> piece(new unsigned char[kCopyPiece]);
        for (std::size_t done = 0; done < length;) {
            const ssize_t got = ::pread(fd, piece.get(), std::min(kCopyPiece, length - done), off_t(at + done));
            if (got <= 0)
                fail("pread");
            seen |= piece[0];
            done += std::size_t(got);
        }
    });
}

// The disk alone, in requests as large as dd is given.
void readDirect(const std::string& path)
{
    run({"dd", "if=" + path, "of=/dev/null", "iflag=direct", "bs=4M"});
}

bool isCold(const CacheState& state)
{
    return std::string(state.key) == "cold";
}

struct DataSet {
    const char* name;
    Source source;
    std::string path;
};

// The best rates, in GB/s, of one data set in one state.
struct Figures {
    double naive = 0;
    double engine = 0;
    double mapped = 0; // reading alone, mapped; for a cold file, dd iflag=direct
    double copied = 0; // reading alone, copied out (for a cold file, read through the cache)
    bool cold = false;
    double engineCores = 0;
    double footprint = 0; // the peak resident MiB of a process that counts the file alone
    RouteBytes routes;
    bool exact = true;
    // What the engine is held against: the faster way of reading alone; for
    // a cold file, the disk read past the cache, as the engine reads it.
    double reading() const { return cold ? mapped : std::max(mapped, copied); }
};

void keepBest(double& record, double rate)
{
    record = std::max(record, rate);
}

double rateOf(const std::function<void()>& work)
{
    return kDataSetSize / 1e9 / seconds(work);
}

const char* percentOf(std::int64_t part, char* text)
{
    std::snprintf(text, 16, "%.0f%%", 100.0 * double(part) / double(kDataSetSize));
    return text;
}

void printFigures(const DataSet& set, const Figures& f, bool cold)
{
    char a[16], b[16], c[16], d[16];
    std::printf("  %-6s engine/naive %5.2f  engine/reading %4.2f   engine %6.2f GB/s (%.1f cores), naive %5.2f GB/s, "
                "reading alone %6.2f GB/s (%s %.2f, %s %.2f)   routes: %s in place, %s copied, %s direct, %s "
                "through the cache; peak RSS counting alone %.1f MiB%s\n",
                set.name, f.engine / f.naive, f.engine / f.reading(), f.engine, f.engineCores, f.naive, f.reading(),
                cold ? "dd direct" : "mapped", f.mapped, cold ? "through the cache" : "copied", f.copied,
                percentOf(f.routes[Route::InPlace], a), percentOf(f.routes[Route::Copied], b),
                percentOf(f.routes[Route::Direct], c), percentOf(f.routes[Route::Buffered], d), f.footprint,
                f.exact ? "" : ", WRONG COUNTS");
}

// Measures every data set in one state, the rounds taking turns.
std::vector<Figures> measureState(const CacheState& state, std::vector<DataSet>& sets, int rounds)
{
    std::vector<std::string> paths;
    for (DataSet& set : sets)
        paths.push_back(prepareState(state, set.path));
    std::vector<Figures> figures(sets.size());
    for (Figures& f : figures)
        f.cold = isCold(state);
    for (int round = 0; round < rounds; ++round) {
        for (std::size_t i = 0; i < sets.size(); ++i) {
            const std::string& path = paths[i];
            Figures& f = figures[i];
            restoreState(state, path);
            keepBest(f.naive, rateOf([&] { countNaively(path); }));
            restoreState(state, path);
            FrequencyState count;
            ReadOutcome outcome;
            const double cpuBefore = cpuSeconds();
            const double wall = seconds([&] { outcome = readSourceFile(path, count); });
            f.exact = f.exact && outcome.status == ReadStatus::Counted && count.totalChars == std::int32_t(kDataSetSize);
            if (kDataSetSize / 1e9 / wall > f.engine) {
                f.engineCores = (cpuSeconds() - cpuBefore) / wall;
                f.routes = outcome.routes;
            }
            keepBest(f.engine, kDataSetSize / 1e9 / wall);
            restoreState(state, path);
            keepBest(f.mapped, rateOf([&] { isCold(state) ? readDirect(path) : readMapped(path); }));
            restoreState(state, path);
            keepBest(f.copied, rateOf([&] { readCopied(path); }));
        }
    }
    for (std::size_t i = 0; i < sets.size(); ++i) {
        restoreState(state, paths[i]);
        figures[i].footprint = std::stod(outputOf({"/proc/self/exe", "--count", paths[i]}));
        removeState(state, sets[i].path, paths[i]);
    }
    return figures;
}

} // namespace

int runCachedBench(const BenchChoice& choice)
{
    const int rounds = choice.rounds > 0 ? choice.rounds : kRounds;
    // A disk, not a memory file system, on Debian.
    benchFolder = fs::path("/var/tmp") / ("tallivor-bench-" + std::to_string(::getpid()));
    const fs::path& dir = benchFolder;
    fs::create_directories(dir);
    std::vector<DataSet> sets;
    const DataSet all[] = {
        {"random", randomBytes(), {}},
        {"text", filesOf("/usr/share/common-licenses"), {}},
        {"zeros", zeros(), {}},
        {"binary", filesOf("/usr/bin"), {}},
    };
    for (const DataSet& set : all)
        if (choice.wants(choice.dataSets, set.name))
            sets.push_back(set);
    std::printf("cached: %zu MiB data sets in %s, best of %d rounds; load average %.2f\n", kDataSetSize / kMiB,
                dir.c_str(), rounds, loadAverage());
    for (DataSet& set : sets) {
        set.path = (dir / set.name).string();
        writeDataSet(set.path, set.source, kDataSetSize);
    }

    // The kernel alone, in memory, against what one core can store.
    double ceiling = 0;
    std::vector<double> kernel(sets.size());
    const double memoryBytes = double(kMemorySample) * kMemoryPasses;
    for (int round = 0; round < rounds; ++round) {
        Table32 table{};
        keepBest(ceiling, memoryBytes / 1e9 / seconds([&] { storeCeiling(std::size_t(memoryBytes), table); }));
        for (std::size_t i = 0; i < sets.size(); ++i) {
            const auto sample = firstBytes(sets[i].path, kMemorySample);
            keepBest(kernel[i], memoryBytes / 1e9 / seconds([&] { countInMemory(sample); }));
        }
    }
    std::printf("store ceiling, one add per byte, one core %.2f GB/s; kernel in memory:", ceiling);
    for (std::size_t i = 0; i < sets.size(); ++i)
        std::printf(" %s %.2f GB/s (%.2f of it)", sets[i].name, kernel[i], kernel[i] / ceiling);
    std::printf("\n");

    bool exact = true;
    std::vector<std::pair<const CacheState*, std::vector<Figures>>> results;
    for (const CacheState& state : cacheStates()) {
        if (!choice.wants(choice.states, state.key))
            continue;
        std::printf("%s (load average %.2f):\n", state.title, loadAverage());
        std::fflush(stdout);
        const std::vector<Figures> figures = measureState(state, sets, rounds);
        for (std::size_t i = 0; i < sets.size(); ++i) {
            printFigures(sets[i], figures[i], isCold(state));
            exact = exact && figures[i].exact;
        }
        results.emplace_back(&state, figures);
    }

    std::printf("engine/naive, and in brackets engine/reading alone (cold: engine/dd):\n  %-13s", "");
    for (const DataSet& set : sets)
        std::printf(" %-14s", set.name);
    std::printf("\n");
    for (const auto& [state, figures] : results) {
        std::printf("  %-13s", state->key);
        for (const Figures& f : figures)
            std::printf(" %5.2f (%4.2f)   ", f.engine / f.naive, f.engine / f.reading());
        std::printf("\n");
    }

    const std::string sparse = (dir / "sparse").string();
    const int sparseFd = ::open(sparse.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (sparseFd < 0 || ::ftruncate(sparseFd, kSparseSize) != 0)
        fail(sparse.c_str());
    ::close(sparseFd);
    std::vector<double> sparseSeconds; // the first count, then the next ones
    bool sparseExact = true;
    for (int round = 0; round < rounds; ++round) {
        FrequencyState state;
        ReadOutcome outcome;
        sparseSeconds.push_back(seconds([&] { outcome = readSourceFile(sparse, state); }));
        sparseExact = sparseExact && outcome.status == ReadStatus::LimitReached &&
                      state.totalChars == kSourceLimit && state.charCounts[0] == kSourceLimit;
    }
    std::printf("sparse %lld-byte file: %.4f s (first count %.4f s), %s\n", static_cast<long long>(kSparseSize),
                *std::min_element(sparseSeconds.begin(), sparseSeconds.end()), sparseSeconds.front(),
                sparseExact ? "exact, limit reached" : "WRONG COUNTS");
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    std::printf("peak RSS %.1f MiB; load average %.2f\n", usage.ru_maxrss / 1024.0, loadAverage());
    fs::remove_all(dir);
    return sparseExact && exact ? 0 : 1;
}
