// Runs on a screen of twice the pixel density (QT_SCALE_FACTOR=2).
#include "help_window_fixture.h"

#include <QApplication>
#include <QIcon>
#include <QImage>

namespace {

using DenseScreen = HelpWindowTest;

TEST_F(DenseScreen, PictureBoxesShowTheDoubleSizePictures)
{
    ASSERT_EQ(qApp->devicePixelRatio(), 2.0);
    const std::pair<PictureBox*, QSize> boxes[] = {{help->AmazonLink, {120, 90}},
                                                   {help->Picture1, {139, 474}}};
    for (const auto& [box, size] : boxes) {
        const QPixmap shown = box->pixmap();
        EXPECT_EQ(shown.devicePixelRatio(), 2.0);
        EXPECT_EQ(shown.size(), size * 2);
        EXPECT_EQ(shown.deviceIndependentSize(), QSizeF(size));
    }
}

// Crisp: the badge's own @2x pixels on screen, not the small picture blown up.
TEST_F(DenseScreen, BadgeIsPaintedFromItsDoubleSizePixels)
{
    const QImage shown = help->AmazonLink->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QImage dense =
        QImage(QStringLiteral(":/store-badge@2x.png")).convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(shown.size(), QSize(258, 194));
    int differing = 0;
    for (int y = 0; y < dense.height(); ++y)
        for (int x = 0; x < dense.width(); ++x)
            differing += shown.pixel(x, y) != dense.pixel(x, y);
    EXPECT_EQ(differing, 0);
}

TEST_F(DenseScreen, IconAndPointerComeInDoubleSize)
{
    EXPECT_TRUE(help->windowIcon().availableSizes().contains(QSize(64, 64)));
    const QPixmap hand = help->AmazonLink->cursor().pixmap();
    EXPECT_EQ(hand.size(), QSize(64, 64));
    EXPECT_EQ(help->AmazonLink->cursor().hotSpot(), QPoint(6, 0));
}

} // namespace
