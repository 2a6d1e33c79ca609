#include "colors.h"
#include "form.h"
#include "label.h"
#include "line.h"
#include "option_button.h"
#include "picture_box.h"

#include <QImage>
#include <QPushButton>
#include <QTest>
#include <QWindow>
#include <gtest/gtest.h>

namespace {

constexpr FormScale kScale{12.451174, 12.285160};

TEST(LabelTest, ReadsBackExactlyWhatWasWritten)
{
    Form form(kScale, 200, 100);
    Label& label = form.add<Label>();
    label.setLeft(166.41f);
    label.setTop(100.0394f);
    label.setWidth(0.1f);
    label.setHeight(12.2098f);
    label.setCaption(QStringLiteral("A & <b>B</b>"));
    EXPECT_EQ(label.Left(), 166.41f);
    EXPECT_EQ(label.Top(), 100.0394f);
    EXPECT_EQ(label.Width(), 0.1f);
    EXPECT_EQ(label.Height(), 12.2098f);
    EXPECT_EQ(label.Caption(), "A & <b>B</b>");
}

TEST(LabelTest, ConvertsUnitsWithADifferentFactorEachWay)
{
    Form form(kScale, 200, 100);
    EXPECT_NEAR(form.scale().unitsFromTwipsY(1229), 100.04, 0.005);
    EXPECT_NEAR(form.scale().unitsFromTwipsX(249), 20.00, 0.005);
    Label& label = form.add<Label>();
    label.setLeft(form.scale().unitsFromTwipsX(150));
    label.setTop(form.scale().unitsFromTwipsY(300));
    EXPECT_NEAR(label.pixelBounds().left(), 10.0, 1e-4);
    EXPECT_NEAR(label.pixelBounds().top(), 20.0, 1e-4);
}

TEST(LabelTest, OpaqueLabelsPaintTheirBackgroundAndTransparentOnesDoNot)
{
    Form form(kTwipScale, 60, 20);
    form.setBackColor(bgrFromRgb(224, 224, 224));
    Label& opaque = form.add<Label>();
    opaque.setWidth(300);
    opaque.setHeight(300);
    opaque.setBackColor(bgrFromRgb(10, 20, 30));
    Label& clear = form.add<Label>();
    clear.setLeft(450);
    clear.setWidth(300);
    clear.setHeight(300);
    clear.setOpaque(false);
    clear.setBackColor(bgrFromRgb(200, 0, 0));
    const QImage image = form.grab().toImage();
    EXPECT_EQ(image.pixelColor(5, 5), QColor(10, 20, 30));
    EXPECT_EQ(image.pixelColor(35, 5), QColor(224, 224, 224));

    opaque.setVisible(false);
    EXPECT_EQ(form.grab().toImage().pixelColor(5, 5), QColor(224, 224, 224));
}

TEST(LabelTest, LaterControlsPaintInFront)
{
    Form form(kTwipScale, 20, 20);
    Label& below = form.add<Label>();
    Label& above = form.add<Label>();
    for (Label* label : {&below, &above}) {
        label->setWidth(300);
        label->setHeight(300);
    }
    below.setBackColor(bgrFromRgb(255, 0, 0));
    above.setBackColor(bgrFromRgb(0, 255, 0));
    EXPECT_EQ(form.grab().toImage().pixelColor(10, 10), QColor(0, 255, 0));
}

TEST(LabelTest, ControlCodesArePaintedAsVisiblePictures)
{
    EXPECT_EQ(Label::visibleText(QString(QChar(0))), QString(QChar(0x2400)));
    EXPECT_EQ(Label::visibleText(QStringLiteral("\n")), QString(QChar(0x240A)));
    EXPECT_EQ(Label::visibleText(QString(QChar(0x7F))), QString(QChar(0x2421)));
    EXPECT_EQ(Label::visibleText(QString(QChar(0x81))), QString(QChar(0xFFFD)));
    EXPECT_EQ(Label::visibleText(QStringLiteral("a&<")), "a&<");
}

struct PointerMove {
    const char* name;
    QPoint from, to; // in the form, one motion from one to the other
    bool hand;
};

void PrintTo(const PointerMove& row, std::ostream* out)
{
    *out << row.name;
}

// A link label with windowed controls 5 pixels beside and under it, and an
// option button inside a box.
constexpr QPoint kOnLink{40, 20}, kOnButton{95, 20}, kOnPicture{40, 50}, kOnOption{150, 20},
    kOnForm{150, 80};

class PointerMoveTest : public testing::TestWithParam<PointerMove> {};

// The hand shows over the link only, however far the pointer goes in one
// motion: the form hears no move over a windowed control.
TEST_P(PointerMoveTest, ShowsTheHandOverTheLinkOnly)
{
    const PointerMove& row = GetParam();
    Form form(kTwipScale, 200, 100);
    Label& link = form.add<Label>();
    link.setLeft(150);
    link.setTop(150);
    link.setWidth(900);
    link.setHeight(300);
    link.setMouseIcon(QCursor(Qt::PointingHandCursor));
    link.setOnClick([] {});
    auto* button = new QPushButton(QStringLiteral("Help"), &form);
    button->setGeometry(75, 10, 40, 20);
    auto* picture = new PictureBox(&form, QStringLiteral(":/dish.png"), QSize(150, 113));
    picture->setGeometry(10, 35, 60, 30);
    auto* box = new QWidget(&form);
    box->setGeometry(120, 10, 60, 40);
    auto* option = new OptionButton(QStringLiteral("A-Z"), box);
    option->setGeometry(0, 0, 60, 20);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));

    QTest::mouseMove(&form, row.from);
    QTest::mouseMove(&form, row.to);
    EXPECT_EQ(form.windowHandle()->cursor().shape() == Qt::PointingHandCursor, row.hand);
}

INSTANTIATE_TEST_SUITE_P(Moves, PointerMoveTest,
    testing::Values(PointerMove{"LinkToButton", kOnLink, kOnButton, false},
                    PointerMove{"LinkToPicture", kOnLink, kOnPicture, false},
                    PointerMove{"LinkToAnOptionInABox", kOnLink, kOnOption, false},
                    PointerMove{"LinkToTheFormBeside", kOnLink, kOnForm, false},
                    PointerMove{"ButtonToLink", kOnButton, kOnLink, true},
                    PointerMove{"OptionToLink", kOnOption, kOnLink, true}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(LineTest, PaintsItsBorderColourAtItsWidth)
{
    Form form(kTwipScale, 40, 40);
    form.setBackColor(0xFFFFFF);
    Line& line = form.add<Line>();
    line.setX1(300);
    line.setY1(450);
    line.setX2(300);
    line.setY2(150);
    line.setBorderWidth(3);
    line.setBorderColor(0xC00000);
    const QImage image = form.grab().toImage();
    EXPECT_EQ(image.pixelColor(20, 20), QColor(0, 0, 192));
    EXPECT_EQ(image.pixelColor(25, 20), QColor(255, 255, 255));
    EXPECT_EQ(image.pixelColor(20, 35), QColor(255, 255, 255));
}

} // namespace
