#include "frm_help.h"
#include "picture_box.h"
#include "web_addresses.h"
#include "window_fixture.h"

#include <QApplication>
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

// A click in the middle of a painted control, delivered to its form.
void clickLabel(Form& form, const LightweightControl& control)
{
    click(form, control.pixelBounds().center());
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

class LinkClickTest : public WindowTest, public testing::WithParamInterface<Control> {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        window->btnHelp->click();
        help = window->helpWindow();
        ASSERT_NE(help, nullptr);
    }
    frmHelp* help = nullptr;
};

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
        QWidget* owner = control.owner == Owner::Main ? static_cast<QWidget*>(window.get()) : help;
        for (const auto& request : links.requests) {
            EXPECT_EQ(request.owner, owner);
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
        Control{"Line1", [](frmMain&, frmHelp& h) { clickLabel(h, *h.Line1); }, Owner::Help,
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
