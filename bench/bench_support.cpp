#include "bench_support.h"

#include "page_cache.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <memory>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
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

double childCpuSeconds()
{
    rusage usage{};
    ::getrusage(RUSAGE_CHILDREN, &usage);
    const auto time = [](const timeval& t) { return double(t.tv_sec) + t.tv_usec * 1e-6; };
    return time(usage.ru_utime) + time(usage.ru_stime);
}

double loadAverage()
{
    double load[1] = {0};
    return ::getloadavg(load, 1) == 1 ? load[0] : -1;
}

namespace {

std::string runWithOutput(const std::vector<std::string>& arguments, bool keepOutput)
{
    int ends[2] = {-1, -1};
    if (keepOutput && ::pipe(ends) != 0)
        fail("pipe");
    const pid_t child = ::fork();
    if (child < 0)
        fail("fork");
    if (child == 0) {
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(keepOutput ? ends[1] : null, STDOUT_FILENO);
        ::dup2(null, STDERR_FILENO);
        std::vector<char*> argv;
        for (const std::string& argument : arguments)
            argv.push_back(const_cast<char*>(argument.c_str()));
        argv.push_back(nullptr);
        ::execvp(argv[0], argv.data());
        ::_exit(127);
    }
    std::string output;
    if (keepOutput) {
        ::close(ends[1]);
        char buffer[4096];
        for (ssize_t got; (got = ::read(ends[0], buffer, sizeof buffer)) > 0;)
            output.append(buffer, std::size_t(got));
        ::close(ends[0]);
    }
    int status = 0;
    if (::waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        errno = ECHILD;
        fail(arguments[0].c_str());
    }
    return output;
}

} // namespace

void run(const std::vector<std::string>& arguments)
{
    runWithOutput(arguments, false);
}

std::string outputOf(const std::vector<std::string>& arguments)
{
    return runWithOutput(arguments, true);
}

std::int64_t cachedBytes(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY);
    if (fd < 0)
        fail(path.c_str());
    struct stat info {};
    ::fstat(fd, &info);
    const std::int64_t cached = cacheResidency(fd, 0, info.st_size).cached * ::sysconf(_SC_PAGESIZE);
    ::close(fd);
    return cached;
}

bool dropFromCache(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY);
    if (fd < 0)
        fail(path.c_str());
    ::fdatasync(fd);
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
    ::close(fd);
    if (cachedBytes(path) == 0)
        return true;
    if (::geteuid() != 0)
        return false;
    ::sync();
    const int drop = ::open("/proc/sys/vm/drop_caches", O_WRONLY);
    const bool dropped = drop >= 0 && ::write(drop, "1", 1) == 1;
    if (drop >= 0)
        ::close(drop);
    return dropped && cachedBytes(path) == 0;
}

void evict(const std::string& path, std::int64_t offset, std::int64_t length)
{
    const int fd = ::open(path.c_str(), O_RDONLY);
    if (fd < 0)
        fail(path.c_str());
    ::posix_fadvise(fd, offset, length, POSIX_FADV_DONTNEED);
    ::close(fd);
}

bool BenchChoice::wants(const std::vector<std::string>& chosen, const std::string& name) const
{
    return chosen.empty() || std::find(chosen.begin(), chosen.end(), name) != chosen.end();
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

void writeDataSet(const std::string& path, const Source& source, std::size_t size, std::size_t piece)
{
    std::vector<unsigned char> chunk(8 << 20);
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (fd < 0)
        fail(path.c_str());
    for (std::size_t written = 0; written < size; written += chunk.size()) {
        const std::size_t length = std::min(chunk.size(), size - written);
        source(chunk.data(), length);
        for (std::size_t at = 0; at < length; at += piece) {
            const std::size_t part = std::min(piece, length - at);
            if (::write(fd, chunk.data() + at, part) != ssize_t(part))
                fail("write");
        }
    }
    if (::fsync(fd) != 0)
        fail("fsync");
    ::close(fd);
}

