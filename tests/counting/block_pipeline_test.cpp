#include "block_pipeline.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

class BlockPipelineWorkers : public testing::TestWithParam<int> {};

TEST_P(BlockPipelineWorkers, CountsEverySubmittedByteOnce)
{
    BlockPipeline pipeline(GetParam(), 64);
    ByteCounts expected{};
    for (int block = 0; block < 200; ++block) {
        unsigned char* buffer = pipeline.acquire();
        const std::size_t size = static_cast<std::size_t>(block % 65);
        std::memset(buffer, block % 256, size);
        expected[block % 256] += static_cast<std::uint32_t>(size);
        pipeline.submit(buffer, size);
    }
    EXPECT_EQ(pipeline.finish(), expected);
}

INSTANTIATE_TEST_SUITE_P(InlineAndThreaded, BlockPipelineWorkers, testing::Values(0, 1, 2, 4));

TEST(BlockPipeline, FinishWithNothingSubmittedGivesZeros)
{
    BlockPipeline pipeline(2, 16);
    EXPECT_EQ(pipeline.finish(), ByteCounts{});
}

} // namespace
