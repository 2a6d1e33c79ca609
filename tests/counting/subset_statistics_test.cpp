#include "subset_statistics.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace {

FrequencyState countedState(const std::string& bytes)
{
    FrequencyState state;
    classifyCharacters(state);
    for (const char c : bytes)
        state.charCounts[static_cast<unsigned char>(c)]++;
    state.totalChars = static_cast<std::int32_t>(bytes.size());
    return state;
}

TEST(SubsetFromOptions, FirstSelectedOptionDecides)
{
    EXPECT_EQ(subsetFromOptions(true, true, true), Subset::AllCharacters);
    EXPECT_EQ(subsetFromOptions(false, true, true), Subset::UpperCaseOnly);
    EXPECT_EQ(subsetFromOptions(false, false, true), Subset::PrintableOnly);
    EXPECT_EQ(subsetFromOptions(false, false, false), Subset::None);
}

TEST(SubsetStatistics, OneRepeatedValueHasFrequencyOneAndTheFullRise)
{
    FrequencyState state = countedState(std::string(100, 'A'));
    const SubsetStatistics stats = computeSubsetStatistics(state, Subset::AllCharacters);
    EXPECT_EQ(stats.selectedChars, 100);
    EXPECT_EQ(stats.azChars, 100);
    EXPECT_EQ(state.charFreqs['A'], 1.0f);
    EXPECT_EQ(stats.maxFreq, 1.0);
    EXPECT_EQ(barRise(state, stats, 'A'), 40.0);
    EXPECT_EQ(barRise(state, stats, 'B'), 0.0);
    EXPECT_TRUE(isFilled(state, Subset::AllCharacters, 'A'));
    EXPECT_FALSE(isFilled(state, Subset::AllCharacters, 'B'));
}

TEST(SubsetStatistics, BarsScaleToTheLargestFrequency)
{
    FrequencyState state = countedState("AAAB");
    const SubsetStatistics stats = computeSubsetStatistics(state, Subset::AllCharacters);
    EXPECT_EQ(state.charFreqs['A'], 0.75f);
    EXPECT_EQ(state.charFreqs['B'], 0.25f);
    EXPECT_EQ(stats.maxFreq, 0.75);
    EXPECT_EQ(barRise(state, stats, 'A'), 40.0);
    EXPECT_NEAR(barRise(state, stats, 'B'), 13.333333, 1e-5);
}

struct HelloRow {
    Subset subset;
    std::int32_t selected;
    float h, e, l;
    double maxFreq;
};

std::ostream& operator<<(std::ostream& out, const HelloRow& row)
{
    return out << "subset " << static_cast<int>(row.subset);
}

class HelloSubsets : public testing::TestWithParam<HelloRow> {};

TEST_P(HelloSubsets, OnlyTheSubsetIsCounted)
{
    const HelloRow row = GetParam();
    FrequencyState state = countedState("Hello");
    const SubsetStatistics stats = computeSubsetStatistics(state, row.subset);
    EXPECT_EQ(stats.selectedChars, row.selected);
    EXPECT_EQ(state.charFreqs['H'], row.h);
    EXPECT_EQ(state.charFreqs['e'], row.e);
    EXPECT_EQ(state.charFreqs['l'], row.l);
    EXPECT_EQ(stats.maxFreq, row.maxFreq);
    EXPECT_EQ(isFilled(state, row.subset, 'e'), row.e > 0);
}

INSTANTIATE_TEST_SUITE_P(
    Subsets, HelloSubsets,
    testing::Values(HelloRow{Subset::UpperCaseOnly, 1, 1.0f, 0, 0, 1.0},
                    HelloRow{Subset::PrintableOnly, 5, 0.2f, 0.2f, 0.4f, double(0.4f)},
                    HelloRow{Subset::AllCharacters, 5, 0.2f, 0.2f, 0.4f, double(0.4f)},
                    HelloRow{Subset::None, 0, 0, 0, 0, 0}));

TEST(SubsetStatistics, PrintableLeavesControlCodesOut)
{
    FrequencyState state = countedState("\r\nAB");
    const SubsetStatistics stats = computeSubsetStatistics(state, Subset::PrintableOnly);
    EXPECT_EQ(stats.selectedChars, 2);
    EXPECT_EQ(state.charFreqs['A'], 0.5f);
    EXPECT_EQ(state.charFreqs['\r'], 0.0f);
    EXPECT_FALSE(isFilled(state, Subset::PrintableOnly, '\n'));
}

TEST(SubsetStatistics, EmptySubsetComputesNothing)
{
    FrequencyState lower = countedState("abcxyz");
    const SubsetStatistics stats = computeSubsetStatistics(lower, Subset::UpperCaseOnly);
    EXPECT_EQ(stats.selectedChars, 0);
    EXPECT_EQ(stats.maxFreq, 0.0);
    for (int i = 0; i < 256; ++i)
        EXPECT_FALSE(isFilled(lower, Subset::UpperCaseOnly, i));

    FrequencyState empty = countedState("");
    EXPECT_EQ(computeSubsetStatistics(empty, Subset::AllCharacters).selectedChars, 0);
}

TEST(SubsetStatistics, ARareValueIsStillFilled)
{
    FrequencyState state = countedState(std::string(20'000, 'x') + "Q");
    computeSubsetStatistics(state, Subset::AllCharacters);
    EXPECT_TRUE(isFilled(state, Subset::AllCharacters, 'Q'));
    EXPECT_GT(state.charFreqs['Q'], 0.0f);
}

} // namespace
