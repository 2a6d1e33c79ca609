#include "control_array.h"
#include "label.h"
#include "line.h"

#include <QImage>
#include <gtest/gtest.h>

namespace {

TEST(ControlArrayTest, LoadCopiesElementZeroAsItStandsHidden)
{
    Form form(kTwipScale, 100, 100);
    ControlArray<Label> labels;
    Label& first = form.add<Label>();
    labels.add(0, first);
    first.setCaption(QStringLiteral("first"));
    first.setLeft(15);
    first.setBackColor(0x123456);
    labels.Load(form, 1);
    first.setCaption(QStringLiteral("changed later"));

    EXPECT_EQ(labels(1).Caption(), "first");
    EXPECT_EQ(labels(1).Left(), 15.0f);
    EXPECT_EQ(labels(1).BackColor(), 0x123456u);
    EXPECT_FALSE(labels(1).Visible());
    EXPECT_EQ(labels.count(), 2);
    EXPECT_THROW(labels.Load(form, 1), std::logic_error);
    EXPECT_THROW(labels(7), std::out_of_range);
}

TEST(ControlArrayTest, LoadedElementsPaintWithTheirArray)
{
    Form form(kTwipScale, 20, 20);
    ControlArray<Line> lines;
    Line& line = form.add<Line>();
    line.setX1(150);
    line.setX2(150);
    line.setY1(0);
    line.setY2(300);
    line.setBorderWidth(5);
    line.setBorderColor(0xFF0000);
    lines.add(0, line);
    Label& cover = form.add<Label>();
    cover.setWidth(300);
    cover.setHeight(150);
    cover.setBackColor(0x00FF00);
    lines.Load(form, 1);
    lines(1).setVisible(true);
    lines(1).setBorderColor(0x0000FF);
    // The copy is painted right after the array's element, behind the label.
    const QImage image = form.grab().toImage();
    EXPECT_EQ(image.pixelColor(10, 5), QColor(0, 255, 0));
    EXPECT_EQ(image.pixelColor(10, 15), QColor(255, 0, 0));
}

} // namespace
