#include "control_array.h"
#include "label.h"
#include "form.h"

#include <gtest/gtest.h>

namespace {

TEST(ControlArrayTest, FindsElementsByTheirIndicesAndNoOthers)
{
    Form form(kTwipScale, 100, 100);
    ControlArray<Label> labels;
    Label& first = *new Label(form, QRectF());
    Label& third = *new Label(form, QRectF());
    labels.add(0, first);
    labels.add(2, third);

    EXPECT_EQ(&labels(0), &first);
    EXPECT_EQ(&labels(2), &third);
    EXPECT_FALSE(labels.contains(1));
    EXPECT_EQ(labels.count(), 2);
    EXPECT_THROW(labels(1), std::out_of_range);
}

} // namespace
