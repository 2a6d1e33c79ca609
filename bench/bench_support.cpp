#include "bench_support.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <memory>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

fs::path benchFolder;

double seconds(const std::function<void()>& work)
{
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double cpuSeconds()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    const auto time = [](const timeval& t) { return double(t.tv_sec) + t.tv_usec * 1e-6; };
    return time(usage.ru_utime) + time(usage.ru_stime);
}

[[noreturn]] void fail(const char* what)
{
    std::perror(what);
    fs::remove_all(benchFolder);
    std::exit(1);
}

Source randomBytes()
{
    return [seed = std::uint64_t{0x9E3779B97F4A7C15u}](unsigned char* buffer, std::size_t size) mutable {
        for (std::size_t i = 0; i < size; ++i) {
            if (i % 8 == 0) {
                seed ^= seed << 13;
                seed ^= seed >> 7;
                seed ^= seed << 17;
            }
            buffer[i] = static_cast<unsigned char>(seed >> (8 * (i % 8)));
        }
    };
}

Source zeros()
{
    return [](unsigned char* buffer, std::size_t size) { std::fill_n(buffer, size, 0); };
}

Source filesOf(const fs::path& folder)
{
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.is_regular_file() && !entry.is_symlink())
            files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    if (files.empty()) {
        errno = ENOENT;
        fail(folder.c_str());
    }
    struct State {
        std::vector<fs::path> files;
        std::size_t next = 0;
        int fd = -1;
    };
    auto state = std::make_shared<State>(State{std::move(files)});
    return [state](unsigned char* buffer, std::size_t size) {
        for (std::size_t done = 0; done < size;) {
            if (state->fd < 0)
                state->fd = ::open(state->files[state->next++ % state->files.size()].c_str(), O_RDONLY);
            const ssize_t got = state->fd < 0 ? 0 : ::read(state->fd, buffer + done, size - done);
            if (got > 0) {
                done += static_cast<std::size_t>(got);
            } else if (state->fd >= 0) {
                ::close(state->fd);
                state->fd = -1;
            }
        }
    };
}

void writeDataSet(const std::string& path, const Source& source, std::size_t size)
{
    std::vector<unsigned char> chunk(8 << 20);
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (fd < 0)
        fail(path.c_str());
    for (std::size_t written = 0; written < size; written += chunk.size()) {
        const std::size_t length = std::min(chunk.size(), size - written);
        source(chunk.data(), length);
        if (::write(fd, chunk.data(), length) != ssize_t(length))
            fail("write");
    }
    ::close(fd);
}

