#include "block_pipeline.h"

BlockPipeline::BlockPipeline(int workers, std::size_t blockSize, const std::atomic<bool>* stop)
    : blockSize_(blockSize)
    , stop_(stop)
{
    // Two buffers per worker: one being counted, one queued behind it, plus
    // the one the caller is filling.
    const int buffers = workers > 0 ? 2 * workers + 1 : 1;
    for (int i = 0; i < buffers; ++i) {
        storage_.push_back(std::make_unique<unsigned char[]>(blockSize));
        free_.push_back(storage_.back().get());
    }
    workerCounts_.resize(workers > 0 ? workers : 0);
    for (auto& counts : workerCounts_)
        workers_.emplace_back([this, &counts] { work(counts); });
}

BlockPipeline::~BlockPipeline()
{
    stopWorkers();
}

unsigned char* BlockPipeline::acquire()
{
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return !free_.empty(); });
    unsigned char* buffer = free_.back();
    free_.pop_back();
    return buffer;
}

void BlockPipeline::submit(unsigned char* buffer, std::size_t size)
{
    if (workers_.empty() && !stopRequested())
        countBytes(buffer, size, inlineCounts_);
    std::lock_guard lock(mutex_);
    if (workers_.empty() || size == 0)
        free_.push_back(buffer);
    else
        queued_.push_back({buffer, size});
    changed_.notify_all();
}

ByteCounts BlockPipeline::finish()
{
    stopWorkers();
    ByteCounts total = inlineCounts_;
    for (const auto& counts : workerCounts_)
        for (int v = 0; v < 256; ++v)
            total[v] += counts[v];
    return total;
}

void BlockPipeline::work(ByteCounts& counts)
{
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return closing_ || !queued_.empty(); });
        if (queued_.empty())
            return; // closing, and nothing left to count
        const Block block = queued_.front();
        queued_.pop_front();
        if (!stopRequested()) {
            lock.unlock();
            countBytes(block.data, block.size, counts);
            lock.lock();
        }
        free_.push_back(block.data);
        changed_.notify_all();
    }
}

void BlockPipeline::stopWorkers()
{
    {
        std::lock_guard lock(mutex_);
        closing_ = true;
    }
    changed_.notify_all();
    for (auto& worker : workers_)
        if (worker.joinable())
            worker.join();
}
