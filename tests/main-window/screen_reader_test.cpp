// What a screen reader is told of the main window, read through QAccessible
// as the platform's bridge reads it.
#include "window_fixture.h"

#include <QAccessible>
#include <QLocale>
#include <private/qguiapplication_p.h>
#include <qpa/qplatformaccessibility.h>
#include <qpa/qplatformintegration.h>
#include <algorithm>
#include <vector>

namespace {

struct Heard {
    QAccessible::Event type;
    QAccessibleInterface* source;
    QString detail;
};

std::vector<Heard> heard;

// Keeps the events of the painted controls and the table; widgets' own
// events (focus, text typed into the path box) belong to Qt.
void record(QAccessibleEvent* event)
{
    if (event->object())
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
    } else if (event->type() == QAccessible::ValueChanged) {
        detail = static_cast<QAccessibleValueChangeEvent*>(event)->value().toString();
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
    QAccessibleInterface* of(const LightweightControl& control) const
    {
        return window->accessibleFor(control);
    }

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
    EXPECT_EQ(hex, of(window->lblASCIIHex(65)));
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
    EXPECT_EQ(cell(65, 3), "");
    EXPECT_EQ(cell(65, 3, QAccessible::Description), "Count of code 65");
    EXPECT_EQ(table->rowDescription(65), "65, hex 41, A, no count");

    calculate(writeFile("a", "AAAB"));
    EXPECT_EQ(cell(65, 3), "3");
    EXPECT_EQ(cell(65, 4), "0.75");
    EXPECT_EQ(table->rowDescription(65), "65, hex 41, A, count 3, frequency 0.75");
    EXPECT_EQ(table->rowDescription(67), "67, hex 43, C, no count");

    calculate(writeFile("a", "AAAB"), 2);
    EXPECT_EQ(table->rowDescription(66), "66, hex 42, B, count 1, frequency 0.25");
    calculate(writeFile("b", ""));
    EXPECT_EQ(cell(65, 3), "");
}

TEST_F(ScreenReaderTest, EachCalculationIsAnnouncedInOneBatch)
{
    const QString path = writeFile("a", "AAAB");
    for (int round = 1; round <= 2; ++round) {
        heard.clear();
        calculate(path);
        ASSERT_EQ(heard.size(), 5u) << round;
        EXPECT_EQ(heard[0].type, QAccessible::TableModelChanged);
        EXPECT_EQ(heard[0].source, tables.front());
        EXPECT_EQ(heard[0].detail, QStringLiteral("%1 rows 0-255 columns 3-4")
                                       .arg(QAccessibleTableModelChangeEvent::DataChanged));
        const std::pair<const Label*, const char*> totals[] = {
            {window->lblTotalChars, "4"}, {window->lblSelectedChars, "4"}, {window->lblMaxFreq, "0.75"}};
        for (std::size_t i = 0; i < 3; ++i) {
            EXPECT_EQ(heard[i + 1].type, QAccessible::ValueChanged);
            EXPECT_EQ(heard[i + 1].source, of(*totals[i].first));
            EXPECT_EQ(heard[i + 1].detail, totals[i].second);
        }
        EXPECT_EQ(heard[4].type, QAccessible::DescriptionChanged);
        EXPECT_EQ(heard[4].source, of(*window->Label2));
    }
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
    calculate(writeFile("a", "AAAB"));
    QAccessibleInterface* total = of(*window->lblTotalChars);
    EXPECT_EQ(total->text(QAccessible::Name), "Total Chars");
    // Found under the pointer in front of the strip it lies on.
    EXPECT_EQ(form->childAt(total->rect().center().x(), total->rect().center().y()), total);
    EXPECT_EQ(total->valueInterface()->currentValue().toDouble(), 4.0);
    const auto labelledBy = total->relations(QAccessible::Label);
    ASSERT_EQ(labelledBy.size(), 1);
    EXPECT_EQ(labelledBy.front().first, of(*window->lblTotal));
    const auto labels = of(*window->lblSelected)->relations(QAccessible::Labelled);
    ASSERT_EQ(labels.size(), 1);
    EXPECT_EQ(labels.front().first, of(*window->lblSelectedChars));

    EXPECT_EQ(of(window->lnFreq(65))->valueInterface()->currentValue().toDouble(), 0.75);
    EXPECT_EQ(of(window->lnFreq(67))->valueInterface()->currentValue().toDouble(), 0.0);
    {
        // Captions there carry ASCII digits and a full stop.
        const QLocale previous;
        QLocale::setDefault(QLocale(QStringLiteral("ar_EG")));
        calculate(writeFile("a", "AAAB"));
        EXPECT_EQ(of(window->lnFreq(65))->valueInterface()->currentValue().toDouble(), 0.75);
        QLocale::setDefault(previous);
    }
    QAccessibleInterface* graph = of(*window->Label2);
    EXPECT_EQ(graph->role(), QAccessible::Graphic);
    EXPECT_EQ(graph->text(QAccessible::Description),
              "Largest frequencies: A (code 65) 0.75, B (code 66) 0.25");

    // Every child a reader walks says something: the strip's background,
    // the blank strip label and the empty legend cells are not walked.
    for (int i = 0; i < form->childCount(); ++i)
        EXPECT_FALSE(form->child(i)->text(QAccessible::Name).trimmed().isEmpty()) << i;
    for (const Label* decoration : {window->lblToolbarBackground, window->Label3, &window->Label1(0)})
        EXPECT_EQ(form->indexOfChild(of(*decoration)), -1);
}

} // namespace
