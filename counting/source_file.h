#pragma once

#include "frequency_state.h"
#include "read_call.h"
#include "window_counting.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>

// At most this many bytes of a source file are counted.
inline constexpr std::int32_t kSourceLimit = 2'100'000'000;

// True when path, taken literally (no wildcards), names a regular file after
// following symbolic links and its own name does not start with a dot.
// Directories, devices, FIFOs and sockets, hidden files, an empty path and a
// path ending in "/" all count as missing. Never opens anything.
bool sourceExists(const std::string& path);

enum class ReadStatus {
    Missing,      // the existence test failed; nothing was read
    Counted,      // the whole file was counted
    LimitReached, // counting stopped after exactly kSourceLimit bytes
    ReadFailed,   // the file could not be opened or read; counts are zeroed
    Stopped,      // a stop was requested before the end; counts are zeroed
};

struct ReadOutcome {
    ReadOutcome() = default;
    ReadOutcome(ReadStatus status_, int error_, std::int64_t bytesRead_, ReadRoutes routes_ = {})
        : status(status_), error(error_), bytesRead(bytesRead_), routes(routes_)
    {
    }

    ReadStatus status = ReadStatus::Missing;
    int error = 0; // the system's error number, for ReadFailed
    // Bytes counted; for ReadFailed, where the read that failed began.
    std::int64_t bytesRead = 0;
    ReadRoutes routes; // how the counted bytes were got
};

struct ReadOptions {
    // Threads that read and count beside the caller's, which does both too.
    int workers = defaultWorkers();
    // The step of counting, and of looking at *stop; a multiple of 4096.
    std::size_t blockSize = 1 << 20;
    // Null: ::pread.
    ReadAt readAt;
    // Stretches that the page cache holds are counted there, without a copy;
    // off, they are read like the rest.
    bool mapCached = true;
    // Stretches that the page cache does not hold are read past it, where the
    // file system allows; off, they are read through it.
    bool readColdDirect = true;
    // Set from any thread to end the count early; looked at before each block
    // is read and before each block is counted. Null: never stops.
    const std::atomic<bool>* stop = nullptr;

    static int defaultWorkers();
};

// Counts the bytes of the file at path into state.charCounts and
// state.totalChars, from its first byte to its end or to kSourceLimit bytes,
// whichever comes first. The threads read and count stretches of the file
// side by side: what the page cache holds is counted where it lies, what it
// does not hold is read past it, with several reads at the disk at once, so
// that counting a file never evicts what the user has cached. Past the size
// the file had when counting began it is read on until a read gives 0 bytes,
// so files that grow or whose reported size is wrong (/proc) are counted in
// full. The holes of a sparse file count as zeros without being read, the
// limit cutting them as it cuts data. A file cut short during the count is
// counted again, up to its new end. On ReadFailed the counts and the total
// are zeroed, so nothing partial is ever shown as the file's; the same holds
// on Stopped, which comes within a block's time of the request, with every
// thread joined and the file closed. Memory use does not depend on the
// file's size.
ReadOutcome readSourceFile(const std::string& path, FrequencyState& state,
                           const ReadOptions& options = {});
