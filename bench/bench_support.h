#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <string>

// Wall seconds that work takes.
double seconds(const std::function<void()>& work);
// Processor seconds of this process so far, all its threads, past and present.
double cpuSeconds();

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

void writeDataSet(const std::string& path, const Source& source, std::size_t size);

// The two parts of the bench; each gives the process's exit status.
int runCachedBench();
int runColdBench();
