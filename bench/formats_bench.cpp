// The formats for programs on one cached file of 1 GiB of random bytes:
// `--format json`, which works out the byte statistics beside the counts,
// against `--format report`, the counts alone, and against the peer `ent`;
// and standard input through a pipe (`cat FILE | tallivor --format json -`)
// against the pipe's own rate (`cat FILE | cat > /dev/null`). Every command
// is the real program run by the shell, start-up and all. Rounds take turns
// and each figure is the best of them, so that a busy neighbour slows all
// alike; ratios compare figures of the same run.
//
// The file is written, flushed to the disk, dropped from the page cache and
// read back in whole: cached as a file is after it has been read once.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <string>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kFileSize = std::size_t{1} << 30;
constexpr int kRounds = 9;

double seconds(const std::function<void()>& work)
{
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double childProcessorSeconds()
{
    rusage usage{};
    ::getrusage(RUSAGE_CHILDREN, &usage);
    const auto time = [](const timeval& t) { return double(t.tv_sec) + double(t.tv_usec) * 1e-6; };
    return time(usage.ru_utime) + time(usage.ru_stime);
}

// Wall-clock and processor seconds of a shell command, best of the rounds
// so far.
struct Timing {
    std::string command;
    double wall = 1e9;
    double processor = 1e9;
    bool ok = true;

    void measure()
    {
        const double before = childProcessorSeconds();
        wall = std::min(wall, seconds([this] { ok = std::system(command.c_str()) == 0 && ok; }));
        processor = std::min(processor, childProcessorSeconds() - before);
    }
};

// Random bytes from xorshift, written, flushed, dropped from the cache and
// read back in.
bool writeCachedFile(const fs::path& path)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (fd < 0)
        return false;
    std::vector<std::uint64_t> block((1 << 20) / sizeof(std::uint64_t));
    std::uint64_t state = 0x9E3779B97F4A7C15u;
    bool ok = true;
    for (std::size_t written = 0; ok && written < kFileSize; written += block.size() * sizeof block[0]) {
        for (std::uint64_t& word : block) {
            state ^= state << 13;
            state ^= state >> 7;
            state ^= state << 17;
            word = state;
        }
        ok = ::write(fd, block.data(), block.size() * sizeof block[0]) == ssize_t(block.size() * sizeof block[0]);
    }
    ok = ok && ::fdatasync(fd) == 0 && ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED) == 0;
    ::close(fd);
    return ok && std::system(("cat " + path.string() + " > /dev/null").c_str()) == 0;
}

void line(const char* name, const Timing& timing, const Timing& base)
{
    std::printf("%-40s %6.3f s %6.2f GB/s %6.2fx   processor %6.3f s %6.2fx\n", name, timing.wall,
                double(kFileSize) / 1e9 / timing.wall, timing.wall / base.wall, timing.processor,
                timing.processor / base.processor);
}

} // namespace

int main()
{
    const fs::path file = fs::temp_directory_path() / ("tallivor-formats-bench-" + std::to_string(::getpid()));
    std::printf("writing a %zu-byte file of random bytes %s\n", kFileSize, file.c_str());
    if (!writeCachedFile(file)) {
        std::perror("cannot write the file");
        fs::remove(file);
        return 1;
    }
    const std::string program = TALLIVOR_PROGRAM;
    const std::string source = " " + file.string() + " > /dev/null";
    Timing report{program + " --format report" + source};
    Timing json{program + " --format json" + source};
    Timing pipe{"cat " + file.string() + " | cat > /dev/null"};
    Timing pipedJson{"cat " + file.string() + " | " + program + " --format json - > /dev/null"};
    Timing peer{"ent" + source};
    const bool haveEnt = std::system("command -v ent > /dev/null") == 0;

    for (int round = 0; round < kRounds; ++round) {
        for (Timing* timing : {&report, &json, &pipe, &pipedJson})
            timing->measure();
        if (haveEnt && round == 0) // ent reads about 90 MB/s: its variation hardly counts
            peer.measure();
    }
    std::printf("best of %d rounds; the file read in whole before the first\n", kRounds);
    std::printf("%-40s %8s %11s %7s   %9s %8s %7s\n", "", "wall", "", "ratio", "", "", "ratio");
    line("tallivor --format report FILE", report, report);
    line("tallivor --format json FILE", json, report);
    if (haveEnt)
        line("ent FILE", peer, json);
    else
        std::printf("ent FILE: not installed\n");
    line("cat FILE | cat", pipe, pipe);
    line("cat FILE | tallivor --format json -", pipedJson, pipe);
    std::printf("json / report: %.2f (at most 1.3)\n", json.wall / report.wall);
    if (haveEnt)
        std::printf("ent / json: %.0f (at least 30)\n", peer.wall / json.wall);
    std::printf("pipe rate of json / of cat: %.2f (at least 0.8)\n", pipe.wall / pipedJson.wall);
    fs::remove(file);
    const bool ok = report.ok && json.ok && pipe.ok && pipedJson.ok;
    return ok ? 0 : 1;
}
