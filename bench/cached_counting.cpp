// Measures how fast the counting engine turns cached files into byte counts
// on five kinds of data, against a plain one-thread loop over the same files,
// against the store ceiling of one core and against reading the files alone.
// Every figure is the best of several rounds that take turns, so that a busy
// neighbour on a shared machine slows all of them alike and the ratios stay
// fair.
#include "bench_support.h"
#include "count_kernel.h"
#include "source_file.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
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
constexpr int kRounds = 9;

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
void storeCeiling(std::size_t bytes, std::array<std::uint32_t, 256>& table)
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
    WideCounts counts{};
    const int fd = ::open(path.c_str(), O_RDONLY);
    ssize_t got = 0;
    while ((got = ::read(fd, buffer.data(), buffer.size())) > 0)
        countBytesReference(buffer.data(), static_cast<std::size_t>(got), counts);
    ::close(fd);
    if (counts[0] == 1)
        std::puts("");
}

// Every thread the engine runs only reading the cached file where it lies,
// in windows as large as the engine's: what no count can beat, whatever its
// kernel, since every byte has to come from memory.
double readCeiling(const std::string& path)
{
    constexpr std::size_t kWindow = 16 * kMiB;
    const int fd = ::open(path.c_str(), O_RDONLY);
    if (fd < 0)
        fail(path.c_str());
    std::atomic<std::size_t> next = 0;
    std::atomic<std::uint64_t> seen = 0;
    const auto readWindows = [&] {
        for (std::size_t at; (at = next.fetch_add(kWindow)) < kDataSetSize;) {
            const std::size_t length = std::min(kWindow, kDataSetSize - at);
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
        }
    };
    const double wall = seconds([&] {
        std::vector<std::thread> threads(std::size_t(ReadOptions::defaultWorkers()));
        for (std::thread& thread : threads)
            thread = std::thread(readWindows);
        readWindows();
        for (std::thread& thread : threads)
            thread.join();
    });
    ::close(fd);
    if (seen == 1)
        std::puts(""); // keeps the reads
    return kDataSetSize / 1e9 / wall;
}

struct DataSet {
    const char* name;
    Source source;
    std::string path;
    double kernel = 0; // best rates in GB/s
    double naive = 0;
    double engine = 0;
    double ceiling = 0; // reading alone, every thread of the engine
    double engineCores = 0; // processor seconds over wall seconds in the best engine round
};

void keepBest(double& record, double rate)
{
    record = std::max(record, rate);
}

} // namespace

int runCachedBench()
{
    benchFolder = fs::temp_directory_path() / ("tallivor-bench-" + std::to_string(::getpid()));
    const fs::path& dir = benchFolder;
    fs::create_directories(dir);
    std::vector<DataSet> sets;
    sets.push_back({"random", randomBytes(), {}});
    sets.push_back({"text", filesOf("/usr/share/common-licenses"), {}});
    sets.push_back({"zeros", zeros(), {}});
    sets.push_back({"binary", filesOf("/usr/bin"), {}});
    std::printf("writing four %zu MiB data sets and a %lld-byte sparse file in %s\n",
                kDataSetSize / kMiB, static_cast<long long>(kSparseSize), dir.c_str());
    for (DataSet& set : sets) {
        set.path = (dir / set.name).string();
        writeDataSet(set.path, set.source, kDataSetSize);
        FrequencyState warm;
        readSourceFile(set.path, warm); // into the cache
    }
    const std::string sparse = (dir / "sparse").string();
    const int sparseFd = ::open(sparse.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (sparseFd < 0 || ::ftruncate(sparseFd, kSparseSize) != 0)
        fail(sparse.c_str());
    ::close(sparseFd);

    double ceiling = 0;
    std::vector<double> sparseSeconds; // the first count, then the next ones
    bool sparseExact = true;
    const double memoryBytes = double(kMemorySample) * kMemoryPasses;
    for (int round = 0; round < kRounds; ++round) {
        std::array<std::uint32_t, 256> table{};
        keepBest(ceiling, memoryBytes / 1e9 / seconds([&] { storeCeiling(std::size_t(memoryBytes), table); }));
        for (DataSet& set : sets) {
            const auto sample = firstBytes(set.path, kMemorySample);
            keepBest(set.kernel, memoryBytes / 1e9 / seconds([&] { countInMemory(sample); }));
            keepBest(set.naive, kDataSetSize / 1e9 / seconds([&] { countNaively(set.path); }));
            keepBest(set.ceiling, readCeiling(set.path));
            const double cpuBefore = cpuSeconds();
            const double wall = seconds([&] {
                FrequencyState state;
                readSourceFile(set.path, state);
            });
            if (kDataSetSize / 1e9 / wall > set.engine)
                set.engineCores = (cpuSeconds() - cpuBefore) / wall;
            keepBest(set.engine, kDataSetSize / 1e9 / wall);
        }
        FrequencyState state;
        ReadOutcome outcome;
        sparseSeconds.push_back(seconds([&] { outcome = readSourceFile(sparse, state); }));
        sparseExact = sparseExact && outcome.status == ReadStatus::LimitReached &&
                      state.totalChars == kSourceLimit && state.charCounts[0] == kSourceLimit;
    }

    std::printf("store ceiling, one add per byte, one core    %6.2f GB/s\n", ceiling);
    for (const DataSet& set : sets)
        std::printf("kernel/ceiling %-6s %5.2f   (kernel %5.2f GB/s in memory)\n", set.name,
                    set.kernel / ceiling, set.kernel);
    for (const DataSet& set : sets)
        std::printf("engine/naive   %-6s %5.2f   (engine %5.2f GB/s, %.1f cores busy; naive %5.2f GB/s)\n",
                    set.name, set.engine / set.naive, set.engine, set.engineCores, set.naive);
    for (const DataSet& set : sets)
        std::printf("engine/read    %-6s %5.2f   (reading alone %5.2f GB/s: engine/naive can reach %.1f at most)\n",
                    set.name, set.engine / set.ceiling, set.ceiling, set.ceiling / set.naive);
    std::printf("sparse %lld-byte file: %.4f s (first count %.4f s), %s\n",
                static_cast<long long>(kSparseSize),
                *std::min_element(sparseSeconds.begin(), sparseSeconds.end()), sparseSeconds.front(),
                sparseExact ? "exact, limit reached" : "WRONG COUNTS");
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    std::printf("peak RSS %.1f MiB\n", usage.ru_maxrss / 1024.0);
    fs::remove_all(dir);
    return sparseExact ? 0 : 1;
}
