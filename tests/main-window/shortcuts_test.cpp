// Each key of the windows against what it does.
#include "frm_help.h"
#include "table_copy.h"
#include "window_fixture.h"

#include <QApplication>
#include <QClipboard>
#include <QPushButton>
#include <QTest>

namespace {

struct KeyRow {
    const char* label;
    QKeySequence keys;
    bool inHelpWindow;                // pressed there rather than in the main window
    QWidget* (*focus)(frmMain&);      // where the focus is in the main window
    std::function<bool(frmMain&, const ScriptedMessageBox&, const ScriptedFilePrompt&)> done;
};

QWidget* calculateButton(frmMain& w) { return w.btnCalcFrequency; }
QWidget* sourceBox(frmMain& w) { return w.txtSourceFile; }

bool helpShown(frmMain& w, const ScriptedMessageBox&, const ScriptedFilePrompt&)
{
    return w.helpWindow() && w.helpWindow()->isVisible();
}
bool helpClosed(frmMain& w, const ScriptedMessageBox& m, const ScriptedFilePrompt& f)
{
    return !helpShown(w, m, f) && w.isVisible();
}
bool tableCopied(frmMain& w, const ScriptedMessageBox&, const ScriptedFilePrompt&)
{
    return QGuiApplication::clipboard()->text() == tableAsText(w);
}

const KeyRow kRows[] = {
    {"F1OpensHelp", QKeySequence(Qt::Key_F1), false, calculateButton, helpShown},
    {"F1FromTheSourceBox", QKeySequence(Qt::Key_F1), false, sourceBox, helpShown},
    {"CtrlOPicksTheSource", QKeySequence(Qt::CTRL | Qt::Key_O), false, calculateButton,
     [](frmMain&, const ScriptedMessageBox&, const ScriptedFilePrompt& f) {
         return f.titles == std::vector<QString>{QStringLiteral("Source File")};
     }},
    {"CtrlSSavesWithItsQuestions", QKeySequence(Qt::CTRL | Qt::Key_S), false, calculateButton,
     [](frmMain&, const ScriptedMessageBox& m, const ScriptedFilePrompt&) {
         return !m.shown.empty() &&
                m.shown.back().text ==
                    "Please type in or select a destination file before attempting to save.";
     }},
    {"CtrlCCopiesTheTable", QKeySequence(Qt::CTRL | Qt::Key_C), false, calculateButton, tableCopied},
    {"CtrlCInATextBoxWithoutSelection", QKeySequence(Qt::CTRL | Qt::Key_C), false, sourceBox, tableCopied},
    {"CtrlQEnds", QKeySequence(Qt::CTRL | Qt::Key_Q), false, calculateButton,
     [](frmMain& w, const ScriptedMessageBox&, const ScriptedFilePrompt&) { return !w.isVisible(); }},
    {"EscapeClosesHelp", QKeySequence(Qt::Key_Escape), true, calculateButton, helpClosed},
    {"CtrlWClosesHelp", QKeySequence(Qt::CTRL | Qt::Key_W), true, calculateButton, helpClosed},
    {"CtrlQInHelpEnds", QKeySequence(Qt::CTRL | Qt::Key_Q), true, calculateButton,
     [](frmMain& w, const ScriptedMessageBox& m, const ScriptedFilePrompt& f) {
         return !helpShown(w, m, f) && !w.isVisible();
     }},
};

void PrintTo(const KeyRow& row, std::ostream* out)
{
    *out << row.label;
}

class ShortcutTest : public WindowTest, public testing::WithParamInterface<KeyRow> {};

void press(QWidget* window, const QKeySequence& keys)
{
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : window;
    QTest::keyClick(target, keys[0].key(), keys[0].keyboardModifiers());
}

TEST_P(ShortcutTest, KeyDoesWhatItsButtonDoes)
{
    const KeyRow& row = GetParam();
    calculate(writeFile("small", "AAB"), 0);
    QGuiApplication::clipboard()->clear();
    window->show();
    window->activateWindow();
    row.focus(*window)->setFocus();
    if (row.inHelpWindow) {
        window->btnHelp->click();
        press(window->helpWindow(), row.keys);
    } else {
        press(window.get(), row.keys);
    }
    EXPECT_TRUE(row.done(*window, messages, files));
}

INSTANTIATE_TEST_SUITE_P(Keys, ShortcutTest, testing::ValuesIn(kRows),
                         [](const auto& row) { return std::string(row.param.label); });

// A text box with a selection copies what is selected, not the table.
TEST_F(ShortcutTest, CtrlCInATextBoxWithASelectionCopiesTheSelection)
{
    window->show();
    window->activateWindow();
    window->txtSourceFile->setText(QStringLiteral("some/path"));
    window->txtSourceFile->setFocus();
    window->txtSourceFile->setSelection(5, 4);
    press(window.get(), QKeySequence::Copy);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "path");
}

// The keys add no access key to any caption: every button reads as designed.
TEST_F(ShortcutTest, NoCaptionChanges)
{
    for (const QPushButton* button : window->findChildren<QPushButton*>())
        EXPECT_FALSE(button->text().contains(u'&')) << button->text().toStdString();
}

} // namespace
