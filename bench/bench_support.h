#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

// Wall seconds that work takes.
double seconds(const std::function<void()>& work);
// Processor seconds of this process so far, all its threads, past and present.
double cpuSeconds();
// Processor seconds of the children waited for so far.
double childCpuSeconds();
// The load average of the last minute.
double loadAverage();
// Runs a program with its output thrown away and waits for it; fails unless
// it ends with status 0.
void run(const std::vector<std::string>& arguments);
// The same, giving what the program wrote to its standard output.
std::string outputOf(const std::vector<std::string>& arguments);

// Bytes of the file at path that the page cache holds.
std::int64_t cachedBytes(const std::string& path);
// Drops the file from the page cache, and only it, so that the machine's
// other work keeps its cache. Where pages stay, the whole page cache is
// dropped, which only root may do. False when the file could not be made cold.
bool dropFromCache(const std::string& path);
// Drops [offset, offset + length) of the file from the page cache.
void evict(const std::string& path, std::int64_t offset, std::int64_t length);

// Where the data sets are written; removed when the bench ends, by a failure too.
extern std::filesystem::path benchFolder;
[[noreturn]] void fail(const char* what);

// Fills a buffer with the next bytes of a data set.
using Source = std::function<void(unsigned char* buffer, std::size_t size)>;
Source randomBytes();
Source zeros();
// The regular files of a folder, in name order, one after the other and
// from the first again when all are used up.
Source filesOf(const std::filesystem::path& folder);

// Writes size bytes of source to path in writes of `piece` bytes, then
// makes them durable.
void writeDataSet(const std::string& path, const Source& source, std::size_t size,
                  std::size_t piece = 8 << 20);

// Which parts of the bench run: --cached, --cold, or both; a list of cache
// states and of data sets (all where empty), and the rounds (the parts' own
// where 0).
struct BenchChoice {
    bool cached = true;
    bool cold = true;
    std::vector<std::string> states;
    std::vector<std::string> dataSets;
    int rounds = 0;
    bool wants(const std::vector<std::string>& chosen, const std::string& name) const;
};

// The two parts of the bench; each gives the process's exit status.
int runCachedBench(const BenchChoice& choice);
int runColdBench(const BenchChoice& choice);
