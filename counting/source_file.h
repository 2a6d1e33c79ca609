#pragma once

#include "frequency_state.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <sys/types.h>

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
    ReadStatus status = ReadStatus::Missing;
    std::string reason;        // the system's reason text, for ReadFailed
    std::int64_t bytesRead = 0; // bytes counted before the end or the failure
};

struct ReadOptions {
    // Threads that read and count beside the caller's, which does both too.
    int workers = defaultWorkers();
    std::size_t blockSize = 1 << 20;
    // The read call, replaceable so that tests can inject failures.
    std::function<ssize_t(int fd, void* buffer, std::size_t size)> readBlock;
    // Set from any thread to end the count early; looked at before each block
    // is read and before each block is counted. Null: never stops.
    const std::atomic<bool>* stop = nullptr;

    static int defaultWorkers();
};

// Counts the bytes of the file at path into state.charCounts and
// state.totalChars, from its first byte to its end or to kSourceLimit bytes,
// whichever comes first. Only a read of 0 bytes is taken as the end, so files
// whose reported size is wrong (/proc) are counted in full. The holes of a
// sparse file count as zeros without being read, the limit cutting them as
// it cuts data. On ReadFailed the counts and the total are zeroed, so nothing
// partial is ever shown as the file's; the same holds on Stopped, which comes
// within a block's time of the request, with every thread joined and the
// file closed. Memory use does not depend on the file's size.
ReadOutcome readSourceFile(const std::string& path, FrequencyState& state,
                           const ReadOptions& options = {});
