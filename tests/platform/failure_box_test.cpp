#include "message_box.h"
#include "save_messages.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QMessageBox>
#include <QProxyStyle>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
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

using Answer = MessageBox::Answer;

// How the user answers a box.
enum class Gesture { Click, ReturnKey, CloseBox };

struct AnswerStep {
    Buttons buttons;
    Gesture gesture;
    QMessageBox::StandardButton clicked; // for Click
    Answer answer;
};

// The boxes are kept and shown again: each time they open with their first
// button focused and default, whichever had the focus before, only what is
// pressed then counts, and the text is the one given then.
TEST(QtMessageBoxTest, BoxesShownAgainOpenOnTheirFirstButtonAndAnswerWhatIsPressedThisTime)
{
    const AnswerStep steps[] = {
        {Buttons::YesNo, Gesture::Click, QMessageBox::Yes, Answer::Yes},
        {Buttons::YesNo, Gesture::CloseBox, {}, Answer::No},
        {Buttons::Ok, Gesture::Click, QMessageBox::Ok, Answer::Ok},
        {Buttons::YesNo, Gesture::Click, QMessageBox::No, Answer::No},
        {Buttons::YesNo, Gesture::ReturnKey, {}, Answer::Yes},
        {Buttons::Ok, Gesture::CloseBox, {}, Answer::Ok},
        {Buttons::YesNo, Gesture::Click, QMessageBox::No, Answer::No},
        {Buttons::Ok, Gesture::ReturnKey, {}, Answer::Ok},
        {Buttons::YesNo, Gesture::ReturnKey, {}, Answer::Yes},
    };
    QWidget owner;
    owner.show();
    QtMessageBox boxes;
    int step = 0;
    for (const AnswerStep& row : steps) {
        const QString text = QStringLiteral("Message %1").arg(++step);
        QString shown;
        QAbstractButton* focused = nullptr;
        QAbstractButton* first = nullptr;
        QPushButton* byDefault = nullptr;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            EXPECT_TRUE(QTest::qWaitForWindowActive(box));
            shown = box->text();
            first = box->buttons().constFirst();
            focused = qobject_cast<QAbstractButton*>(QApplication::focusWidget());
            byDefault = box->defaultButton();
            switch (row.gesture) {
            case Gesture::Click: QTest::mouseClick(box->button(row.clicked), Qt::LeftButton); break;
            case Gesture::ReturnKey: QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return); break;
            case Gesture::CloseBox: box->close(); break;
            }
            if (box->isVisible()) {
                ADD_FAILURE() << "the box did not take the answer";
                box->close();
            }
        });
        EXPECT_EQ(boxes.MsgBox(&owner, text, row.buttons), row.answer) << text.toStdString();
        EXPECT_EQ(shown, text);
        ASSERT_NE(first, nullptr);
        EXPECT_EQ(focused, first) << text.toStdString();
        EXPECT_EQ(byDefault, first) << text.toStdString();
    }
    EXPECT_EQ(owner.findChildren<QMessageBox*>().size(), 2);
}

} // namespace
