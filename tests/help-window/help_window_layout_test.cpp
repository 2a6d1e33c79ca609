#include "help_window_fixture.h"
#include "screen_readers.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QKeyEvent>
#include <QScrollBar>

namespace {

using HelpLayoutTest = HelpWindowTest;

constexpr std::uint32_t kLinkColor = 0xC000C0; // RGB 192, 0, 192

TEST_F(HelpLayoutTest, WindowIsFixedWhiteAndTopLevel)
{
    EXPECT_EQ(help->windowTitle(), "Tallivor Help");
    EXPECT_EQ(help->size(), QSize(472, 422));
    EXPECT_EQ(help->minimumSize(), help->maximumSize());
    EXPECT_FALSE(help->windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(help->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(help->windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_TRUE(help->isWindow());
    EXPECT_EQ(help->BackColor(), 0xFFFFFFu);
    EXPECT_EQ(help->scale().twipsPerUnitX, 1.0);
    EXPECT_EQ(help->scale().twipsPerUnitY, 1.0);
}

struct PlacedLabel {
    Label* frmHelp::*label;
    const char* caption;
    float left, top, width, height;
    int pixelSize;
    bool opaque;
};

TEST_F(HelpLayoutTest, LabelsSitAtTheirDesignedTwipsInTheirStyles)
{
    const PlacedLabel labels[] = {
        {&frmHelp::Label1, "Tallivor v1.5", 120, 120, 4695, 495, 16, false},
        {&frmHelp::Label2, "quorvex.example", 2400, 480, 2415, 495, 16, false},
        {&frmHelp::Label3, "Registration", 3360, 1080, 1455, 255, 13, true},
        {&frmHelp::Label5, "Instructions", 1680, 3120, 3135, 255, 13, true},
        {&frmHelp::Label4, "Warranty and Liability", 1680, 5040, 3135, 255, 13, true},
    };
    for (const PlacedLabel& expected : labels) {
        const Label& label = *(help.get()->*expected.label);
        SCOPED_TRACE(expected.caption);
        EXPECT_EQ(label.Caption(), expected.caption);
        // The help window works in twips, 15 to a pixel.
        EXPECT_EQ(label.pixelBounds(), QRectF(expected.left / 15, expected.top / 15,
                                              expected.width / 15, expected.height / 15));
        EXPECT_EQ(label.font().family(), "Verdana");
        EXPECT_EQ(label.font().pixelSize(), expected.pixelSize);
        EXPECT_TRUE(label.font().bold());
        EXPECT_EQ(label.alignment(), Label::Alignment::Right);
        EXPECT_EQ(label.Opaque(), expected.opaque);
        if (expected.opaque) {
            EXPECT_EQ(label.BackColor(), 0xFFFFFFu);
        }
    }
    EXPECT_EQ(help->Label2->ForeColor(), kLinkColor);
}

TEST_F(HelpLayoutTest, WindowedControlsSitAtTheirDesignedPixels)
{
    const std::pair<QWidget*, QRect> placed[] = {
        {help->AmazonLink, QRect(8, 88, 129, 97)},  {help->Text2, QRect(136, 88, 193, 113)},
        {help->Text3, QRect(8, 224, 321, 113)},     {help->Text1, QRect(0, 352, 329, 57)},
        {help->Picture1, QRect(336, 0, 137, 473)},
    };
    for (const auto& [widget, rect] : placed)
        EXPECT_EQ(widget->geometry(), rect) << widget->accessibleName().toStdString();
}

TEST_F(HelpLayoutTest, TextBoxesAreBorderlessInVerdana)
{
    for (QPlainTextEdit* box : {help->Text1, help->Text2, help->Text3}) {
        EXPECT_EQ(box->font().family(), "Verdana");
        EXPECT_EQ(box->font().pixelSize(), 11);
        EXPECT_EQ(box->frameShape(), QFrame::NoFrame);
    }
}

void type(QWidget* target, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier,
          const QString& text = {})
{
    QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
    QApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, key, modifiers, text);
    QApplication::sendEvent(target, &release);
}

TEST_F(HelpLayoutTest, TypingPastingAndCuttingChangeNoText)
{
    QApplication::clipboard()->setText(QStringLiteral("pasted"));
    for (QPlainTextEdit* box : {help->Text1, help->Text2, help->Text3}) {
        SCOPED_TRACE(box->accessibleName().toStdString());
        const QString before = box->toPlainText();
        EXPECT_TRUE(box->isReadOnly());
        type(box, Qt::Key_End, Qt::ControlModifier);
        type(box, Qt::Key_X, Qt::NoModifier, QStringLiteral("x"));
        type(box, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
        type(box, Qt::Key_Home, Qt::ControlModifier);
        type(box, Qt::Key_Delete);
        type(box, Qt::Key_V, Qt::ControlModifier);
        type(box, Qt::Key_A, Qt::ControlModifier);
        type(box, Qt::Key_Backspace);
        type(box, Qt::Key_X, Qt::ControlModifier);
        EXPECT_EQ(box->toPlainText(), before);
    }
}

TEST_F(HelpLayoutTest, TextCanBeSelectedAndScrolledThrough)
{
    help->show();
    QApplication::processEvents();
    QPlainTextEdit* box = help->Text1;
    type(box, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(box->textCursor().selectedText().size(), box->toPlainText().size());
    QApplication::clipboard()->clear();
    type(box, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), box->toPlainText());

    // The warranty is longer than its box: the keyboard brings the end into view.
    ASSERT_GT(box->verticalScrollBar()->maximum(), 0);
    type(box, Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(box->verticalScrollBar()->value(), box->verticalScrollBar()->maximum());
}

TEST_F(HelpLayoutTest, FocusStartsInTheWarrantyAndFollowsTheDesignedOrder)
{
    help->show();
    help->activateWindow();
    QApplication::processEvents();
    EXPECT_EQ(QApplication::focusWidget(), help->Text1);
    // The web address comes after the designed order.
    QWidget* const expected[] = {help->Text2, help->Text3, help->Picture1, help->AmazonLink,
                                 help->Label2, help->Text1};
    for (QWidget* next : expected) {
        type(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), next) << next->accessibleName().toStdString();
    }
}

TEST_F(HelpLayoutTest, ControlsThatTakeFocusHaveAccessibleNames)
{
    for (auto* widget : help->findChildren<QWidget*>()) {
        if (widget->focusPolicy() != Qt::NoFocus) {
            const QString name = QAccessible::queryAccessibleInterface(widget)->text(QAccessible::Name);
            EXPECT_FALSE(name.isEmpty()) << widget->metaObject()->className();
        }
    }
    EXPECT_EQ(help->Label2->accessibleText(), "Maker's home page: quorvex.example");
}

TEST_F(HelpLayoutTest, PaintsWhiteWithTheRuleInLinkColour)
{
    help->Label2->setCaption(QString()); // the rule alone, without the address's letters
    const QImage image = help->grab().toImage();
    EXPECT_EQ(image.pixelColor(2, 2), QColor(Qt::white));
    EXPECT_EQ(image.pixelColor(330, 300), QColor(Qt::white)); // between Text3 and Picture1
    for (int x : {170, 250, 318}) {
        int ruleRows = 0;
        for (int y = 40; y < 60; ++y) {
            const QColor color = image.pixelColor(x, y);
            if (color == QColor(192, 0, 192))
                ++ruleRows;
            else
                EXPECT_EQ(color, QColor(Qt::white)) << x << "," << y;
        }
        EXPECT_EQ(ruleRows, 2) << x;
        EXPECT_EQ(image.pixelColor(x, 49), QColor(192, 0, 192)) << x;
    }
    EXPECT_EQ(image.pixelColor(166, 49), QColor(Qt::white)); // left of the rule
    EXPECT_EQ(image.pixelColor(322, 49), QColor(Qt::white)); // right of it
}

} // namespace
