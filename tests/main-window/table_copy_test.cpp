#include "table_copy.h"
#include "window_fixture.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QMenu>

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
    ASSERT_EQ(menu->actions().size(), 1);
    EXPECT_EQ(menu->actions().front()->text(), "Copy Table");
    menu->actions().front()->trigger();
    menu->close();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), tableAsText(*window));
}

INSTANTIATE_TEST_SUITE_P(Places, TableCopyMenuTest, testing::ValuesIn(kMenuRows),
                         [](const auto& row) { return std::string(row.param.label); });

} // namespace
