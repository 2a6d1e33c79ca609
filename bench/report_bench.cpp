// The headless report against the counting engine alone and against the
// peer `ent -c`, on one cached file of 2 GB. The report is the real program
// (`tallivor --report /dev/null FILE`), start-up and all; so the engine is
// measured as a program too (this one, run as `report_bench FILE`), beside
// its figure inside this process, which a fresh process does not reach.
// Rounds take turns
// and each figure is the best of them, so that a busy neighbour slows all
// alike. Processor seconds are given beside the wall-clock ones: on a
// shared machine they vary far less.
#include "source_file.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kFileSize = 2'000'000'000;
constexpr int kRounds = 7;

double seconds(const std::function<void()>& work)
{
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Text-like bytes with a long period, so neither tool meets one value only.
void writeFile(const fs::path& path)
{
    std::vector<char> block(1 << 20);
    std::uint32_t state = 12345;
    std::ofstream out(path, std::ios::binary);
    for (std::size_t written = 0; written < kFileSize; written += block.size()) {
        for (char& byte : block) {
            state = state * 1664525u + 1013904223u;
            byte = char(32 + (state >> 24) % 96);
        }
        out.write(block.data(), std::streamsize(std::min(block.size(), kFileSize - written)));
    }
}

double processorSeconds(int who)
{
    rusage usage{};
    ::getrusage(who, &usage);
    const auto time = [](const timeval& t) { return double(t.tv_sec) + double(t.tv_usec) * 1e-6; };
    return time(usage.ru_utime) + time(usage.ru_stime);
}

// Wall-clock and processor seconds of work, best of the rounds so far.
struct Timing {
    double wall = 1e9;
    double processor = 1e9;

    void measure(int who, const std::function<void()>& work)
    {
        const double before = processorSeconds(who);
        wall = std::min(wall, seconds(work));
        processor = std::min(processor, processorSeconds(who) - before);
    }
};

bool run(const std::string& command)
{
    return std::system(command.c_str()) == 0;
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc == 2) { // the engine alone, as a program of its own
        FrequencyState state;
        return readSourceFile(argv[1], state).status == ReadStatus::Counted ? 0 : 1;
    }
    const fs::path file = fs::temp_directory_path() / ("tallivor-report-bench-" + std::to_string(::getpid()));
    std::printf("writing a %zu-byte file %s\n", kFileSize, file.c_str());
    writeFile(file);
    const std::string report = std::string(TALLIVOR_PROGRAM) + " --report /dev/null " + file.string();
    const std::string engineProgram = std::string(argv[0]) + " " + file.string();
    const std::string ent = "ent -c " + file.string() + " > /dev/null";
    const bool haveEnt = run("command -v ent > /dev/null");
    run(report); // into the cache

    Timing inProcess, engine, headless, peer;
    bool ok = true;
    for (int round = 0; round < kRounds; ++round) {
        inProcess.measure(RUSAGE_SELF, [&] {
            FrequencyState state;
            ok = readSourceFile(file.string(), state).status == ReadStatus::Counted && ok;
        });
        engine.measure(RUSAGE_CHILDREN, [&] { ok = run(engineProgram) && ok; });
        headless.measure(RUSAGE_CHILDREN, [&] { ok = run(report) && ok; });
        if (haveEnt && round == 0) // ent reads about 90 MB/s: its variation hardly counts
            peer.measure(RUSAGE_CHILDREN, [&] { run(ent); });
    }
    const double gb = double(kFileSize) / 1e9;
    const auto line = [gb](const char* name, const Timing& timing, const Timing& base) {
        std::printf("%-18s %6.2f s %5.2f GB/s %5.2fx   processor %6.2f s %5.2fx\n", name, timing.wall,
                    gb / timing.wall, timing.wall / base.wall, timing.processor,
                    timing.processor / base.processor);
    };
    std::printf("%-18s %6s   %10s %6s   %9s %6s %6s\n", "", "wall", "", "/engine", "", "", "/engine");
    line("engine in-process", inProcess, engine);
    line("engine alone", engine, engine);
    line("tallivor --report", headless, engine);
    if (haveEnt)
        line("ent -c", peer, engine);
    else
        std::printf("ent -c            not installed\n");
    fs::remove(file);
    return ok ? 0 : 1;
}
