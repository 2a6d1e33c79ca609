#include "character_captions.h"
#include "window_fixture.h"

#include <QRadioButton>

namespace {

using TableTest = WindowTest;

TEST_F(TableTest, HasExactly256RowsAndBars)
{
    EXPECT_EQ(FrequencyTableModel::kRows, 256);
    EXPECT_EQ(FrequencyTableModel::columnCount(), 5);
    EXPECT_EQ(window->lnFreq.count(), 256);
    // 256 x 5 cells + 256 bars, none of them a widget of its own.
    EXPECT_LT(window->findChildren<QWidget*>().size(), 40);
}

TEST_F(TableTest, PlacesRowsInFiveBlocksOnTheWindowsPixels)
{
    struct Cell {
        int code;
        int topTwips;
        int leftTwips;
    };
    // Rows start at 1229 twips, 150 twips apart, blocks 2072 twips apart;
    // 15 twips to a pixel.
    const Cell cells[] = {
        {0, 1229, 0},        {51, 1229 + 51 * 150, 0},     {52, 1229, 2072},
        {65, 1229 + 13 * 150, 2072}, {104, 1229, 2 * 2072}, {207, 1229 + 51 * 150, 3 * 2072},
        {208, 1229, 4 * 2072}, {255, 1229 + 47 * 150, 4 * 2072},
    };
    for (const Cell& cell : cells) {
        const QRectF bounds = window->lblASCII(cell.code).pixelBounds();
        EXPECT_NEAR(bounds.top(), cell.topTwips / 15.0, 0.01) << cell.code;
        EXPECT_NEAR(bounds.left(), cell.leftTwips / 15.0, 0.01) << cell.code;
        EXPECT_NEAR(bounds.height(), 10.0, 0.01) << cell.code;
        EXPECT_EQ(window->lblASCIIFreq(cell.code).pixelBounds().top(), bounds.top());
    }
    const int lefts[] = {0, 249, 498, 704, 1560};
    const int widths[] = {249, 249, 224, 855, 495};
    for (int column = 0; column < 5; ++column) {
        const QRectF bounds = window->frequencyTable->cellRect(65, column);
        EXPECT_NEAR(bounds.left(), (2072 + lefts[column]) / 15.0, 0.01) << column;
        EXPECT_NEAR(bounds.width(), widths[column] / 15.0, 0.01) << column;
    }
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
        ASSERT_EQ(FrequencyTableWidget::blockColor(code), expected) << code;
        ASSERT_TRUE(window->lblASCIICount(code).Caption().isEmpty()) << code;
    }
}

TEST_F(TableTest, BarsRestSideBySideUnderTheGraph)
{
    EXPECT_EQ(window->state.barBaseY, 49);
    for (const int j : {0, 1, 100, 255}) {
        const BarHandle bar = window->lnFreq(j);
        EXPECT_NEAR(bar.X1(), 57.83f + 3.0f * j, 0.006) << j;
        EXPECT_EQ(bar.X2(), bar.X1());
        EXPECT_NEAR(bar.Y1(), 58.61f, 0.006);
        EXPECT_EQ(bar.Y2(), 49.0f);
        EXPECT_EQ(bar.BorderWidth(), 3);
        EXPECT_EQ(bar.BorderColor(), 0xC00000u);
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

TEST(VisibleTextTest, ControlCodesArePaintedAsVisiblePictures)
{
    EXPECT_EQ(visibleText(QString(QChar(0))), QString(QChar(0x2400)));
    EXPECT_EQ(visibleText(QStringLiteral("\n")), QString(QChar(0x240A)));
    EXPECT_EQ(visibleText(QString(QChar(0x7F))), QString(QChar(0x2421)));
    EXPECT_EQ(visibleText(QString(QChar(0x81))), QString(QChar(0xFFFD)));
    EXPECT_EQ(visibleText(QStringLiteral("a&<")), "a&<");
}
