#include "report_test.h"

#include "scope_exit.h"

#include <QButtonGroup>
#include <QFile>
#include <QLocale>
#include <fstream>
#include <map>

namespace {

using SavedReportTest = ReportTest;

const QByteArray kTableHead = "Code    Hex     Character Count  Character Frequency\r\n"
                              "-----------------------------------------------------\r\n";

// The 256 rows with count and frequency where given, empty elsewhere.
QByteArray rows(const std::map<int, std::pair<QByteArray, QByteArray>>& filled = {})
{
    QByteArray out;
    for (int code = 0; code <= 255; ++code) {
        const auto found = filled.find(code);
        const auto [count, frequency] =
            found == filled.end() ? std::pair<QByteArray, QByteArray>() : found->second;
        out += QByteArray::number(code) + '\t' + QByteArray::number(code, 16).toUpper().rightJustified(2, '0') +
               '\t' + count + "\t         " + frequency + "\r\n";
    }
    return out;
}

TEST_F(SavedReportTest, HelloWithAToZIsWrittenByteForByte)
{
    calculate(writeFile("hello", "Hello"), 1);
    save(QStringLiteral("report.txt"));
    EXPECT_TRUE(messages.shown.empty());
    const QByteArray expected = "Tallivor by quorvex.example\r\n"
                                "\r\n"
                                "File:    \t" + QFile::encodeName(pathIn("hello")) + "\r\n"
                                "Total Chars:    5\r\n"
                                "\r\n"
                                "Datasubset:     A-Z Only\r\n"
                                "Subset Chars:   1\r\n"
                                "\r\n" + kTableHead + rows({{72, {"1", "1"}}});
    EXPECT_EQ(bytesOf(pathIn("report.txt")), expected);
    EXPECT_EQ(reportLines(expected).size(), 266);
}

TEST_F(SavedReportTest, AnEmptyDatasetSavedBeforeAnyCalculationShowsTheInitialTexts)
{
    save(pathIn("report.txt")); // the empty-dataset question is answered Yes
    EXPECT_EQ(shownTexts(), QStringList{"Your dataset is empty.  Do you still wish to save?"});
    const QByteArray expected = "Tallivor by quorvex.example\r\n"
                                "\r\n"
                                "File:    \tSelect a source file...\r\n"
                                "Total Chars:    0\r\n"
                                "\r\n"
                                "Datasubset:     All Characters\r\n"
                                "Subset Chars:   0\r\n"
                                "\r\n" + kTableHead + rows();
    EXPECT_EQ(bytesOf(pathIn("report.txt")), expected);
}

struct LocaleCase {
    const char* name;
    QByteArray separator;
};

void PrintTo(const LocaleCase& row, std::ostream* out)
{
    *out << row.name;
}

class LocaleReportTest : public ReportTest, public testing::WithParamInterface<LocaleCase> {};

// Counts are always ASCII digits; the separator is the locale's where its
// own digits are ASCII too, else the full stop that goes with them.
TEST_P(LocaleReportTest, FrequenciesAreCopiedAsShownWithTheSeparatorOfAsciiDigits)
{
    const QLocale previous;
    const ScopeExit restore([&previous] { QLocale::setDefault(previous); });
    QLocale::setDefault(QLocale(QString::fromLatin1(GetParam().name)));
    calculate(writeFile("thirtytwo", "A" + std::string(31, 'b')));
    save(QStringLiteral("report.txt"));
    const QList<QByteArray> lines = reportLines(bytesOf(pathIn("report.txt")));
    const QByteArray& point = GetParam().separator;
    EXPECT_EQ(lines[10 + 'A'], "65\t41\t1\t         0" + point + "0312");
    EXPECT_EQ(lines[10 + 'b'], "98\t62\t31\t         0" + point + "9688");
    EXPECT_EQ(lines[3], "Total Chars:    32");
}

INSTANTIATE_TEST_SUITE_P(Locales, LocaleReportTest,
                         testing::Values(LocaleCase{"en_US", "."}, LocaleCase{"de_DE", ","},
                                         LocaleCase{"ar_EG", "."}, LocaleCase{"fa_IR", "."}),
                         [](const auto& row) { return std::string(row.param.name); });

TEST_F(SavedReportTest, TheSourcePathIsWrittenAsTheBytesThatNameTheFile)
{
    const std::string name = "my file \xC3\xA9t\xC3\xA9.txt"; // "my file été.txt" in UTF-8
    calculate(writeFile(name, "abc"));
    save(QStringLiteral("report.txt"));
    const QByteArray line = reportLines(bytesOf(pathIn("report.txt")))[2];
    ASSERT_TRUE(line.startsWith("File:    \t"));
    const QByteArray written = line.mid(10);
    EXPECT_EQ(written.toStdString(), (dir / name).string());
    EXPECT_TRUE(std::ifstream(written.toStdString()).good());
}

TEST_F(SavedReportTest, SourceAndOptionAreThoseShownAtSavingWithTheEarlierNumbers)
{
    calculate(writeFile("ab", "AB"), 1);
    window->optSubset(2).setChecked(true);
    window->txtSourceFile->setText(QStringLiteral("  somewhere else "));
    save(QStringLiteral("report.txt"));
    const QList<QByteArray> lines = reportLines(bytesOf(pathIn("report.txt")));
    EXPECT_EQ(lines[2], "File:    \t  somewhere else ");
    EXPECT_EQ(lines[3], "Total Chars:    2");
    EXPECT_EQ(lines[5], "Datasubset:     A-Z + Printable Chars, No Extended Chars");
    EXPECT_EQ(lines[6], "Subset Chars:   2");
    EXPECT_EQ(lines[10 + 'A'], "65\t41\t1\t         0.5");
}

TEST_F(SavedReportTest, WithNoOptionSelectedTheSubsetLineIsLeftOut)
{
    calculate(writeFile("ab", "AB"));
    QButtonGroup* group = window->optSubset(0).group();
    group->setExclusive(false);
    for (std::int16_t i = 0; i <= 2; ++i)
        window->optSubset(i).setChecked(false);
    save(QStringLiteral("report.txt"));
    const QList<QByteArray> lines = reportLines(bytesOf(pathIn("report.txt")));
    ASSERT_EQ(lines.size(), 265);
    EXPECT_EQ(lines[4], "");
    EXPECT_EQ(lines[5], "Subset Chars:   2");
    EXPECT_EQ(lines[7], "Code    Hex     Character Count  Character Frequency");
    EXPECT_EQ(lines[264], "255\tFF\t\t         ");
}

} // namespace
