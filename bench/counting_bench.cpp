// Measures how fast the counting engine turns a file into byte counts,
// against a plain read of the same file and a naive counting loop, all in
// one run so that the ratios are fair on a shared machine.
#include "count_kernel.h"
#include "source_file.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kRandomFileSize = 2'000'000'000;
constexpr off_t kSparseFileSize = off_t{kSourceLimit} + 1;
constexpr std::size_t kMemoryBuffer = 8u << 20;
constexpr int kMemoryPasses = 128;

double seconds(std::chrono::steady_clock::duration d)
{
    return std::chrono::duration<double>(d).count();
}

template <class Work>
double gigabytesPerSecond(double bytes, Work work)
{
    const auto start = std::chrono::steady_clock::now();
    work();
    return bytes / 1e9 / seconds(std::chrono::steady_clock::now() - start);
}

void fillRandom(std::vector<unsigned char>& buffer, std::uint64_t& seed)
{
    for (std::size_t i = 0; i + 8 <= buffer.size(); i += 8) {
        seed ^= seed << 13;
        seed ^= seed >> 7;
        seed ^= seed << 17;
        for (int b = 0; b < 8; ++b)
            buffer[i + b] = static_cast<unsigned char>(seed >> (8 * b));
    }
}

void writeRandomFile(const std::string& path)
{
    std::vector<unsigned char> block(8u << 20);
    std::uint64_t seed = 0x9E3779B97F4A7C15u;
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    for (std::size_t written = 0; written < kRandomFileSize;) {
        fillRandom(block, seed);
        const std::size_t size = std::min(block.size(), kRandomFileSize - written);
        if (::write(fd, block.data(), size) != ssize_t(size)) {
            std::perror("write");
            std::exit(1);
        }
        written += size;
    }
    ::close(fd);
}

double plainRead(const std::string& path)
{
    std::vector<unsigned char> buffer(1u << 20);
    return gigabytesPerSecond(kRandomFileSize, [&] {
        const int fd = ::open(path.c_str(), O_RDONLY);
        while (::read(fd, buffer.data(), buffer.size()) > 0) {
        }
        ::close(fd);
    });
}

template <class Kernel>
double inMemory(const std::vector<unsigned char>& buffer, Kernel kernel)
{
    ByteCounts counts{};
    const double rate = gigabytesPerSecond(double(buffer.size()) * kMemoryPasses, [&] {
        for (int pass = 0; pass < kMemoryPasses; ++pass)
            kernel(buffer.data(), buffer.size(), counts);
    });
    if (counts[0] == 12345)
        std::puts(""); // keeps the counts alive
    return rate;
}

double engine(const std::string& path, double bytes, int workers)
{
    ReadOptions options;
    options.workers = workers;
    return gigabytesPerSecond(bytes, [&] {
        FrequencyState state;
        readSourceFile(path, state, options);
    });
}

void dropFromCache(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY);
    ::fdatasync(fd);
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
    ::close(fd);
}

} // namespace

int main()
{
    const fs::path dir = fs::temp_directory_path() / ("tallivor-bench-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const std::string random = (dir / "random").string();
    const std::string sparse = (dir / "sparse").string();
    std::printf("writing a %zu-byte random file and a %lld-byte sparse file in %s\n",
                kRandomFileSize, static_cast<long long>(kSparseFileSize), dir.c_str());
    writeRandomFile(random);
    ::close(::open(sparse.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600));
    if (::truncate(sparse.c_str(), kSparseFileSize) != 0)
        std::perror("truncate");

    std::vector<unsigned char> randomBytes(kMemoryBuffer);
    std::uint64_t seed = 42;
    fillRandom(randomBytes, seed);
    const std::vector<unsigned char> zeros(kMemoryBuffer, 0);

    const double read = plainRead(random);
    const double naiveRandom = inMemory(randomBytes, countBytesReference);
    const double kernelRandom = inMemory(randomBytes, countBytes);
    const double naiveZeros = inMemory(zeros, countBytesReference);
    const double kernelZeros = inMemory(zeros, countBytes);
    std::printf("plain read, cached random file      %6.2f GB/s\n", read);
    std::printf("naive loop, in memory, random       %6.2f GB/s\n", naiveRandom);
    std::printf("kernel, in memory, random           %6.2f GB/s\n", kernelRandom);
    std::printf("naive loop, in memory, all zeros    %6.2f GB/s\n", naiveZeros);
    std::printf("kernel, in memory, all zeros        %6.2f GB/s\n", kernelZeros);

    for (const int workers : {0, 1, 2})
        std::printf("engine, cached random file, %d workers %6.2f GB/s\n", workers,
                    engine(random, kRandomFileSize, workers));
    const double engineRandom = engine(random, kRandomFileSize, ReadOptions::defaultWorkers());
    std::printf("engine, cached random file, default (%d workers) %6.2f GB/s\n",
                ReadOptions::defaultWorkers(), engineRandom);
    std::printf("engine, sparse file (all zeros)     %6.2f GB/s\n",
                engine(sparse, kSourceLimit, ReadOptions::defaultWorkers()));
    dropFromCache(random);
    std::printf("engine, random file after dropping it from the cache %6.2f GB/s\n",
                engine(random, kRandomFileSize, ReadOptions::defaultWorkers()));

    std::printf("ratio kernel/naive random %.2f\n", kernelRandom / naiveRandom);
    std::printf("ratio kernel/naive zeros %.2f\n", kernelZeros / naiveZeros);
    std::printf("ratio engine/kernel %.2f\n", engineRandom / kernelRandom);
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    std::printf("peak RSS %.1f MiB\n", usage.ru_maxrss / 1024.0);
    fs::remove_all(dir);
}
