#include "text_forms.h"

#include "messages.h"

#include <gtest/gtest.h>

#include <cmath>
#include <ostream>

namespace {

TEST(CountText, IsPlainDigits)
{
    EXPECT_EQ(countText(0), "0");
    EXPECT_EQ(countText(7), "7");
    EXPECT_EQ(countText(2'100'000'000), "2100000000");
}

TEST(HexText, IsTwoUpperCaseDigits)
{
    EXPECT_EQ(hexText(0), "00");
    EXPECT_EQ(hexText(10), "0A");
    EXPECT_EQ(hexText(171), "AB");
    EXPECT_EQ(hexText(255), "FF");
}

struct FrequencyRow {
    float value;
    const char* text;
};

std::ostream& operator<<(std::ostream& out, const FrequencyRow& row)
{
    return out << row.text;
}

class FrequencyTexts : public testing::TestWithParam<FrequencyRow> {};

TEST_P(FrequencyTexts, RoundsTheStoredFloatHalfToEven)
{
    EXPECT_EQ(frequencyText(GetParam().value, "."), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Values, FrequencyTexts,
    testing::Values(FrequencyRow{0.0f, "0"}, FrequencyRow{1.0f, "1"},
                    FrequencyRow{0.25f, "0.25"}, FrequencyRow{0.75f, "0.75"},
                    FrequencyRow{0.12345678f, "0.1235"}, FrequencyRow{0.0001f, "0.0001"},
                    FrequencyRow{1.0f / 32, "0.0312"},  // exact tie, even digit stays
                    FrequencyRow{3.0f / 32, "0.0938"},  // exact tie, odd digit goes up
                    FrequencyRow{float(1.0 / 20000), "0"},      // the float lies below 0.00005
                    FrequencyRow{float(11.0 / 20000), "0.0005"}, // 0.00055 as a float is below the tie
                    FrequencyRow{float(1.0 / 20001), "0"}, FrequencyRow{0.2f, "0.2"},
                    FrequencyRow{0.4f, "0.4"}, FrequencyRow{0.99996f, "1"},
                    FrequencyRow{0.99994f, "0.9999"}, FrequencyRow{float(1.0 / 2'100'000'000), "0"},
                    FrequencyRow{std::nextafter(1.0f, 0.0f), "1"}));

TEST(FrequencyText, UsesTheGivenDecimalSeparator)
{
    EXPECT_EQ(frequencyText(0.25f, ","), "0,25");
    EXPECT_EQ(frequencyText(1.0f, ","), "1");
    EXPECT_EQ(frequencyText(0.5f, "\u066B"), "0\u066B5");
}

TEST(Messages, AreWordForWord)
{
    EXPECT_STREQ(kMissingSourceMessage,
                 "Please select an input file before attempting to calculate frequencies.");
    EXPECT_STREQ(kSourceLimitMessage,
                 "Input file size exceeds this programs maximum of 2100000000 chars.  Counting "
                 "stopped at this point, but results will be valid up to this point.");
}

} // namespace
