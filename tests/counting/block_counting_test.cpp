#include "block_counting.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

class BlockCountingWorkers : public testing::TestWithParam<int> {};

TEST_P(BlockCountingWorkers, CountsEveryByteReadOnce)
{
    ByteCounts expected{};
    int block = 0;
    const auto readNext = [&](unsigned char* buffer, std::size_t capacity) -> std::size_t {
        if (block == 200)
            return 0;
        // Blocks of 1 to 64 bytes, each of one value; never an empty one before the end.
        const std::size_t size = std::min<std::size_t>(capacity, block % 64 + 1);
        std::memset(buffer, block % 256, size);
        expected[block % 256] += static_cast<std::uint32_t>(size);
        ++block;
        return size;
    };
    EXPECT_EQ(countBlocks(GetParam(), 64, readNext), expected);
    EXPECT_EQ(block, 200);
}

INSTANTIATE_TEST_SUITE_P(CallerAloneAndWithWorkers, BlockCountingWorkers, testing::Values(0, 1, 2, 4));

TEST(BlockCounting, NothingReadGivesZeros)
{
    EXPECT_EQ(countBlocks(2, 16, [](unsigned char*, std::size_t) -> std::size_t { return 0; }),
              ByteCounts{});
}

} // namespace
