#include "frm_help.h"
#include "label.h"
#include "picture_box.h"
#include "line.h"
#include "web_addresses.h"
#include "window_fixture.h"

#include <QAccessible>
#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <functional>

namespace {

void click(QWidget& target, QPointF at)
{
    const QPointF global = target.mapToGlobal(at);
    QMouseEvent press(QEvent::MouseButtonPress, at, global, Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(&target, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, at, global, Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(&target, &release);
}

// A click at a point of the form, delivered to what lies in front there.
void clickAt(Form& form, QPointF point)
{
    QWidget* front = form.childAt(point.toPoint());
    click(front ? *front : form, front ? point - QPointF(front->mapTo(&form, QPoint())) : point);
}

// A click in the middle of a label.
void clickLabel(Form& form, const Label& label)
{
    clickAt(form, label.pixelBounds().center());
}

void clickWidget(QWidget& widget)
{
    auto* box = qobject_cast<QPlainTextEdit*>(&widget);
    QWidget& target = box ? *box->viewport() : widget;
    click(target, QRectF(target.rect()).center());
}

enum class Owner { None, Main, Help };

struct Control {
    const char* name;
    std::function<void(frmMain&, frmHelp&)> click;
    Owner owner;
    QString address;
};

class WithHelpWindow : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        window->btnHelp->click();
        help = window->helpWindow();
        ASSERT_NE(help, nullptr);
    }
    QWidget* ownerOf(Owner owner) const
    {
        return owner == Owner::Main ? static_cast<QWidget*>(window.get()) : help;
    }
    frmHelp* help = nullptr;
};

class LinkClickTest : public WithHelpWindow, public testing::WithParamInterface<Control> {};

// Each click is one request, made on behalf of the window that holds the
// control; the page opening or not shows nothing.
TEST_P(LinkClickTest, TwoClicksAreTwoRequestsOrNoneAtAll)
{
    const Control& control = GetParam();
    control.click(*window, *help);
    control.click(*window, *help);
    if (control.owner == Owner::None) {
        EXPECT_TRUE(links.requests.empty());
    } else {
        ASSERT_EQ(links.requests.size(), 2u);
        for (const auto& request : links.requests) {
            EXPECT_EQ(request.owner, ownerOf(control.owner));
            EXPECT_EQ(request.address, control.address);
        }
    }
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(window->helpWindow(), help);
}

INSTANTIATE_TEST_SUITE_P(
    Controls, LinkClickTest,
    testing::Values(
        Control{"lblQuorvex", [](frmMain& m, frmHelp&) { clickLabel(m, *m.lblQuorvex); },
                Owner::Main, makerHomePage()},
        Control{"Label2", [](frmMain&, frmHelp& h) { clickLabel(h, *h.Label2); }, Owner::Help,
                makerHomePage()},
        Control{"AmazonLink", [](frmMain&, frmHelp& h) { clickWidget(*h.AmazonLink); },
                Owner::Help, storePage()},
        Control{"Label1", [](frmMain&, frmHelp& h) { clickLabel(h, *h.Label1); }, Owner::None, {}},
        // The rule lies within the address's box, which takes the click.
        Control{"Line1", [](frmMain&, frmHelp& h) { clickAt(h, QRectF(h.Line1->geometry()).center()); }, Owner::Help,
                makerHomePage()},
        Control{"Label3", [](frmMain&, frmHelp& h) { clickLabel(h, *h.Label3); }, Owner::None, {}},
        Control{"Label4", [](frmMain&, frmHelp& h) { clickLabel(h, *h.Label4); }, Owner::None, {}},
        Control{"Label5", [](frmMain&, frmHelp& h) { clickLabel(h, *h.Label5); }, Owner::None, {}},
        Control{"Text1", [](frmMain&, frmHelp& h) { clickWidget(*h.Text1); }, Owner::None, {}},
        Control{"Text2", [](frmMain&, frmHelp& h) { clickWidget(*h.Text2); }, Owner::None, {}},
        Control{"Text3", [](frmMain&, frmHelp& h) { clickWidget(*h.Text3); }, Owner::None, {}},
        Control{"Picture1", [](frmMain&, frmHelp& h) { clickWidget(*h.Picture1); }, Owner::None,
                {}},
        Control{"window", [](frmMain&, frmHelp& h) { click(h, QPointF(2, 415)); }, Owner::None,
                {}}),
    [](const testing::TestParamInfo<Control>& row) { return std::string(row.param.name); });

struct Link {
    const char* name;
    std::function<QAccessibleInterface*(frmMain&, frmHelp&)> accessible;
    Owner owner;
    QString address;
};

class LinkActionTest : public WithHelpWindow, public testing::WithParamInterface<Link> {};

// A screen reader sees each link as a link and presses it as a click does.
TEST_P(LinkActionTest, PressActionOpensThePage)
{
    QAccessibleInterface* link = GetParam().accessible(*window, *help);
    EXPECT_EQ(link->role(), QAccessible::Link);
    ASSERT_NE(link->actionInterface(), nullptr);
    const QString press = QAccessibleActionInterface::pressAction();
    EXPECT_EQ(link->actionInterface()->actionNames().value(0), press);
    link->actionInterface()->doAction(press);
    ASSERT_EQ(links.requests.size(), 1u);
    EXPECT_EQ(links.requests[0].owner, ownerOf(GetParam().owner));
    EXPECT_EQ(links.requests[0].address, GetParam().address);
}

INSTANTIATE_TEST_SUITE_P(
    Links, LinkActionTest,
    testing::Values(
        Link{"lblQuorvex", [](frmMain& m, frmHelp&) { return QAccessible::queryAccessibleInterface(m.lblQuorvex); },
             Owner::Main, makerHomePage()},
        Link{"Label2", [](frmMain&, frmHelp& h) { return QAccessible::queryAccessibleInterface(h.Label2); }, Owner::Help,
             makerHomePage()},
        Link{"AmazonLink",
             [](frmMain&, frmHelp& h) { return QAccessible::queryAccessibleInterface(h.AmazonLink); },
             Owner::Help, storePage()}),
    [](const testing::TestParamInfo<Link>& row) { return std::string(row.param.name); });

struct FocusedLink {
    const char* name;
    std::function<QWidget*(frmMain&, frmHelp&)> focusStop;
    Owner owner;
    QString address;
};

class FocusedLinkTest : public WithHelpWindow, public testing::WithParamInterface<FocusedLink> {};

// A focused link opens its page on Space, Return and Enter, once however
// long the key is held.
TEST_P(FocusedLinkTest, KeysOpenThePage)
{
    QWidget* link = GetParam().focusStop(*window, *help);
    ASSERT_NE(link, nullptr);
    EXPECT_NE(link->focusPolicy() & Qt::TabFocus, 0);
    const auto press = [link](int key, bool autoRepeat = false) {
        QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier, QString(), autoRepeat);
        QApplication::sendEvent(link, &event);
    };
    for (int key : {Qt::Key_Space, Qt::Key_Return, Qt::Key_Enter})
        press(key);
    press(Qt::Key_Space, true);
    press(Qt::Key_A);
    ASSERT_EQ(links.requests.size(), 3u);
    for (const auto& request : links.requests) {
        EXPECT_EQ(request.address, GetParam().address);
        EXPECT_EQ(request.owner, ownerOf(GetParam().owner));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Links, FocusedLinkTest,
    testing::Values(
        FocusedLink{"lblQuorvex", [](frmMain& m, frmHelp&) -> QWidget* { return m.lblQuorvex; },
                    Owner::Main, makerHomePage()},
        FocusedLink{"Label2", [](frmMain&, frmHelp& h) -> QWidget* { return h.Label2; },
                    Owner::Help, makerHomePage()},
        FocusedLink{"AmazonLink", [](frmMain&, frmHelp& h) -> QWidget* { return h.AmazonLink; },
                    Owner::Help, storePage()}),
    [](const testing::TestParamInfo<FocusedLink>& row) { return std::string(row.param.name); });

// The decorative picture takes no keys and no press.
TEST_F(WithHelpWindow, ThePictureIsNoLink)
{
    QKeyEvent space(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier);
    QApplication::sendEvent(help->Picture1, &space);
    EXPECT_TRUE(links.requests.empty());

    QAccessibleInterface* picture = QAccessible::queryAccessibleInterface(help->Picture1);
    EXPECT_EQ(picture->role(), QAccessible::Graphic);
    EXPECT_FALSE(picture->actionInterface()->actionNames().contains(
        QAccessibleActionInterface::pressAction()));
}

// A press on the badge that is released elsewhere is no click.
TEST_F(WindowTest, PressOnTheBadgeReleasedOutsideOpensNothing)
{
    window->btnHelp->click();
    PictureBox& badge = *window->helpWindow()->AmazonLink;
    const QPointF inside = QRectF(badge.rect()).center();
    QMouseEvent press(QEvent::MouseButtonPress, inside, badge.mapToGlobal(inside), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&badge, &press);
    const QPointF outside(badge.width() + 20, 5);
    QMouseEvent release(QEvent::MouseButtonRelease, outside, badge.mapToGlobal(outside),
                        Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(&badge, &release);
    EXPECT_TRUE(links.requests.empty());
}

} // namespace
