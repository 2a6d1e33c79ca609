#include "window_fixture.h"

#include <QRadioButton>

namespace {

using TableTest = WindowTest;

TEST_F(TableTest, HasExactly256RowsAndBars)
{
    for (auto* column : {&window->lblASCII, &window->lblASCIIHex, &window->lblASCIIChar,
                         &window->lblASCIICount, &window->lblASCIIFreq})
        EXPECT_EQ(column->count(), 256);
    EXPECT_EQ(window->lnFreq.count(), 256);
    EXPECT_FALSE(window->lblASCII.contains(256));
    // 256 x 5 labels + 256 bars, none of them a widget of its own.
    EXPECT_LT(window->findChildren<QWidget*>().size(), 40);
}

TEST_F(TableTest, PlacesRowsInFiveBlocksInTheWindowsUnits)
{
    struct Cell {
        int code;
        float top;
        float asciiLeft;
    };
    // Positions in units: rows start at 1229 twips, 150 twips apart, blocks
    // 2072 twips apart; one unit is 12.451174 twips across, 12.285160 down.
    const Cell cells[] = {
        {0, 100.04f, 0.0f},      {51, 722.74f, 0.0f},     {52, 100.04f, 166.41f},
        {65, 258.77f, 166.41f},  {104, 100.04f, 332.82f}, {207, 722.74f, 499.23f},
        {208, 100.04f, 665.64f}, {255, 673.90f, 665.64f},
    };
    for (const Cell& cell : cells) {
        EXPECT_NEAR(window->lblASCII(cell.code).Top(), cell.top, 0.006) << cell.code;
        EXPECT_NEAR(window->lblASCII(cell.code).Left(), cell.asciiLeft, 0.006) << cell.code;
        EXPECT_EQ(window->lblASCIIFreq(cell.code).Top(), window->lblASCII(cell.code).Top());
    }
    const float lefts[] = {166.41f, 186.41f, 206.41f, 222.95f, 291.70f};
    const Label* row65[] = {&window->lblASCII(65), &window->lblASCIIHex(65), &window->lblASCIIChar(65),
                            &window->lblASCIICount(65), &window->lblASCIIFreq(65)};
    for (int column = 0; column < 5; ++column)
        EXPECT_NEAR(row65[column]->Left(), lefts[column], 0.006) << column;
}

TEST_F(TableTest, WritesCaptionsAndColoursEachBlock)
{
    const std::pair<int, const char*> hex[] = {{0, "00"}, {10, "0A"}, {15, "0F"}, {16, "10"}, {255, "FF"}};
    for (const auto& [code, text] : hex)
        EXPECT_EQ(window->lblASCIIHex(code).Caption(), QString::fromLatin1(text));
    EXPECT_EQ(window->lblASCII(65).Caption(), "65");
    EXPECT_EQ(window->lblASCIIChar(65).Caption(), "A");
    EXPECT_EQ(window->lblASCIIChar(9).Caption(), QString(QChar(9)));
    EXPECT_EQ(window->lblASCIIChar(128).Caption(), QString(QChar(0x20AC)));
    EXPECT_EQ(window->lblASCIIChar(233).Caption(), QString(QChar(0xE9)));
    for (int code = 0; code < 256; ++code) {
        const int block = code / 52;
        const std::uint32_t expected = block % 2 == 0 ? 0xDDDDDD : 0xCCCCCC;
        ASSERT_EQ(window->lblASCIIFreq(code).BackColor(), expected) << code;
        ASSERT_TRUE(window->lblASCIICount(code).Caption().isEmpty()) << code;
        ASSERT_TRUE(window->lblASCIIChar(code).Visible()) << code;
    }
}

TEST_F(TableTest, BarsRestSideBySideUnderTheGraph)
{
    EXPECT_EQ(window->state.barBaseY, 49);
    for (const int j : {0, 1, 100, 255}) {
        const Line& bar = window->lnFreq(j);
        EXPECT_NEAR(bar.X1(), 57.83f + 3.0f * j, 0.006) << j;
        EXPECT_EQ(bar.X2(), bar.X1());
        EXPECT_NEAR(bar.Y1(), 58.61f, 0.006);
        EXPECT_EQ(bar.Y2(), 49.0f);
        EXPECT_EQ(bar.BorderWidth(), 3);
        EXPECT_EQ(bar.BorderColor(), 0xC00000u);
        EXPECT_TRUE(bar.Visible());
    }
}

TEST_F(TableTest, ResetEmptiesTheCellsAndKeepsTheClassesAndTotals)
{
    calculate(writeFile("abc", "AAAB"));
    ASSERT_EQ(window->lblASCIICount(65).Caption(), "3");
    const float barX = window->lnFreq(200).X1();
    window->resetObjects();
    window->resetObjects();
    EXPECT_TRUE(window->lblASCIICount(65).Caption().isEmpty());
    EXPECT_TRUE(window->lblASCIIFreq(65).Caption().isEmpty());
    EXPECT_EQ(window->lnFreq(65).Y2(), 49.0f);
    EXPECT_EQ(window->lnFreq(200).X1(), barX);
    EXPECT_EQ(window->state.totalChars, 0);
    EXPECT_EQ(window->state.charCounts[65], 0);
    EXPECT_EQ(window->state.charTypes[65], UpperCase);
    EXPECT_EQ(window->lblTotalChars->Caption(), "4");
}

} // namespace
