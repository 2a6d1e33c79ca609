#include "count_kernel.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace {

std::vector<unsigned char> randomBytes(std::size_t size, unsigned seed)
{
    std::mt19937 generator(seed);
    std::vector<unsigned char> bytes(size);
    for (auto& b : bytes)
        b = static_cast<unsigned char>(generator());
    return bytes;
}

class CountKernelSizes : public testing::TestWithParam<std::size_t> {};

TEST_P(CountKernelSizes, MatchesTheReferenceLoop)
{
    const auto bytes = randomBytes(GetParam(), 7);
    ByteCounts fast{};
    ByteCounts plain{};
    countBytes(bytes.data(), bytes.size(), fast);
    countBytesReference(bytes.data(), bytes.size(), plain);
    EXPECT_EQ(fast, plain);
}

// Sizes around the kernel's 16-byte stride and the reader's 1 MiB block.
INSTANTIATE_TEST_SUITE_P(AwkwardSizes, CountKernelSizes,
                         testing::Values(0, 1, 15, 16, 17, 31, 33, 4095, (1 << 20) - 1,
                                         1 << 20, (1 << 20) + 1, 3 * (1 << 20) + 77));

TEST(CountKernel, AddsToExistingCountsAndHandlesOneRepeatedValue)
{
    std::vector<unsigned char> zeros(100'003, 0);
    zeros.back() = 255;
    ByteCounts counts{};
    counts[0] = 5;
    countBytes(zeros.data(), zeros.size(), counts);
    EXPECT_EQ(counts[0], 5u + 100'002u);
    EXPECT_EQ(counts[255], 1u);
}

} // namespace
