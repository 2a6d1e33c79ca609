#pragma once

#include "frequency_state.h"
#include "read_call.h"
#include "source_count.h"
#include "stretch_counting.h"

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
    LimitReached, // counting stopped after exactly the limit's bytes
    ReadFailed,   // the file could not be opened or read; counts are zeroed
    Stopped,      // a stop was requested before the end; counts are zeroed
    Changed,      // the file changed while it was counted, every time it was
                  // counted; counts are zeroed
};

struct ReadOutcome {
    ReadOutcome() = default;
    ReadOutcome(ReadStatus status_, int error_, std::int64_t bytesRead_, RouteBytes routes_ = {})
        : status(status_), error(error_), bytesRead(bytesRead_), routes(routes_)
    {
    }

    ReadStatus status = ReadStatus::Missing;
    int error = 0; // the system's error number, for ReadFailed; 0 otherwise
    // Bytes counted; for ReadFailed, where the read that failed began.
    std::int64_t bytesRead = 0;
    RouteBytes routes; // how the counted bytes were got
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
    // At most this many bytes are counted; no limit where negative.
    std::int64_t limit = kSourceLimit;
    // Sees every stretch counted; null: none. Costs nothing where null.
    StretchObserver* observer = nullptr;

    static int defaultWorkers();
};

// Counts the file at path as it is named: no existence test (a hidden file is
// counted), the path opened as it is, without blocking. What is not a regular
// file fails with ReadFailed and the system's error number: EISDIR for a
// folder, EINVAL for a device or a FIFO, whatever the open gave for a socket
// (ENXIO). From the first byte to its end or options.limit, with every
// guarantee that readSourceFile gives (threads, routes, holes, a file cut
// short or growing, read failures, stop). count is set to what was counted,
// and zeroed for any status but Counted and LimitReached. 64-bit counts: any
// size.
ReadOutcome countSourceFile(const std::string& path, SourceCount& count, const ReadOptions& options = {});

// Counts what fd gives until its end (a pipe, standard input, a terminal),
// read after read on the calling thread into one buffer of
// options.blockSize: memory stays flat whatever the length. No byte past
// options.limit is read from fd. options.stop is looked at before each read
// and, while fd has nothing to give, ten times a second. options.observer
// sees the bytes at offsets that run from 0; threads and routes do not apply.
// count is set as countSourceFile sets it.
ReadOutcome countStream(int fd, SourceCount& count, const ReadOptions& options = {});

// Counts the bytes of the file at path into state.charCounts and
// state.totalChars, from its first byte to its end or to kSourceLimit bytes,
// whichever comes first. The threads read and count stretches of the file
// side by side. What the page cache holds is counted where it lies where it
// is held in large folios, and copied out in small pieces where it is held
// in small ones, whichever costs less; what it does not hold is read past
// it, with several reads at the disk at once, so that counting a file never
// evicts what the user has cached. Past the size the file had when counting
// began it is read on until a read gives 0 bytes, so files that grow or
// whose reported size is wrong (/proc) are counted in full. The holes of a
// sparse file count as zeros without being read, the limit cutting them as
// it cuts data. A file cut short during the count is counted again, from its
// start up to its new end, until a pass finds it unchanged, so that the
// counts are those of a state the file was in; after five passes that each
// found it cut short, the count fails as Changed. On ReadFailed the counts
// and the total are zeroed, so nothing partial is ever shown as the file's;
// the same holds on Changed and on Stopped, which comes within a block's
// time of the request, with every thread joined and the file closed. Memory
// use does not depend on the file's size. options.limit, where not
// negative, lowers the limit further.
ReadOutcome readSourceFile(const std::string& path, FrequencyState& state,
                           const ReadOptions& options = {});
