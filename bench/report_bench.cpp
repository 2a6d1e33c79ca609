// The headless report against the counting engine alone and against the
// peer `ent -c`, on one cached file of 2 GB. The report is the real program
// (`tallivor --report /dev/null FILE`), start-up and all. Rounds take turns
// and each figure is the best of them, so that a busy neighbour slows all
// alike.
#include "source_file.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kFileSize = 2'000'000'000;
constexpr int kRounds = 3;

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

bool run(const std::string& command)
{
    return std::system(command.c_str()) == 0;
}

} // namespace

int main()
{
    const fs::path file = fs::temp_directory_path() / ("tallivor-report-bench-" + std::to_string(::getpid()));
    std::printf("writing a %zu-byte file %s\n", kFileSize, file.c_str());
    writeFile(file);
    const std::string report = std::string(TALLIVOR_PROGRAM) + " --report /dev/null " + file.string();
    const std::string ent = "ent -c " + file.string() + " > /dev/null";
    const bool haveEnt = run("command -v ent > /dev/null");
    run(report); // into the cache

    double engine = 1e9, headless = 1e9, peer = 1e9;
    bool ok = true;
    for (int round = 0; round < kRounds; ++round) {
        engine = std::min(engine, seconds([&] {
            FrequencyState state;
            ok = readSourceFile(file.string(), state).status == ReadStatus::Counted && ok;
        }));
        headless = std::min(headless, seconds([&] { ok = run(report) && ok; }));
        if (haveEnt && round < 2) // ent reads about 90 MB/s: two rounds are plenty
            peer = std::min(peer, seconds([&] { run(ent); }));
    }
    const double gb = double(kFileSize) / 1e9;
    std::printf("engine alone      %6.2f s  %6.2f GB/s\n", engine, gb / engine);
    std::printf("tallivor --report %6.2f s  %6.2f GB/s  %.2fx the engine\n", headless, gb / headless,
                headless / engine);
    if (haveEnt)
        std::printf("ent -c            %6.2f s  %6.2f GB/s  %.1fx the report's time\n", peer, gb / peer,
                    peer / headless);
    else
        std::printf("ent -c            not installed\n");
    fs::remove(file);
    return ok ? 0 : 1;
}
