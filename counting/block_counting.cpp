#include "block_counting.h"

#include <memory>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

ByteCounts countBlocks(int workers, std::size_t blockSize, const ReadNextBlock& readNext,
                       const std::atomic<bool>* stop)
{
    const auto stopRequested = [stop] { return stop && stop->load(std::memory_order_relaxed); };
    std::mutex reading;
    bool ended = false;
    const auto readAndCount = [&](ByteCounter& counter) {
        // Not zeroed: every byte is read into it before it is counted.
        const auto block = std::make_unique_for_overwrite<unsigned char[]>(blockSize);
        for (;;) {
            std::size_t size = 0;
            {
                const std::lock_guard lock(reading);
                if (!ended && !stopRequested())
                    size = readNext(block.get(), blockSize);
                ended = size == 0;
            }
            if (size == 0)
                return;
            if (!stopRequested())
                counter.add(block.get(), size);
        }
    };

    std::vector<std::unique_ptr<ByteCounter>> counters;
    for (int i = 0; i <= workers; ++i)
        counters.push_back(std::make_unique<ByteCounter>());
    {
        std::vector<std::jthread> threads;
        try {
            for (int i = 0; i < workers; ++i)
                threads.emplace_back(readAndCount, std::ref(*counters[i + 1]));
        } catch (const std::system_error&) {
            // No more threads to be had: the ones there are count it all.
        }
        readAndCount(*counters[0]);
    }
    ByteCounts total{};
    for (const auto& counter : counters) {
        const ByteCounts counts = counter->counts();
        for (int v = 0; v < 256; ++v)
            total[v] += counts[v];
    }
    return total;
}
