#include "help_texts.h"
#include "help_window_fixture.h"
#include "web_addresses.h"

#include <QStringList>
#include <QTextBlock>
#include <algorithm>

namespace {

// The text's lines without their CR LF; fails unless every line, the last one
// too, ends in CR LF and no CR or LF stands alone.
QStringList crlfLines(const QString& text)
{
    EXPECT_TRUE(text.endsWith(QStringLiteral("\r\n")));
    QStringList lines = text.split(QStringLiteral("\r\n"));
    lines.removeLast();
    for (const QString& line : lines)
        EXPECT_FALSE(line.contains(u'\r') || line.contains(u'\n')) << line.toStdString();
    return lines;
}

bool plainAscii(const QString& text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) {
        return c == u'\r' || c == u'\n' || (c.unicode() >= 0x20 && c.unicode() < 0x7F);
    });
}

TEST(HelpTexts, InstructionsAreTheSevenLinesWithEveryBlank)
{
    const QString text = instructionsText();
    EXPECT_EQ(text.size(), 378);
    EXPECT_EQ(crlfLines(text),
              QStringList({"Use the select file button to select your input file.  ",
                           "This is the file containing the values that you want ",
                           "analyzed.  It must be a  file <2.1G.  After selecting ",
                           "the file, click the calculate frequency button.  ",
                           "There may be a small pause as the computer ",
                           "calculates the results.  If you wish to save your results ",
                           "select a destination file and click the save button."}));
}

TEST(HelpTexts, DistributionIsOneLineEndingInThreeBlanks)
{
    const QString text = distributionText();
    EXPECT_EQ(text.size(), 247);
    const QStringList lines = crlfLines(text);
    ASSERT_EQ(lines.size(), 1);
    EXPECT_EQ(lines[0].size(), 245);
    EXPECT_TRUE(lines[0].endsWith(QStringLiteral("   ")));
    EXPECT_NE(lines[0].at(241), u' ');
    EXPECT_TRUE(plainAscii(text));
    for (const char* point : {"free of charge", "unchanged", "store link", "I get a small share"})
        EXPECT_TRUE(text.contains(QLatin1String(point))) << point;
}

TEST(HelpTexts, WarrantyNamesProgramYearAndAddressInFourLines)
{
    const QString text = warrantyText();
    EXPECT_EQ(text.size(), 199);
    const QStringList lines = crlfLines(text);
    ASSERT_EQ(lines.size(), 4);
    EXPECT_TRUE(lines[0].contains(QStringLiteral("Tallivor")));
    EXPECT_TRUE(lines[0].contains(QStringLiteral("2003")));
    EXPECT_TRUE(lines[0].contains(QLatin1String(kMakerHost)));
    EXPECT_EQ(lines[1].trimmed(), "All rights reserved.");
    EXPECT_TRUE(lines[2].startsWith(QStringLiteral("We make no warranty of any kind")));
    EXPECT_TRUE(lines[3].endsWith(QStringLiteral("at your own risk.")));
    EXPECT_TRUE(plainAscii(text));
}

using HelpTextBoxes = HelpWindowTest;

// Each CR LF pair breaks a line, and only there: the box holds one paragraph
// per line, blanks kept, and an empty one after the final break.
TEST_F(HelpTextBoxes, ShowEachTextBrokenAtItsLineBreaks)
{
    const std::pair<QPlainTextEdit*, QString> boxes[] = {
        {help->Text1, warrantyText()},
        {help->Text2, distributionText()},
        {help->Text3, instructionsText()},
    };
    for (const auto& [box, text] : boxes) {
        const QStringList lines = crlfLines(text);
        QStringList shown;
        for (QTextBlock block = box->document()->begin(); block.isValid(); block = block.next())
            shown << block.text();
        EXPECT_EQ(shown, lines + QStringList{QString()}) << box->accessibleName().toStdString();
    }
}

} // namespace
