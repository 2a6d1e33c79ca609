#include "direct_reading.h"

#include "network_file_systems.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <exception>
#include <fcntl.h>
#include <semaphore>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

DirectFile::DirectFile(int fd)
{
    struct statx info {};
    if (fd < 0 || servedFromAfar(fd) || ::statx(fd, "", AT_EMPTY_PATH, STATX_DIOALIGN, &info) != 0 || !(info.stx_mask & STATX_DIOALIGN) ||
        info.stx_dio_offset_align == 0)
        return;
    // Through /proc the same file is opened again with its own flags, even
    // if its name has since been given to another.
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    const int direct = ::open(self.c_str(), O_RDONLY | O_DIRECT | O_CLOEXEC);
    struct stat original {}, reopened {};
    if (direct < 0)
        return;
    if (::fstat(fd, &original) != 0 || ::fstat(direct, &reopened) != 0 ||
        original.st_ino != reopened.st_ino || original.st_dev != reopened.st_dev) {
        ::close(direct);
        return;
    }
    fd_ = direct;
    alignment_ = std::max({std::size_t{4096}, std::size_t{info.stx_dio_offset_align},
                           std::size_t{info.stx_dio_mem_align}});
}

DirectFile::~DirectFile()
{
    if (fd_ >= 0)
        ::close(fd_);
}

struct ReadAhead::Slot {
    struct FreeBuffer {
        void operator()(unsigned char* buffer) const { std::free(buffer); }
    };
    std::unique_ptr<unsigned char, FreeBuffer> buffer;
    std::int64_t offset = 0;
    std::size_t size = 0;
    ssize_t got = 0;
    int error = 0;
    bool quit = false;
    std::binary_semaphore requested{0};
    std::binary_semaphore done{0};
    std::jthread helper; // not joinable: reads run on the caller's thread

    void perform(const ReadAt& readAt, int fd)
    {
        do
            got = readAt(fd, buffer.get(), size, offset);
        while (got < 0 && errno == EINTR);
        error = got < 0 ? errno : 0;
    }

    void start(const ReadAt& readAt, int fd)
    {
        if (helper.joinable())
            requested.release();
        else
            perform(readAt, fd);
    }

    void wait()
    {
        if (helper.joinable())
            done.acquire();
    }
};

ReadAhead::ReadAhead(ReadAt readAt, int fd, std::size_t requestSize, std::size_t alignment, int depth)
    : readAt_(std::move(readAt))
    , fd_(fd)
    , requestSize_(requestSize)
{
    // Reserved first: a slot whose helper has started must never be dropped
    // by a failed push_back, since its helper would wait for ever.
    slots_.reserve(static_cast<std::size_t>(std::max(depth, 1)));
    for (int i = 0; i < depth; ++i) {
        auto slot = std::make_unique<Slot>();
        slot->buffer.reset(static_cast<unsigned char*>(std::aligned_alloc(alignment, requestSize)));
        if (!slot->buffer)
            break;
        try {
            slot->helper = std::jthread([this, s = slot.get()] {
                for (;;) {
                    s->requested.acquire();
                    if (s->quit)
                        return;
                    s->perform(readAt_, fd_);
                    s->done.release();
                }
            });
        } catch (const std::exception&) {
            // Without a helper this slot reads on the caller's thread.
        }
        slots_.push_back(std::move(slot));
    }
}

ReadAhead::~ReadAhead()
{
    for (const auto& slot : slots_) {
        slot->quit = true;
        slot->requested.release();
    }
}

ReadAhead::Slot& ReadAhead::slot(std::size_t fromHead) const
{
    return *slots_[(head_ + fromHead) % slots_.size()];
}

void ReadAhead::fill()
{
    while (inFlight_ < slots_.size() && next_ < end_) {
        Slot& free = slot(inFlight_);
        free.offset = next_;
        free.size = static_cast<std::size_t>(std::min<std::int64_t>(requestSize_, end_ - next_));
        next_ += static_cast<std::int64_t>(free.size);
        free.start(readAt_, fd_);
        ++inFlight_;
    }
}

void ReadAhead::drop()
{
    for (; inFlight_ > 0; --inFlight_) {
        slot(0).wait();
        head_ = (head_ + 1) % slots_.size();
    }
    // From the first slot again: a stretch of fewer requests than slots
    // then touches only the buffers it needs, not all of them in turn.
    head_ = 0;
}

void ReadAhead::prepare(std::int64_t begin, std::int64_t end)
{
    drop();
    next_ = begin;
    end_ = end;
    fill();
}

ReadAhead::Result ReadAhead::read(std::int64_t begin, std::int64_t end, const Use& use)
{
    // Reads prepared for this stretch are kept if none goes past its end.
    if (inFlight_ == 0 || slot(0).offset != begin || next_ > end) {
        drop();
        next_ = begin;
    }
    end_ = end;
    Result result;
    bool delivering = true;
    for (;;) {
        if (delivering)
            fill();
        if (inFlight_ == 0)
            return result;
        // Every read is waited for, delivered or not: its buffer is reused.
        Slot& done = slot(0);
        done.wait();
        head_ = (head_ + 1) % slots_.size();
        --inFlight_;
        if (!delivering)
            continue;
        if (done.got < 0) {
            result.error = done.error;
            delivering = false;
            continue;
        }
        const auto got = static_cast<std::size_t>(done.got);
        result.bytes += static_cast<std::int64_t>(got);
        if (got > 0 && !use(done.buffer.get(), got))
            delivering = false;
        if (got < done.size)
            delivering = false; // the next requests' bytes would not follow on
    }
}
