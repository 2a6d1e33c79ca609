#include "frm_help.h"
#include "picture_box.h"
#include "window_fixture.h"

#include <QApplication>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>

namespace {

using HelpCommandTest = WindowTest;

int helpWindowsAlive()
{
    int count = 0;
    for (QWidget* widget : QApplication::topLevelWidgets())
        count += qobject_cast<frmHelp*>(widget) != nullptr;
    return count;
}

void deleteClosedWindows()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

TEST_F(HelpCommandTest, FirstClickShowsTheHelpWindowWithoutWaiting)
{
    EXPECT_EQ(window->helpWindow(), nullptr);
    window->btnHelp->click(); // returns: the window is modeless
    frmHelp* help = window->helpWindow();
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(help->isVisible());
    EXPECT_FALSE(help->isModal());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_TRUE(window->isEnabled());
    // A window of its own, not a child of the main window.
    EXPECT_TRUE(help->isWindow());
    EXPECT_EQ(help->parentWidget(), nullptr);
    EXPECT_TRUE(help->testAttribute(Qt::WA_DeleteOnClose));
}

TEST_F(HelpCommandTest, ManyClicksShowOneWindow)
{
    window->btnHelp->click();
    frmHelp* first = window->helpWindow();
    for (int i = 0; i < 4; ++i) {
        window->btnHelp->click();
        EXPECT_EQ(window->helpWindow(), first);
    }
    EXPECT_EQ(helpWindowsAlive(), 1);
    EXPECT_TRUE(first->isVisible());
}

TEST_F(HelpCommandTest, AfterClosingTheNextClickOpensAFreshWindow)
{
    window->btnHelp->click();
    QPointer<frmHelp> first = window->helpWindow();
    first->Text3->selectAll();
    first->Text3->verticalScrollBar()->setValue(first->Text3->verticalScrollBar()->maximum());
    first->AmazonLink->setFocus();
    first->close();
    deleteClosedWindows();
    EXPECT_TRUE(first.isNull());
    EXPECT_EQ(window->helpWindow(), nullptr);

    window->btnHelp->click();
    frmHelp* fresh = window->helpWindow();
    ASSERT_NE(fresh, nullptr);
    EXPECT_TRUE(fresh->isVisible());
    EXPECT_FALSE(fresh->Text3->textCursor().hasSelection());
    EXPECT_EQ(fresh->Text3->verticalScrollBar()->value(), 0);
    EXPECT_EQ(fresh->focusWidget(), fresh->Text1);
    EXPECT_EQ(helpWindowsAlive(), 1);
}

TEST_F(HelpCommandTest, ClickRightAfterClosingStillShowsAWindow)
{
    window->btnHelp->click();
    QPointer<frmHelp> closed = window->helpWindow();
    closed->close(); // deleted only when the event loop comes round
    window->btnHelp->click();
    deleteClosedWindows();
    EXPECT_TRUE(closed.isNull());
    ASSERT_NE(window->helpWindow(), nullptr);
    EXPECT_TRUE(window->helpWindow()->isVisible());
}

TEST_F(HelpCommandTest, ClosingTheMainWindowLeavesHelpOpen)
{
    window->show();
    window->btnHelp->click();
    window->close();
    ASSERT_NE(window->helpWindow(), nullptr);
    EXPECT_TRUE(window->helpWindow()->isVisible());
}

TEST_F(HelpCommandTest, MainWindowsEndTakesTheHelpWindowWithIt)
{
    window->btnHelp->click();
    QPointer<frmHelp> help = window->helpWindow();
    window.reset();
    EXPECT_TRUE(help.isNull());
}

TEST_F(HelpCommandTest, MainWindowStaysUsableWhileHelpIsOpen)
{
    window->btnHelp->click();
    window->lblQuorvex_Click();
    calculate(writeFile("a", "AB"));
    EXPECT_EQ(window->lblTotalChars->Caption(), "2");
    ASSERT_EQ(links.requests.size(), 1u);
    EXPECT_EQ(links.requests[0].owner, window.get());
    EXPECT_TRUE(window->helpWindow()->isVisible());
}

// The program ends when its last window closes: with help open, closing the
// main window is not the end; closing help then is.
TEST_F(HelpCommandTest, ProgramRunsUntilHelpClosesToo)
{
    ASSERT_TRUE(QApplication::quitOnLastWindowClosed());
    window->show();
    window->btnHelp->click();
    bool ended = false;
    bool endedBeforeHelpClosed = false;
    QObject watcher;
    QObject::connect(qApp, &QGuiApplication::lastWindowClosed, &watcher, [&] { ended = true; });
    QTimer::singleShot(0, window.get(), [&] { window->close(); });
    QTimer::singleShot(100, window->helpWindow(), [&] {
        endedBeforeHelpClosed = ended;
        window->helpWindow()->close();
    });
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, &watcher, [] { QCoreApplication::exit(1); });
    guard.start(10000);

    EXPECT_EQ(QApplication::exec(), 0);
    EXPECT_FALSE(endedBeforeHelpClosed);
    EXPECT_TRUE(ended);
}

} // namespace
