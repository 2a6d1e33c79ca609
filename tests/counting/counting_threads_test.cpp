#include "counting_threads.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <vector>

namespace {

class BlockCountingWorkers : public testing::TestWithParam<int> {};

TEST_P(BlockCountingWorkers, CountsEveryClaimedBlockOnce)
{
    // 200 blocks of 1 to 64 bytes, block i all of value i, claimed by whichever
    // thread comes first.
    WideCounts expected{};
    for (int block = 0; block < 200; ++block)
        expected[block % 256] += static_cast<std::uint32_t>(block % 64 + 1);
    std::atomic<int> next = 0;
    std::atomic<int> threadsSeen = 0;
    const WideCounts counts = countOnThreads(GetParam(), [&](ByteCounter& counter) {
        ++threadsSeen;
        std::vector<unsigned char> buffer(64);
        for (int block = next++; block < 200; block = next++) {
            const std::size_t size = block % 64 + 1;
            std::memset(buffer.data(), block % 256, size);
            counter.add(buffer.data(), size);
        }
    });
    EXPECT_EQ(counts, expected);
    EXPECT_EQ(threadsSeen, GetParam() + 1);
}

INSTANTIATE_TEST_SUITE_P(CallerAloneAndWithWorkers, BlockCountingWorkers, testing::Values(0, 1, 2, 4));

TEST(BlockCounting, NothingCountedGivesZeros)
{
    EXPECT_EQ(countOnThreads(2, [](ByteCounter&) {}), WideCounts{});
}

} // namespace
