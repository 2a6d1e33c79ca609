// What a screen reader is told of the main window, read through QAccessible
// as the platform's bridge reads it.
#include "screen_readers.h"
#include "frequency_table_widget.h"
#include "label.h"
#include "window_fixture.h"

#include <QAccessible>
#include <QApplication>
#include <QKeyEvent>
#include <QPushButton>
#include <QLocale>
#include <private/qguiapplication_p.h>
#include <qpa/qplatformaccessibility.h>
#include <qpa/qplatformintegration.h>
#include <algorithm>
#include <optional>
#include <vector>

namespace {

struct Heard {
    QAccessible::Event type;
    QAccessibleInterface* source;
    QString detail;
};

std::vector<Heard> heard;

// Keeps the events of the labels, the table and the graph; other widgets' own events (focus, text typed into the path box)
// belong to Qt.
void record(QAccessibleEvent* event)
{
    if (event->object() && !qobject_cast<Label*>(event->object()) &&
        !qobject_cast<FrequencyTableWidget*>(event->object()) &&
        !qobject_cast<FrequencyGraphWidget*>(event->object()))
        return;
    QString detail;
    if (event->type() == QAccessible::TableModelChanged) {
        const auto* change = static_cast<QAccessibleTableModelChangeEvent*>(event);
        detail = QStringLiteral("%1 rows %2-%3 columns %4-%5")
                     .arg(change->modelChangeType())
                     .arg(change->firstRow())
                     .arg(change->lastRow())
                     .arg(change->firstColumn())
                     .arg(change->lastColumn());
    } else {
        detail = event->accessibleInterface()->text(QAccessible::Name);
    }
    heard.push_back({event->type(), event->accessibleInterface(), detail});
}

// Qt tells of changes only while a screen reader listens; the offscreen
// platform has no bridge to one, so the test plays it.
void setListening(bool listening)
{
    QGuiApplicationPrivate::platformIntegration()->accessibility()->setActive(listening);
}

bool hasControlCharacter(const QString& text)
{
    return std::any_of(text.begin(), text.end(), [](QChar c) {
        return c.unicode() < 0x20 || (c.unicode() >= 0x7F && c.unicode() < 0xA0);
    });
}

class ScreenReaderTest : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        heard.clear();
        previous_ = QAccessible::installUpdateHandler(record);
        setListening(true);
        form = QAccessible::queryAccessibleInterface(window.get());
        for (int i = 0; i < form->childCount(); ++i)
            if (form->child(i)->role() == QAccessible::Table)
                tables.push_back(form->child(i));
        ASSERT_EQ(tables.size(), 1u);
        table = tables.front()->tableInterface();
        ASSERT_NE(table, nullptr);
    }
    void TearDown() override
    {
        setListening(false);
        QAccessible::installUpdateHandler(previous_);
        WindowTest::TearDown();
    }

    QString cell(int row, int column, QAccessible::Text text = QAccessible::Name) const
    {
        return table->cellAt(row, column)->text(text);
    }
    static QAccessibleInterface* of(Label& label) { return QAccessible::queryAccessibleInterface(&label); }

    QAccessibleInterface* form = nullptr;
    std::vector<QAccessibleInterface*> tables;
    QAccessibleTableInterface* table = nullptr;

private:
    QAccessible::UpdateHandler previous_ = nullptr;
};

TEST_F(ScreenReaderTest, TheWholeTableIsOneTableOf256RowsAndFiveHeadedColumns)
{
    EXPECT_EQ(table->rowCount(), 256);
    EXPECT_EQ(table->columnCount(), 5);
    const QStringList headers = {"Code", "Hex", "Character", "Count", "Frequency"};
    for (int column = 0; column < 5; ++column) {
        const auto heads = table->cellAt(0, column)->tableCellInterface()->columnHeaderCells();
        ASSERT_EQ(heads.size(), 1);
        EXPECT_EQ(heads.front()->role(), QAccessible::ColumnHeader);
        EXPECT_EQ(heads.front()->text(QAccessible::Name), headers[column]);
        EXPECT_EQ(table->columnDescription(column), headers[column]);
    }
    // The cells live in the table, not beside the bars.
    EXPECT_LT(form->childCount(), 300);

    QAccessibleInterface* hex = table->cellAt(65, 1);
    EXPECT_EQ(hex->role(), QAccessible::Cell);
    EXPECT_EQ(hex->parent(), tables.front());
    EXPECT_EQ(tables.front()->child(tables.front()->indexOfChild(hex)), hex);
    EXPECT_EQ(hex->tableCellInterface()->rowIndex(), 65);
    EXPECT_EQ(hex->tableCellInterface()->columnIndex(), 1);
    EXPECT_EQ(hex->rect(), window->screenRect(window->lblASCIIHex(65).pixelBounds()));
    const QPoint middle = hex->rect().center();
    EXPECT_EQ(form->childAt(middle.x(), middle.y()), tables.front());
    EXPECT_EQ(tables.front()->childAt(middle.x(), middle.y()), hex);
    EXPECT_EQ(hex->text(QAccessible::Name), "41");
    EXPECT_EQ(hex->text(QAccessible::Description), "Hex of code 65");
    const auto rowHeads = hex->tableCellInterface()->rowHeaderCells();
    ASSERT_EQ(rowHeads.size(), 1);
    EXPECT_EQ(rowHeads.front()->text(QAccessible::Name), "65");
}

TEST_F(ScreenReaderTest, CellsReadWhatTheyShowBeforeAndAfterACalculation)
{
    // A blank cell reads as blank, with nothing to describe.
    EXPECT_EQ(cell(65, 3), "");
    EXPECT_EQ(cell(65, 3, QAccessible::Description), "");
    EXPECT_EQ(table->rowDescription(65), "65, hex 41, A, no count");

    calculate(writeFile("a", "AAAB"));
    EXPECT_EQ(cell(65, 3), "3");
    EXPECT_EQ(cell(65, 3, QAccessible::Description), "Count of code 65");
    EXPECT_EQ(cell(65, 4), "0.75");
    EXPECT_EQ(table->rowDescription(65), "65, hex 41, A, count 3, frequency 0.75");
    EXPECT_EQ(table->rowDescription(67), "67, hex 43, C, no count");

    calculate(writeFile("a", "AAAB"), 2);
    EXPECT_EQ(table->rowDescription(66), "66, hex 42, B, count 1, frequency 0.25");
    calculate(writeFile("b", ""));
    EXPECT_EQ(cell(65, 3), "");
}

TEST_F(ScreenReaderTest, EachCalculationIsAnnouncedInOneBatchAndSpokenInOneSentence)
{
    const QString path = writeFile("a", "AAAB");
    for (int round = 1; round <= 2; ++round) {
        heard.clear();
        calculate(path);
        // The notification joins the window's children when it first speaks.
        const std::size_t created = round == 1 ? 1 : 0;
        ASSERT_EQ(heard.size(), 7u + created) << round;
        EXPECT_EQ(heard[0].type, QAccessible::TableModelChanged);
        EXPECT_EQ(heard[0].source, tables.front());
        EXPECT_EQ(heard[0].detail, QStringLiteral("%1 rows 0-255 columns 3-4")
                                       .arg(QAccessibleTableModelChangeEvent::DataChanged));
        const std::pair<Label*, const char*> totals[] = {
            {window->lblTotalChars, "4"}, {window->lblSelectedChars, "4"}, {window->lblMaxFreq, "0.75"}};
        for (std::size_t i = 0; i < 3; ++i) {
            EXPECT_EQ(heard[i + 1].type, QAccessible::NameChanged);
            EXPECT_EQ(heard[i + 1].source, of(*totals[i].first));
            EXPECT_EQ(heard[i + 1].detail, totals[i].second);
        }
        EXPECT_EQ(heard[4].type, QAccessible::DescriptionChanged);
        EXPECT_EQ(heard[4].source, QAccessible::queryAccessibleInterface(window->frequencyGraph));

        QAccessibleInterface* notification = screenReaders(*window).announcement();
        ASSERT_NE(notification, nullptr);
        EXPECT_EQ(notification->role(), QAccessible::Notification);
        EXPECT_EQ(notification->parent(), form);
        EXPECT_EQ(form->child(form->indexOfChild(notification)), notification);
        if (created) {
            EXPECT_EQ(heard[5].type, QAccessible::ObjectCreated);
        }
        EXPECT_EQ(heard[5 + created].type, QAccessible::NameChanged);
        EXPECT_EQ(heard[6 + created].type, QAccessible::ObjectShow);
        EXPECT_EQ(heard[6 + created].source, notification);
        EXPECT_EQ(heard[6 + created].detail, "4 bytes read, 4 selected, largest frequency 0.75");
    }
    calculate(writeFile("one", "a"), 1);
    EXPECT_EQ(screenReaders(*window).announcement()->text(QAccessible::Name),
              "1 byte read, 0 selected, largest frequency 0");
}

TEST_F(ScreenReaderTest, CharactersAreReadByNameAndNoTextHoldsAControlCharacter)
{
    const std::pair<int, QString> characters[] = {
        {0, "NUL"},  {9, "HT"},    {10, "LF"},    {31, "US"},   {32, "space"},
        {65, "A"},   {127, "DEL"}, {128, "€"},    {129, "HOP"}, {160, "no-break space"},
        {173, "soft hyphen"},      {233, "é"},
    };
    for (const auto& [code, name] : characters)
        EXPECT_EQ(cell(code, 2), name) << code;

    calculate(writeFile("all", [] {
        std::string every;
        for (int code = 0; code < 256; ++code)
            every += char(code);
        return every;
    }()));
    QStringList texts;
    for (int row = 0; row < 256; ++row) {
        texts << table->rowDescription(row);
        for (int column = 0; column < 5; ++column)
            texts << cell(row, column) << cell(row, column, QAccessible::Description);
    }
    for (int i = 0; i < form->childCount(); ++i)
        texts << form->child(i)->text(QAccessible::Name)
              << form->child(i)->text(QAccessible::Description);
    for (const QString& text : texts)
        ASSERT_FALSE(hasControlCharacter(text)) << text.toStdString();
}

TEST_F(ScreenReaderTest, TotalsBarsAndGraphTellTheirValuesAndDecorationIsLeftOut)
{
    QAccessibleInterface* total = of(*window->lblTotalChars);
    QAccessibleInterface* largest = of(*window->lblMaxFreq);
    EXPECT_EQ(total->text(QAccessible::Name), "0");
    EXPECT_EQ(largest->text(QAccessible::Name), "Largest frequency");
    EXPECT_EQ(form->indexOfChild(window->frequencyGraph->accessibleBar(65)), -1);
    calculate(writeFile("a", "AAAB"));
    // Totals read the numbers they show, labelled by their captions; read-only
    // labels have no value to change.
    EXPECT_EQ(total->text(QAccessible::Name), "4");
    EXPECT_EQ(largest->text(QAccessible::Name), "0.75");
    EXPECT_EQ(largest->text(QAccessible::Description), "Largest frequency");
    EXPECT_EQ(total->valueInterface(), nullptr);
    EXPECT_EQ(largest->valueInterface(), nullptr);
    // Found under the pointer in front of the strip it lies on.
    window->show();
    EXPECT_EQ(form->childAt(total->rect().center().x(), total->rect().center().y()), total);
    const auto labelledBy = total->relations(QAccessible::Label);
    ASSERT_EQ(labelledBy.size(), 1);
    EXPECT_EQ(labelledBy.front().first, of(*window->lblTotal));
    const auto labels = of(*window->lblSelected)->relations(QAccessible::Labelled);
    ASSERT_EQ(labels.size(), 1);
    EXPECT_EQ(labels.front().first, of(*window->lblSelectedChars));

    // Raised bars are read with their values; bars at rest are not read.
    EXPECT_EQ(window->frequencyGraph->accessibleBar(65)->valueInterface()->currentValue().toDouble(), 0.75);
    EXPECT_NE(form->indexOfChild(window->frequencyGraph->accessibleBar(65)), -1);
    EXPECT_EQ(form->indexOfChild(window->frequencyGraph->accessibleBar(67)), -1);
    {
        // Captions there carry ASCII digits and a full stop.
        const QLocale previous;
        QLocale::setDefault(QLocale(QStringLiteral("ar_EG")));
        calculate(writeFile("a", "AAAB"));
        EXPECT_EQ(window->frequencyGraph->accessibleBar(65)->valueInterface()->currentValue().toDouble(), 0.75);
        QLocale::setDefault(previous);
    }
    QAccessibleInterface* graph = QAccessible::queryAccessibleInterface(window->frequencyGraph);
    EXPECT_EQ(graph->role(), QAccessible::Graphic);
    EXPECT_EQ(graph->text(QAccessible::Description),
              "Largest frequencies: A (code 65) 0.75, B (code 66) 0.25");

    // Every child a reader walks says something: the strip's background,
    // the blank strip label and the empty legend cells are not walked.
    for (int i = 0; i < form->childCount(); ++i)
        EXPECT_FALSE(form->child(i)->text(QAccessible::Name).trimmed().isEmpty()) << i;
    for (Label* decoration : {window->lblToolbarBackground, window->Label3, &window->Label1(0)})
        EXPECT_EQ(form->indexOfChild(of(*decoration)), -1);
}

// The table as a focus stop: which key moves the current cell where, and
// what a screen reader hears of it.
struct TableKey {
    const char* name;
    TableCell from;
    int key;
    Qt::KeyboardModifiers modifiers;
    std::optional<TableCell> to; // nothing: the key is not the table's
};

class TableKeyTest : public ScreenReaderTest, public testing::WithParamInterface<TableKey> {
protected:
    void SetUp() override
    {
        ScreenReaderTest::SetUp();
        focus = qobject_cast<FrequencyTableWidget*>(tables.front()->object());
        ASSERT_NE(focus, nullptr);
        window->show();
        window->activateWindow();
        focus->setFocus(Qt::TabFocusReason);
        QApplication::processEvents();
    }
    FrequencyTableWidget* focus = nullptr;
};

TEST_P(TableKeyTest, MovesTheCurrentCellAndTellsOfTheFocusedCell)
{
    const TableKey& row = GetParam();
    ASSERT_TRUE(focus->hasFocus());
    focus->setCurrent(row.from);
    heard.clear();
    QKeyEvent press(QEvent::KeyPress, row.key, row.modifiers);
    QApplication::sendEvent(focus, &press);

    EXPECT_EQ(press.isAccepted(), row.to.has_value());
    const TableCell to = row.to.value_or(row.from);
    EXPECT_EQ(focus->current(), to);
    QAccessibleInterface* cell = table->cellAt(to.row, to.column);
    EXPECT_TRUE(cell->state().focused);
    EXPECT_TRUE(cell->tableCellInterface()->isSelected());
    EXPECT_EQ(tables.front()->focusChild(), cell);
    EXPECT_EQ(table->selectedCells(), QList<QAccessibleInterface*>{cell});
    const bool moved = !(to == row.from);
    ASSERT_EQ(heard.size(), moved ? 1u : 0u);
    if (moved) {
        EXPECT_EQ(heard[0].type, QAccessible::Focus);
        EXPECT_EQ(heard[0].source, cell);
        EXPECT_FALSE(table->cellAt(row.from.row, row.from.column)->state().focused);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Keys, TableKeyTest,
    testing::Values(
        TableKey{"DownToTheNextCode", {65, 1}, Qt::Key_Down, Qt::NoModifier, TableCell{66, 1}},
        TableKey{"UpToThePreviousCode", {65, 1}, Qt::Key_Up, Qt::NoModifier, TableCell{64, 1}},
        TableKey{"UpStopsAtCode0", {0, 1}, Qt::Key_Up, Qt::NoModifier, TableCell{0, 1}},
        TableKey{"DownStopsAtCode255", {255, 1}, Qt::Key_Down, Qt::NoModifier, TableCell{255, 1}},
        TableKey{"RightToTheNextColumn", {65, 3}, Qt::Key_Right, Qt::NoModifier, TableCell{65, 4}},
        TableKey{"RightStopsAtFrequency", {65, 4}, Qt::Key_Right, Qt::NoModifier, TableCell{65, 4}},
        TableKey{"LeftStopsAtCode", {65, 0}, Qt::Key_Left, Qt::NoModifier, TableCell{65, 0}},
        TableKey{"HomeToTheRowsCode", {65, 3}, Qt::Key_Home, Qt::NoModifier, TableCell{65, 0}},
        TableKey{"EndToTheRowsFrequency", {65, 0}, Qt::Key_End, Qt::NoModifier, TableCell{65, 4}},
        TableKey{"CtrlHomeToTheFirstCell", {65, 3}, Qt::Key_Home, Qt::ControlModifier, TableCell{0, 0}},
        TableKey{"CtrlEndToTheLastCell", {65, 1}, Qt::Key_End, Qt::ControlModifier, TableCell{255, 4}},
        TableKey{"PageDownToTheNextBlock", {65, 2}, Qt::Key_PageDown, Qt::NoModifier, TableCell{117, 2}},
        TableKey{"PageDownStopsAtCode255", {230, 2}, Qt::Key_PageDown, Qt::NoModifier, TableCell{255, 2}},
        TableKey{"PageUpToThePreviousBlock", {65, 2}, Qt::Key_PageUp, Qt::NoModifier, TableCell{13, 2}},
        TableKey{"PageUpStopsAtCode0", {10, 2}, Qt::Key_PageUp, Qt::NoModifier, TableCell{0, 2}},
        TableKey{"KeypadDown", {65, 1}, Qt::Key_Down, Qt::KeypadModifier, TableCell{66, 1}},
        TableKey{"ShiftDownIsNotAMove", {65, 1}, Qt::Key_Down, Qt::ShiftModifier, std::nullopt},
        TableKey{"CtrlDownIsNotAMove", {65, 1}, Qt::Key_Down, Qt::ControlModifier, std::nullopt},
        TableKey{"ALetterIsNotAMove", {65, 1}, Qt::Key_A, Qt::NoModifier, std::nullopt}),
    [](const testing::TestParamInfo<TableKey>& row) { return std::string(row.param.name); });

// Reaching the table tells of its current cell too, once Qt has told of the
// table; leaving it takes the focus and the mark away and changes nothing
// the table shows.
TEST_F(ScreenReaderTest, TheCurrentCellIsFocusedAndMarkedOnlyWhileTheTableHasTheFocus)
{
    auto* focus = qobject_cast<FrequencyTableWidget*>(tables.front()->object());
    window->show();
    window->activateWindow();
    QApplication::processEvents();
    const QImage unfocused = window->grab().toImage();
    focus->setCurrent({65, 3});
    EXPECT_EQ(window->grab().toImage(), unfocused);
    EXPECT_FALSE(table->cellAt(65, 3)->state().focused);
    EXPECT_EQ(tables.front()->focusChild(), nullptr);

    heard.clear();
    focus->setFocus(Qt::TabFocusReason);
    QApplication::processEvents();
    ASSERT_EQ(heard.size(), 2u);
    EXPECT_EQ(heard[0].type, QAccessible::Focus);
    EXPECT_EQ(heard[0].source, tables.front());
    EXPECT_EQ(heard[1].type, QAccessible::Focus);
    EXPECT_EQ(heard[1].source, table->cellAt(65, 3));
    EXPECT_TRUE(tables.front()->state().focused);

    // The mark goes round the cell, just outside it.
    const QRect bounds = window->lblASCIICount(65).pixelBounds().toAlignedRect();
    const QImage marked = window->grab().toImage();
    const QColor highlight = focus->palette().color(QPalette::Active, QPalette::Highlight);
    EXPECT_EQ(marked.pixelColor(bounds.center().x(), bounds.top() - 1), highlight);
    EXPECT_EQ(marked.pixelColor(bounds.left() - 1, bounds.center().y()), highlight);
    EXPECT_EQ(marked.pixelColor(bounds.center()), unfocused.pixelColor(bounds.center()));

    window->btnCalcFrequency->setFocus(Qt::TabFocusReason);
    QApplication::processEvents();
    EXPECT_EQ(window->grab().toImage(), unfocused);
    EXPECT_FALSE(table->cellAt(65, 3)->state().focused);
}

TEST_F(ScreenReaderTest, TheOptionsAreOneGroupNamedForWhatTheyChoose)
{
    QAccessibleInterface* group = QAccessible::queryAccessibleInterface(&window->optSubset(1))->parent();
    EXPECT_EQ(group->role(), QAccessible::Grouping);
    EXPECT_EQ(group->text(QAccessible::Name), "Characters counted");
    ASSERT_EQ(group->childCount(), 3);
    for (std::int16_t i = 0; i < 3; ++i)
        EXPECT_EQ(group->child(i)->object(), &window->optSubset(i));
    EXPECT_EQ(group->parent(), form);
}

// The web address takes the focus after the table and reads as the link it is.
TEST_F(ScreenReaderTest, TheWebAddressIsAFocusableLink)
{
    QAccessibleInterface* link = of(*window->lblQuorvex);
    EXPECT_NE(form->indexOfChild(link), -1);
    EXPECT_TRUE(link->state().focusable);
    window->show();
    window->activateWindow();
    window->lblQuorvex->setFocus(Qt::TabFocusReason);
    QApplication::processEvents();
    EXPECT_TRUE(link->state().focused);
    EXPECT_EQ(link->role(), QAccessible::Link);
    EXPECT_EQ(link->text(QAccessible::Name), "Maker's home page: quorvex.example");
}

} // namespace
