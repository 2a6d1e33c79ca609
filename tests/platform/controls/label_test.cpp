#include "colors.h"
#include "design.h"
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

TEST(LabelTest, LiesWhereItsDesignInTheFormsUnitsPutsIt)
{
    Form form(kScale, 200, 100);
    EXPECT_NEAR(form.scale().unitsFromTwipsY(1229), 100.04, 0.005);
    EXPECT_NEAR(form.scale().unitsFromTwipsX(249), 20.00, 0.005);
    const Label& label = designLabel(form, 150, 300, 450, 150, QStringLiteral("A & <b>B</b>"));
    EXPECT_NEAR(label.pixelBounds().left(), 10.0, 1e-4);
    EXPECT_NEAR(label.pixelBounds().top(), 20.0, 1e-4);
    EXPECT_TRUE(QRectF(label.geometry()).contains(label.pixelBounds()));
    EXPECT_EQ(label.Caption(), "A & <b>B</b>");
}

TEST(LabelTest, OpaqueLabelsPaintTheirBackgroundAndTransparentOnesDoNot)
{
    Form form(kTwipScale, 60, 20);
    form.setBackColor(bgrFromRgb(224, 224, 224));
    auto* opaque = new Label(form, QRectF(0, 0, 20, 20));
    opaque->setBackColor(bgrFromRgb(10, 20, 30));
    auto* clear = new Label(form, QRectF(30, 0, 20, 20));
    clear->setOpaque(false);
    clear->setBackColor(bgrFromRgb(200, 0, 0));
    const QImage image = form.grab().toImage();
    EXPECT_EQ(image.pixelColor(5, 5), QColor(10, 20, 30));
    EXPECT_EQ(image.pixelColor(35, 5), QColor(224, 224, 224));

    opaque->setVisible(false);
    EXPECT_EQ(form.grab().toImage().pixelColor(5, 5), QColor(224, 224, 224));
}

// Labels are the form's painted background: behind every other control,
// even one made before them, and in the order they were made among
// themselves.
TEST(LabelTest, LaterLabelsPaintInFrontAndAllBehindTheControls)
{
    Form form(kTwipScale, 40, 20);
    auto* button = new QWidget(&form);
    button->setGeometry(20, 0, 20, 20);
    button->setAutoFillBackground(true);
    button->setPalette(QPalette(QColor(0, 0, 255)));
    auto* below = new Label(form, QRectF(0, 0, 40, 20));
    auto* above = new Label(form, QRectF(0, 0, 30, 20));
    below->setBackColor(bgrFromRgb(255, 0, 0));
    above->setBackColor(bgrFromRgb(0, 255, 0));
    sendPaintedBehind(form);
    const QImage image = form.grab().toImage();
    EXPECT_EQ(image.pixelColor(10, 10), QColor(0, 255, 0));
    EXPECT_EQ(image.pixelColor(25, 10), QColor(0, 0, 255));
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
// motion, and gives way to the window's hourglass wherever the pointer is.
TEST_P(PointerMoveTest, ShowsTheHandOverTheLinkOnly)
{
    const PointerMove& row = GetParam();
    Form form(kTwipScale, 200, 100);
    auto* link = new Label(form, QRectF(10, 10, 60, 20));
    link->makeLink(QCursor(Qt::PointingHandCursor));
    link->setOnClick([] {});
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
    form.setMousePointer(Form::Hourglass);
    EXPECT_EQ(form.windowHandle()->cursor().shape(), Qt::WaitCursor);
    form.setMousePointer(Form::Arrow);
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
    new Line(form, QPointF(20, 30), QPointF(20, 10), 0xC00000, 3);
    const QImage image = form.grab().toImage();
    EXPECT_EQ(image.pixelColor(20, 20), QColor(0, 0, 192));
    EXPECT_EQ(image.pixelColor(25, 20), QColor(255, 255, 255));
    EXPECT_EQ(image.pixelColor(20, 35), QColor(255, 255, 255));
}

} // namespace
