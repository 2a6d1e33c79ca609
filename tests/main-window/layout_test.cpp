#include "screen_readers.h"
#include "window_fixture.h"

#include <QAccessible>
#include <QApplication>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace {

using LayoutTest = WindowTest;

QColor pixel(const QImage& image, int x, int y)
{
    return image.pixelColor(x, y);
}

TEST_F(LayoutTest, WindowIsFixedAtItsDesignedSize)
{
    EXPECT_EQ(window->windowTitle(), "Tallivor");
    EXPECT_EQ(window->size(), QSize(863, 680));
    EXPECT_EQ(window->minimumSize(), window->maximumSize());
    EXPECT_FALSE(window->windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(window->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(window->windowFlags() & Qt::WindowCloseButtonHint);
}

TEST_F(LayoutTest, WindowedControlsSitAtTheirDesignedPixels)
{
    const std::pair<QWidget*, QRect> placed[] = {
        {window->pictureDish, QRect(720, 0, 145, 113)},
        {window->btnCalcFrequency, QRect(728, 224, 129, 129)},
        {&window->optSubset(0), QRect(728, 376, 129, 17)},
        {&window->optSubset(2), QRect(728, 408, 129, 17)},
        {window->btnSaveFrequencies, QRect(728, 488, 129, 57)},
        {window->btnHelp, QRect(728, 560, 129, 65)},
        {window->txtSourceFile, QRect(72, 624, 441, 19)},
        {window->btnSelectSource, QRect(512, 624, 81, 19)},
        {window->txtDestinationFile, QRect(72, 648, 441, 19)},
        {window->btnSelectDestination, QRect(512, 648, 81, 19)},
    };
    for (const auto& [widget, rect] : placed)
        EXPECT_EQ(QRect(widget->mapTo(window.get(), QPoint()), widget->size()), rect)
            << widget->accessibleName().toStdString();
}

struct OptionClick {
    const char* name;
    QPoint at; // in the window
    std::int16_t selects;
};

void PrintTo(const OptionClick& row, std::ostream* out)
{
    *out << row.name;
}

class OptionClickTest : public WindowTest, public testing::WithParamInterface<OptionClick> {};

// The whole designed width of an option is the option, not only its circle
// and caption; where two overlap by a pixel, the lower one lies in front.
TEST_P(OptionClickTest, SelectsTheOptionUnderTheClick)
{
    const OptionClick& row = GetParam();
    window->optSubset(std::int16_t((row.selects + 1) % 3)).setChecked(true);
    QWidget* under = window->childAt(row.at);
    ASSERT_NE(under, nullptr);
    QTest::mouseClick(under, Qt::LeftButton, {}, under->mapFrom(window.get(), row.at));
    for (std::int16_t i = 0; i < 3; ++i)
        EXPECT_EQ(window->optSubset(i).isChecked(), i == row.selects) << i;
}

INSTANTIATE_TEST_SUITE_P(Points, OptionClickTest,
    testing::Values(OptionClick{"AZCaption", {750, 400}, 1},
                    OptionClick{"AZRightPart", {800, 400}, 1},
                    OptionClick{"AZTopRightCorner", {856, 393}, 1},
                    OptionClick{"AllCharactersRightEnd", {850, 380}, 0},
                    OptionClick{"AllCharactersTopLeftCorner", {728, 376}, 0},
                    OptionClick{"PrintableOnlyBottomRightCorner", {856, 424}, 2},
                    OptionClick{"OverlapOfAZAndPrintableOnly", {840, 408}, 2}),
    [](const auto& row) { return std::string(row.param.name); });

TEST_F(LayoutTest, StartsWithItsInitialTextsAndOption)
{
    EXPECT_TRUE(window->optSubset(0).isChecked());
    EXPECT_FALSE(window->optSubset(1).isChecked());
    EXPECT_EQ(window->optSubset(2).text(), "Printable Only");
    EXPECT_EQ(window->txtSourceFile->text(), "Select a source file...");
    EXPECT_EQ(window->txtDestinationFile->text(), "Select a destination file...");
    EXPECT_TRUE(window->txtSourceFile->placeholderText().isEmpty());
    EXPECT_EQ(window->lblTotalChars->Caption(), "0");
    EXPECT_EQ(window->lblSelectedChars->Caption(), "0");
    EXPECT_EQ(window->lblTotal->Caption(), "Total Chars:  ");
    EXPECT_EQ(window->lblSelected->Caption(), "Selected:  ");
    EXPECT_EQ(window->btnSelectSource->text(), "Select ");
    EXPECT_EQ(window->Label1(8).Caption(), "Extended Character Set");
    EXPECT_EQ(window->lblGraphMenu(0).Caption(), "Non-Printing Chars");
    EXPECT_FALSE(window->Label1.contains(5));
    EXPECT_FALSE(window->Label1.contains(7));
    for (auto* button : window->findChildren<QPushButton*>())
        EXPECT_FALSE(button->isDefault() || button->autoDefault()) << button->text().toStdString();
}

TEST_F(LayoutTest, FontsHaveTheirDesignedPixelSizes)
{
    EXPECT_EQ(window->frequencyTable->cellFont().pixelSize(), 9);
    EXPECT_EQ(window->btnCalcFrequency->font().pixelSize(), 11);
    EXPECT_TRUE(window->btnHelp->font().bold());
    EXPECT_EQ(window->lblQuorvex->font().pixelSize(), 13);
    EXPECT_TRUE(window->lblQuorvex->font().underline());
    EXPECT_EQ(window->lblTallivor->font().pixelSize(), 21);
    EXPECT_EQ(window->lblTallivor->font().family(), "Verdana");
}

// The table and the web address, which the window paints, come after the
// designed order; Tab takes one stop for the option group.
TEST_F(LayoutTest, FocusStartsOnCalculateAndFollowsTheDesignedOrder)
{
    window->show();
    window->activateWindow();
    QApplication::processEvents();
    EXPECT_EQ(QApplication::focusWidget(), window->btnCalcFrequency);
    QWidget* const expected[] = {window->btnSelectSource, window->btnHelp, window->btnSaveFrequencies,
                                 window->pictureDish, window->txtSourceFile, window->txtDestinationFile,
                                 window->btnSelectDestination, &window->optSubset(0),
                                 window->frequencyTable,
                                 window->lblQuorvex,
                                 window->btnCalcFrequency};
    for (QWidget* next : expected) {
        QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
        QApplication::sendEvent(QApplication::focusWidget(), &tab);
        ASSERT_NE(next, nullptr);
        EXPECT_EQ(QApplication::focusWidget(), next) << next->accessibleName().toStdString();
    }
}

TEST_F(LayoutTest, PaintsStripTableAndBarsInTheirColours)
{
    calculate(writeFile("a", std::string(10, 'A')));
    const QImage image = window->grab().toImage();
    EXPECT_EQ(pixel(image, 5, 5), QColor(224, 224, 224));        // window background
    EXPECT_EQ(pixel(image, 860, 500), QColor(192, 192, 192));    // strip, beside the buttons
    EXPECT_EQ(pixel(image, 360, 45), QColor(192, 192, 192));     // legend row
    EXPECT_EQ(pixel(image, 80, 90), QColor(221, 221, 221));      // block 0, code 0 count cell
    EXPECT_EQ(pixel(image, 218, 90), QColor(204, 204, 204));     // block 1
    // The bar of code 65 stands at 720 + 37.35 * 65 twips, about pixel 210,
    // and rises to 9 units, about pixel 7 from the top.
    EXPECT_EQ(pixel(image, 210, 20), QColor(0, 0, 192));
    EXPECT_EQ(pixel(image, 210, 4), QColor(224, 224, 224));
    EXPECT_EQ(pixel(image, 230, 20), QColor(224, 224, 224));     // code 72 did not rise
}

TEST_F(LayoutTest, ControlsHaveAccessibleNames)
{
    for (auto* widget : window->findChildren<QWidget*>()) {
        if (widget->focusPolicy() != Qt::NoFocus) {
            const QString name = QAccessible::queryAccessibleInterface(widget)->text(QAccessible::Name);
            EXPECT_FALSE(name.isEmpty()) << widget->metaObject()->className();
        }
    }
    QAccessibleInterface* table = QAccessible::queryAccessibleInterface(window->frequencyTable);
    EXPECT_EQ(table->tableInterface()->cellAt(65, 1)->text(QAccessible::Description), "Hex of code 65");
    EXPECT_EQ(window->Label1(4).accessibleText(), "Legend: A-Z");
}

TEST_F(LayoutTest, ScreenReadersCanWalkTheTableAndTheBars)
{
    calculate(writeFile("a", "AAAB"));
    QAccessibleInterface* form = QAccessible::queryAccessibleInterface(window.get());
    ASSERT_NE(form, nullptr);
    QStringList names;
    for (int i = 0; i < form->childCount(); ++i) {
        QAccessibleInterface* child = form->child(i);
        ASSERT_NE(child, nullptr) << i;
        EXPECT_EQ(form->indexOfChild(child), i);
        names << child->text(QAccessible::Name);
    }
    EXPECT_TRUE(names.contains("Frequency table"));
    EXPECT_TRUE(names.contains("Calculate Frequencies"));
    // Raised bars only: the others say no more than the graph does.
    EXPECT_TRUE(names.contains("Bar of code 65"));
    EXPECT_FALSE(names.contains("Bar of code 255"));
}

} // namespace
