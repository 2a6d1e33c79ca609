#pragma once

#include "count_kernel.h"

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

// Counts blocks of bytes on worker threads while the caller fills the next
// block, so reading and counting overlap. A fixed set of buffers keeps memory
// flat whatever the amount of data. With no workers, blocks are counted on
// the caller's thread as they are submitted. Once *stop is set (when given),
// blocks not yet counted are dropped, so a stopped pipeline frees its buffers
// at once; its counts are then partial and for the caller to throw away.
class BlockPipeline {
public:
    BlockPipeline(int workers, std::size_t blockSize, const std::atomic<bool>* stop = nullptr);
    ~BlockPipeline();
    BlockPipeline(const BlockPipeline&) = delete;
    BlockPipeline& operator=(const BlockPipeline&) = delete;

    std::size_t blockSize() const { return blockSize_; }

    // A buffer of blockSize() bytes to fill; waits while all are in use.
    unsigned char* acquire();
    // Hands the first `size` bytes of an acquired buffer over for counting.
    // A buffer submitted with size 0 simply goes back to the free set.
    void submit(unsigned char* buffer, std::size_t size);
    // Waits until every submitted block is counted; the sum of all counts.
    ByteCounts finish();

private:
    struct Block {
        unsigned char* data;
        std::size_t size;
    };

    void work(ByteCounts& counts);
    void stopWorkers();
    bool stopRequested() const { return stop_ && stop_->load(std::memory_order_relaxed); }

    std::size_t blockSize_;
    const std::atomic<bool>* stop_;
    std::vector<std::unique_ptr<unsigned char[]>> storage_;
    std::vector<unsigned char*> free_;
    std::deque<Block> queued_;
    std::vector<ByteCounts> workerCounts_;
    std::vector<std::thread> workers_;
    std::mutex mutex_;
    std::condition_variable changed_;
    bool closing_ = false;
    ByteCounts inlineCounts_{};
};
