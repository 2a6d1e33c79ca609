#include "counting_threads.h"

#include <algorithm>
#include <exception>
#include <memory>
#include <thread>
#include <vector>

WideCounts countOnThreads(int workers, const std::function<void(ByteCounter& counter)>& count)
{
    std::vector<std::unique_ptr<ByteCounter>> counters;
    for (int i = 0; i <= workers; ++i)
        counters.push_back(std::make_unique<ByteCounter>());
    {
        std::vector<std::jthread> threads;
        try {
            threads.reserve(static_cast<std::size_t>(std::max(workers, 0)));
            for (int i = 0; i < workers; ++i)
                threads.emplace_back(count, std::ref(*counters[i + 1]));
        } catch (const std::exception&) {
            // No more threads to be had: the ones there are count it all.
        }
        count(*counters[0]);
    }
    WideCounts total{};
    for (const auto& counter : counters)
        addCounts(total, counter->counts());
    return total;
}
