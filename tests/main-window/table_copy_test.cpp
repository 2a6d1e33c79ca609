#include "table_copy.h"
#include "window_fixture.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QLocale>
#include <QMenu>
#include <QTest>

namespace {

using TableCopyTest = WindowTest;

QMenu* openMenu()
{
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* menu = qobject_cast<QMenu*>(widget); menu && menu->isVisible())
            return menu;
    return nullptr;
}

TEST_F(TableCopyTest, TableOfASmallFileAsTabSeparatedLines)
{
    calculate(writeFile("small", std::string("AAB\0", 4)), 0);
    const QStringList lines = tableAsText(*window).split(u'\n');
    ASSERT_EQ(lines.size(), 1 + 256 + 3 + 1);
    EXPECT_EQ(lines.back(), QString()) << "the last line ends in LF too";
    EXPECT_EQ(lines[0], "Code\tHex\tCharacter\tCount\tFrequency");
    EXPECT_EQ(lines[1 + 0], "0\t00\tNUL\t1\t0.25");
    EXPECT_EQ(lines[1 + 9], "9\t09\tHT\t\t");
    EXPECT_EQ(lines[1 + 32], "32\t20\tspace\t\t");
    EXPECT_EQ(lines[1 + 65], "65\t41\tA\t2\t0.5");
    EXPECT_EQ(lines[1 + 66], "66\t42\tB\t1\t0.25");
    EXPECT_EQ(lines[1 + 128], QStringLiteral("128\t80\t\u20AC\t\t"));
    EXPECT_EQ(lines[1 + 255], QStringLiteral("255\tFF\t\u00FF\t\t"));
    EXPECT_EQ(lines[257], "Total Chars\t4");
    EXPECT_EQ(lines[258], "Selected\t4");
    EXPECT_EQ(lines[259], "Largest frequency\t0.5");
    EXPECT_FALSE(tableAsText(*window).contains(u'\r'));
}

QString statisticsOf(frmMain& window)
{
    const auto figures = window.statisticsOfCount();
    return figures ? statisticsAsText(window.state.totalChars, *figures) : QString();
}

TEST_F(TableCopyTest, StatisticsAsNameAndValueLines)
{
    EXPECT_EQ(statisticsOf(*window), "Total Chars\t0\nEntropy\t\nChi-square\t\nChi-square percent\t\n"
                                     "Mean\t\nMonte Carlo pi\t\nSerial correlation\t\n")
        << "nothing counted yet";

    // The subset does not matter: the figures are of every byte read.
    calculate(writeFile("small", "AAAB"), 1);
    QStringList lines = statisticsOf(*window).split(u'\n');
    ASSERT_EQ(lines.size(), 7 + 1);
    EXPECT_EQ(lines[0], "Total Chars\t4");
    EXPECT_EQ(lines[1], "Entropy\t0.8112781244591328");
    EXPECT_EQ(lines[2], "Chi-square\t636");
    ASSERT_TRUE(lines[3].startsWith("Chi-square percent\t")) << lines[3].toStdString();
    EXPECT_LT(lines[3].section(u'\t', 1).toDouble(), 1e-20);
    EXPECT_EQ(lines[4], "Mean\t65.25");
    EXPECT_EQ(lines[5], "Monte Carlo pi\t") << "fewer than 6 bytes";
    EXPECT_EQ(lines[6], "Serial correlation\t-0.3333333333333333");
    EXPECT_EQ(lines[7], QString());

    // In the locale's decimal separator, as the table's frequencies.
    const QLocale previous;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    lines = statisticsOf(*window).split(u'\n');
    QLocale::setDefault(previous);
    EXPECT_EQ(lines[1], "Entropy\t0,8112781244591328");
    EXPECT_EQ(lines[4], "Mean\t65,25");
    EXPECT_TRUE(messages.shown.empty());
}

// The figures need the bytes in order, so the file is counted again: one
// that has changed since gives none, and says so.
TEST_F(TableCopyTest, StatisticsOfAFileChangedSinceItWasCounted)
{
    const QString path = writeFile("small", "AAAB");
    calculate(path, 0);
    writeFile("small", "AABA");
    EXPECT_EQ(window->statisticsOfCount(), std::nullopt) << "the same counts in another order";
    ASSERT_EQ(messages.shown.size(), std::size_t(1));
    EXPECT_EQ(messages.shown.front().text, kChangedSinceCountedMessage);
    EXPECT_EQ(messages.shown.front().text,
              "The source file has changed since it was counted.  Calculate Frequencies again to copy its "
              "statistics.");

    calculate(path, 0);
    ASSERT_TRUE(window->statisticsOfCount().has_value());
    EXPECT_EQ(window->statisticsOfCount()->serialCorrelation, -1.0 / 3);
    writeFile("small", "");
    EXPECT_TRUE(window->statisticsOfCount().has_value()) << "worked out once a calculation";
    EXPECT_EQ(messages.shown.size(), std::size_t(1));
}

// Where a right click offers "Copy Table": over the table, the graph and the
// totals; elsewhere the window has no menu of its own.
struct MenuRow {
    const char* label;
    std::function<QPointF(const frmMain&)> point;
    bool offered;
};

const MenuRow kMenuRows[] = {
    {"TableCell", [](const frmMain& w) { return w.lblASCIIFreq(200).pixelBounds().center(); }, true},
    {"TableCode", [](const frmMain& w) { return w.lblASCII(0).pixelBounds().center(); }, true},
    {"Graph", [](const frmMain& w) { return w.frequencyGraph->picture().center(); }, true},
    {"GraphLegend", [](const frmMain& w) { return w.lblGraphMenu(0).pixelBounds().center(); }, true},
    {"Totals", [](const frmMain& w) { return w.lblSelectedChars->pixelBounds().center(); }, true},
    {"ProgramName", [](const frmMain& w) { return w.lblTallivor->pixelBounds().center(); }, false},
    {"SourceCaption", [](const frmMain& w) { return w.lblSourceFile->pixelBounds().center(); }, false},
};

void PrintTo(const MenuRow& row, std::ostream* out)
{
    *out << row.label;
}

class TableCopyMenuTest : public WindowTest, public testing::WithParamInterface<MenuRow> {};

TEST_P(TableCopyMenuTest, RightClickOffersCopyTableWhereTheNumbersAre)
{
    calculate(writeFile("small", "AAB"), 0);
    window->show();
    QGuiApplication::clipboard()->clear();
    const QPoint point = GetParam().point(*window).toPoint();
    QContextMenuEvent event(QContextMenuEvent::Mouse, point, window->mapToGlobal(point));
    QApplication::sendEvent(window.get(), &event);

    QMenu* menu = openMenu();
    ASSERT_EQ(menu != nullptr, GetParam().offered);
    if (!menu)
        return;
    ASSERT_EQ(menu->actions().size(), 2);
    EXPECT_EQ(menu->actions()[0]->text(), "Copy Table");
    EXPECT_EQ(menu->actions()[1]->text(), "Copy Statistics");
    menu->actions()[0]->trigger();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), tableAsText(*window));
    menu->actions()[1]->trigger();
    menu->close();
    // Only once the menu's handler has returned: the count waits in an
    // event loop, which would delete the menu under its handler.
    EXPECT_EQ(QGuiApplication::clipboard()->text(), tableAsText(*window));
    QTRY_COMPARE(QGuiApplication::clipboard()->text(), statisticsOf(*window));
}

INSTANTIATE_TEST_SUITE_P(Places, TableCopyMenuTest, testing::ValuesIn(kMenuRows),
                         [](const auto& row) { return std::string(row.param.label); });

} // namespace
