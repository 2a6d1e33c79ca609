#pragma once

#include "read_call.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

// A second descriptor of an open file whose reads go past the page cache
// (O_DIRECT): they neither fill the cache nor evict what the user has in it.
// fd is -1 where the file system refuses direct reads (tmpfs) or cannot say
// which alignment they need, and on FUSE and network file systems, where a
// direct read that the server never answers could not be ended.
class DirectFile {
public:
    // Opens the very file that fd has open, not whatever its path names now.
    explicit DirectFile(int fd);
    ~DirectFile();
    DirectFile(const DirectFile&) = delete;
    DirectFile& operator=(const DirectFile&) = delete;

    int fd() const { return fd_; }
    // Offsets, lengths and buffer addresses of direct reads are multiples of this.
    std::size_t alignment() const { return alignment_; }

private:
    int fd_ = -1;
    std::size_t alignment_ = 0;
};

// Keeps up to `depth` reads of one stretch of a file at the device at once,
// each on a helper thread of its own, while the caller counts what has
// arrived: one request at a time would leave the device idle while the
// caller counts. Buffers are aligned for direct reads; memory is `depth`
// requests, whatever the file's size. Where no thread can be had, reads run
// on the caller's thread.
class ReadAhead {
public:
    ReadAhead(ReadAt readAt, int fd, std::size_t requestSize, std::size_t alignment, int depth);
    ~ReadAhead();
    ReadAhead(const ReadAhead&) = delete;
    ReadAhead& operator=(const ReadAhead&) = delete;

    struct Result {
        std::int64_t bytes = 0; // delivered to use()
        int error = 0;          // errno of the read that failed, 0 if none did
    };
    using Use = std::function<bool(const unsigned char* data, std::size_t size)>;

    // Starts the reads of [begin, end) that read() of a stretch from begin
    // would start first, so that the device works while the caller counts
    // something else; read() then takes them up. Reads started for another
    // stretch are waited for and dropped.
    void prepare(std::int64_t begin, std::int64_t end);

    // Hands the bytes of [begin, end) to use() in file order, a request's
    // worth at a time, until end, a short read (the end of the file, most
    // likely), a failed read or use() returning false. Returns once no read
    // is in flight any more.
    Result read(std::int64_t begin, std::int64_t end, const Use& use);

private:
    struct Slot;

    // Starts reads up to end_ while slots are free.
    void fill();
    Slot& slot(std::size_t fromHead) const;
    // Waits for every read in flight and drops its bytes.
    void drop();

    ReadAt readAt_;
    int fd_;
    std::size_t requestSize_;
    std::vector<std::unique_ptr<Slot>> slots_;
    std::size_t head_ = 0;     // the slot whose bytes come next
    std::size_t inFlight_ = 0; // reads started and not yet taken
    std::int64_t next_ = 0;    // where the next read to start begins
    std::int64_t end_ = 0;     // where reads stop
};
