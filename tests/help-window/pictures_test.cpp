#include "help_window_fixture.h"

#include <QIcon>
#include <QImage>

namespace {

struct Picture {
    const char* path;
    QSize size;
};

class CompiledInPicture : public testing::TestWithParam<Picture> {};

// Each picture is in the program at its own size, with a twice as large
// @2x variant beside it for a dense screen.
TEST_P(CompiledInPicture, HasItsSizeAndADoubleSizeVariant)
{
    const Picture& picture = GetParam();
    const QString path = QString::fromLatin1(picture.path);
    EXPECT_EQ(QImage(path).size(), picture.size);
    QString dense = path;
    dense.replace(QStringLiteral(".png"), QStringLiteral("@2x.png"));
    EXPECT_EQ(QImage(dense).size(), picture.size * 2);
}

INSTANTIATE_TEST_SUITE_P(Resources, CompiledInPicture,
                         testing::Values(Picture{":/envelope.png", {32, 32}},
                                         Picture{":/dish.png", {150, 113}},
                                         Picture{":/store-badge.png", {120, 90}},
                                         Picture{":/decoration.png", {139, 474}},
                                         Picture{":/pointing-hand.png", {32, 32}}));

TEST(CompiledInPictures, IncludeTheLargeIconForTheDesktop)
{
    EXPECT_EQ(QImage(QStringLiteral(":/envelope-256.png")).size(), QSize(256, 256));
}

using HelpPictures = HelpWindowTest;

// What a picture box shows: the picture unscaled from its top-left corner,
// cut off at the box's edges, the box's background beyond the picture.
void expectShownAtOwnSize(PictureBox& box, const QString& path, const QColor& background)
{
    const QImage shown = box.grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QImage picture = QImage(path).convertToFormat(QImage::Format_RGB32);
    const int width = std::min(shown.width(), picture.width());
    const int height = std::min(shown.height(), picture.height());
    int differing = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            differing += shown.pixel(x, y) != picture.pixel(x, y);
    EXPECT_EQ(differing, 0) << path.toStdString();
    for (int y = 0; y < shown.height(); ++y)
        for (int x = width; x < shown.width(); ++x)
            ASSERT_EQ(shown.pixelColor(x, y), background) << x << "," << y;
    for (int y = height; y < shown.height(); ++y)
        for (int x = 0; x < shown.width(); ++x)
            ASSERT_EQ(shown.pixelColor(x, y), background) << x << "," << y;
}

TEST_F(HelpPictures, StoreBadgeAndDecorationAtTheirOwnSize)
{
    expectShownAtOwnSize(*help->AmazonLink, QStringLiteral(":/store-badge.png"), Qt::white);
    // The decoration is wider and taller than its box: only its top-left part shows.
    expectShownAtOwnSize(*help->Picture1, QStringLiteral(":/decoration.png"), Qt::white);
    EXPECT_EQ(help->AmazonLink->frameShape(), QFrame::NoFrame);
    EXPECT_EQ(help->Picture1->frameShape(), QFrame::NoFrame);
}

TEST_F(HelpPictures, LinksPointWithTheFingertipOfTheHand)
{
    ASSERT_TRUE(help->Label2->mouseIcon().has_value());
    for (const QCursor& cursor : {*help->Label2->mouseIcon(), help->AmazonLink->cursor()}) {
        EXPECT_EQ(cursor.shape(), Qt::BitmapCursor);
        EXPECT_EQ(cursor.hotSpot(), QPoint(6, 0));
        EXPECT_EQ(cursor.pixmap().deviceIndependentSize(), QSizeF(32, 32));
    }
    EXPECT_EQ(help->Picture1->cursor().shape(), Qt::ArrowCursor);
}

TEST_F(HelpPictures, WindowCarriesTheEnvelopeIcon)
{
    const QIcon icon = help->windowIcon();
    ASSERT_FALSE(icon.isNull());
    EXPECT_TRUE(icon.availableSizes().contains(QSize(32, 32)));
}

} // namespace
