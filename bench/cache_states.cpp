#include "cache_states.h"

#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr std::int64_t kEvictedStride = 8 << 20;

void readIn(const std::string& path)
{
    if (!dropFromCache(path))
        fail("drop from the page cache (dropping the whole cache needs root)");
    run({"cat", path});
}

// Every other 8 MiB out of the cache.
void evictHalf(const std::string& path)
{
    const auto size = static_cast<std::int64_t>(fs::file_size(path));
    for (std::int64_t at = kEvictedStride; at < size; at += 2 * kEvictedStride)
        evict(path, at, kEvictedStride);
}

std::string besideSource(const std::string& source, const char* key)
{
    return source + "." + key;
}

// A copy of source written again with writes of `piece` bytes, then synced.
void rewrite(const std::string& source, const std::string& path, std::size_t piece)
{
    const int fd = ::open(source.c_str(), O_RDONLY);
    if (fd < 0)
        fail(source.c_str());
    writeDataSet(path,
                 [fd](unsigned char* buffer, std::size_t size) {
                     for (std::size_t done = 0; done < size;) {
                         const ssize_t got = ::read(fd, buffer + done, size - done);
                         if (got <= 0)
                             fail("read");
                         done += std::size_t(got);
                     }
                 },
                 fs::file_size(source), piece);
    ::close(fd);
}

} // namespace

const std::vector<CacheState>& cacheStates()
{
    static const std::vector<CacheState> states = {
        {"read-in", "read in from the disk (cat)"},
        {"writes-4k", "written with 4 KiB writes, synced"},
        {"writes-64k", "written with 64 KiB writes, synced"},
        {"cp", "copied with cp, synced"},
        {"tmpfs", "on tmpfs (/dev/shm), copied there with cp"},
        {"half-evicted", "read in, then every other 8 MiB evicted"},
        {"cold", "not in the cache"},
    };
    return states;
}

std::string prepareState(const CacheState& state, const std::string& source)
{
    const std::string key = state.key;
    if (key == "read-in" || key == "half-evicted" || key == "cold") {
        restoreState(state, source);
        return source;
    }
    std::string path = besideSource(source, state.key);
    if (key == "writes-4k" || key == "writes-64k") {
        readIn(source);
        rewrite(source, path, key == "writes-4k" ? 4096 : 65536);
    } else if (key == "cp") {
        readIn(source);
        run({"cp", source, path});
        run({"sync", path});
    } else if (key == "tmpfs") {
        path = "/dev/shm/" + fs::path(path).filename().string();
        readIn(source);
        run({"cp", source, path});
    }
    return path;
}

void restoreState(const CacheState& state, const std::string& path)
{
    const std::string key = state.key;
    if (key == "read-in") {
        if (cachedBytes(path) < std::int64_t(fs::file_size(path)))
            readIn(path);
    } else if (key == "half-evicted") {
        if (cachedBytes(path) < std::int64_t(fs::file_size(path)) / 2)
            readIn(path);
        evictHalf(path);
    } else if (key == "cold") {
        if (!dropFromCache(path))
            fail("drop from the page cache (dropping the whole cache needs root)");
    }
}

void removeState(const CacheState&, const std::string& source, const std::string& path)
{
    if (path != source)
        fs::remove(path);
}
