#include "message_box.h"
#include "save_messages.h"

#include <QDialogButtonBox>
#include <QMessageBox>
#include <QProxyStyle>
#include <QPushButton>
#include <QScreen>
#include <gtest/gtest.h>

namespace {

using Buttons = MessageBox::Buttons;

struct BoxCase {
    const char* name;
    QString text;
    Buttons buttons;
    QStringList captions;
};

void PrintTo(const BoxCase& row, std::ostream* out)
{
    *out << row.name;
}

const QString kLongPath = "/home/user/" + QString(4960, 'd') + "/report.txt";

const BoxCase kBoxes[] = {
    {"Question", kOverwriteQuestion, Buttons::YesNo, {"&Yes", "&No"}},
    {"FailureWithAVeryLongPath", kWriteFailedMessage.arg(kLongPath, "No space left on device"), Buttons::Ok,
     {"OK"}},
};

// Asks for pictures on dialog buttons, as the style does on an X desktop
// but not on the offscreen platform.
class PicturedButtonsStyle : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returned) const override
    {
        return hint == SH_DialogButtonBox_ButtonsHaveIcons ||
               QProxyStyle::styleHint(hint, option, widget, returned);
    }
};

class MessageBoxLookTest : public testing::TestWithParam<BoxCase> {};

TEST_P(MessageBoxLookTest, FitsTheScreenWithBothEndsOfItsTextAndTextOnlyButtons)
{
    const BoxCase& row = GetParam();
    PicturedButtonsStyle style; // outlives the box
    QMessageBox box;
    box.findChild<QDialogButtonBox*>()->setStyle(&style);
    QtMessageBox::prepare(box, row.text, row.buttons);
    box.show();

    const QRect screen = box.screen()->availableGeometry();
    EXPECT_LE(box.frameGeometry().width(), screen.width());
    EXPECT_LE(box.frameGeometry().height(), screen.height());
    EXPECT_TRUE(box.text().startsWith(row.text.left(60))) << box.text().toStdString();
    EXPECT_TRUE(box.text().endsWith(row.text.right(40))) << box.text().toStdString();
    QStringList captions;
    for (QAbstractButton* button : box.buttons()) {
        captions << button->text();
        EXPECT_TRUE(button->icon().isNull()) << button->text().toStdString();
    }
    EXPECT_EQ(captions, row.captions);
    EXPECT_EQ(box.defaultButton(), box.buttons().constFirst());
    box.close();
}

INSTANTIATE_TEST_SUITE_P(Boxes, MessageBoxLookTest, testing::ValuesIn(kBoxes),
                         [](const auto& row) { return std::string(row.param.name); });

} // namespace
