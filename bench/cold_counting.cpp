// Measures the counting engine on files that are not in the page cache,
// against the disk read alone (dd with direct reads of 4 MiB) and against
// cat, which reads through the cache: wall time and processor seconds per
// GB. Each file is dropped from the cache before every run; the runs of the
// three take turns, and every ratio compares figures of the same round.
#include "bench_support.h"
#include "source_file.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kDataSetSize = 2'000'000'000;
constexpr int kRounds = 5;

struct Measure {
    std::vector<double> wall;
    std::vector<double> cpu;
    double best() const { return *std::min_element(wall.begin(), wall.end()); }
};

struct ColdSet {
    const char* name;
    Source source;
    std::string path;
    Measure engine, dd, cat;
    RouteBytes routes;
    bool exact = true;
};

std::pair<double, double> rangeOf(const std::vector<double>& values)
{
    const auto [low, high] = std::minmax_element(values.begin(), values.end());
    return {*low, *high};
}

} // namespace

int runColdBench(const BenchChoice& choice)
{
    const int rounds = choice.rounds > 0 ? choice.rounds : kRounds;
    // A disk, not a memory file system, on Debian.
    benchFolder = fs::path("/var/tmp") / ("tallivor-cold-bench-" + std::to_string(::getpid()));
    fs::create_directories(benchFolder);
    std::vector<ColdSet> sets;
    if (choice.wants(choice.dataSets, "random"))
        sets.push_back({"random", randomBytes(), {}, {}, {}, {}, {}});
    if (choice.wants(choice.dataSets, "text"))
        sets.push_back({"text", filesOf("/usr/share/common-licenses"), {}, {}, {}, {}, {}});
    if (sets.empty())
        return 0;
    std::printf("\ncold: %zu-byte data sets in %s, %d rounds; load average %.2f\n", kDataSetSize,
                benchFolder.c_str(), rounds, loadAverage());
    for (ColdSet& set : sets) {
        set.path = (benchFolder / set.name).string();
        writeDataSet(set.path, set.source, kDataSetSize);
    }
    if (!dropFromCache(sets.front().path)) {
        std::printf("cold: skipped, the data sets could not be dropped from the page cache "
                    "(dropping the whole cache needs root)\n");
        fs::remove_all(benchFolder);
        return 0;
    }

    const double gb = kDataSetSize / 1e9;
    for (int round = 0; round < rounds; ++round) {
        for (ColdSet& set : sets) {
            const auto timeChild = [&](Measure& measure, const std::vector<std::string>& command) {
                if (!dropFromCache(set.path))
                    fail("drop from the page cache");
                const double cpuBefore = childCpuSeconds();
                measure.wall.push_back(seconds([&] { run(command); }));
                measure.cpu.push_back((childCpuSeconds() - cpuBefore) / gb);
            };
            timeChild(set.dd, {"dd", "if=" + set.path, "of=/dev/null", "iflag=direct", "bs=4M"});
            if (!dropFromCache(set.path))
                fail("drop from the page cache");
            FrequencyState state;
            ReadOutcome outcome;
            const double cpuBefore = cpuSeconds();
            set.engine.wall.push_back(seconds([&] { outcome = readSourceFile(set.path, state); }));
            set.engine.cpu.push_back((cpuSeconds() - cpuBefore) / gb);
            set.routes = outcome.routes;
            set.exact = set.exact && outcome.status == ReadStatus::Counted &&
                        state.totalChars == std::int32_t(kDataSetSize);
            timeChild(set.cat, {"cat", set.path});
        }
    }

    for (const ColdSet& set : sets) {
        // Same-round ratios: dd's time over the engine's.
        std::vector<double> ratios;
        for (int round = 0; round < rounds; ++round)
            ratios.push_back(set.dd.wall[round] / set.engine.wall[round]);
        const auto [low, high] = rangeOf(ratios);
        const auto [fast, slow] = rangeOf(set.engine.wall);
        std::printf("cold %-6s engine/dd %.2f (rounds %.2f-%.2f)   engine %.2f GB/s (%.2f-%.2f s), "
                    "%.2f CPU s/GB; %.0f%% read past the cache%s\n",
                    set.name, set.dd.best() / set.engine.best(), low, high, gb / set.engine.best(), fast, slow,
                    *std::min_element(set.engine.cpu.begin(), set.engine.cpu.end()),
                    100.0 * set.routes[Route::Direct] / kDataSetSize, set.exact ? "" : ", WRONG TOTAL");
        std::printf("cold %-6s dd iflag=direct bs=4M %.2f GB/s, %.2f CPU s/GB; cat %.2f GB/s, %.2f CPU s/GB "
                    "(engine/cat %.2f)\n",
                    set.name, gb / set.dd.best(), *std::min_element(set.dd.cpu.begin(), set.dd.cpu.end()),
                    gb / set.cat.best(), *std::min_element(set.cat.cpu.begin(), set.cat.cpu.end()),
                    set.cat.best() / set.engine.best());
    }
    std::printf("cold: load average %.2f\n", loadAverage());
    fs::remove_all(benchFolder);
    const bool exact = std::all_of(sets.begin(), sets.end(), [](const ColdSet& set) { return set.exact; });
    return exact ? 0 : 1;
}
