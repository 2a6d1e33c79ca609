#include "frequency_state.h"

#include <gtest/gtest.h>

namespace {

TEST(ClassifyCharacters, GivesEachRangeItsClass)
{
    FrequencyState state;
    classifyCharacters(state);
    const std::pair<int, int> expected[] = {
        {0, 1},   {31, 1},  {127, 1}, {32, 4},  {48, 4},  {64, 4},  {91, 4},
        {96, 4},  {97, 4},  {122, 4}, {126, 4}, {65, 3},  {90, 3},  {128, 2}, {255, 2},
    };
    for (const auto& [code, cls] : expected)
        EXPECT_EQ(state.charTypes[code], cls) << "code " << code;
    for (int i = 0; i < 256; ++i)
        EXPECT_TRUE(state.charTypes[i] >= 1 && state.charTypes[i] <= 4) << i;
}

TEST(ClearCounts, ZeroesCountsButKeepsClassesAndBarBase)
{
    FrequencyState state;
    classifyCharacters(state);
    state.barBaseY = 49;
    state.totalChars = 3;
    state.charCounts[65] = 3;
    state.charFreqs[65] = 1.0f;
    clearCounts(state);
    clearCounts(state);
    EXPECT_EQ(state.totalChars, 0);
    EXPECT_EQ(state.charCounts[65], 0);
    EXPECT_EQ(state.charFreqs[65], 0.0f);
    EXPECT_EQ(state.barBaseY, 49);
    EXPECT_EQ(state.charTypes[65], UpperCase);
}

} // namespace
