// What screen readers are told of the frequency table, the bars and the
// totals, and how they hear of a calculation.
#include "frm_main.h"

#include "accessible_table.h"
#include "character_captions.h"
#include "screen_readers.h"
#include "table_focus.h"

#include <QAccessible>
#include <QRadioButton>
#include <algorithm>
#include <array>
#include <numeric>

namespace {

enum Column { Code, Hex, Character, Count, Frequency };

class FrequencyTableSource : public AccessibleTableSource {
public:
    explicit FrequencyTableSource(const frmMain& window)
        : columns_{&window.lblASCII, &window.lblASCIIHex, &window.lblASCIIChar,
                   &window.lblASCIICount, &window.lblASCIIFreq}
    {
    }

    QString name() const override { return QStringLiteral("Frequency table"); }
    int rowCount() const override { return 256; }
    // A page is a block of the table as shown, 52 rows.
    int rowsPerPage() const override { return 52; }
    QStringList columnHeaders() const override
    {
        return {QStringLiteral("Code"), QStringLiteral("Hex"), QStringLiteral("Character"),
                QStringLiteral("Count"), QStringLiteral("Frequency")};
    }
    const Label& cell(int row, int column) const override
    {
        return (*columns_[std::size_t(column)])(std::int16_t(row));
    }
    // The character column shows control codes as pictures; it reads them by name.
    QString cellText(int row, int column) const override
    {
        return column == Character ? characterName(row) : cell(row, column).Caption();
    }
    // The code heads its row: it needs no description, and one would be
    // read again after each row.
    QString cellDescription(int row, int column) const override
    {
        if (column == Code)
            return QString();
        return QStringLiteral("%1 of code %2").arg(columnHeaders()[column]).arg(row);
    }
    // "65, hex 41, A, count 2, frequency 0.5"; "66, hex 42, B, no count".
    QString rowDescription(int row) const override
    {
        const QString known = QStringLiteral("%1, hex %2, %3")
                                  .arg(cellText(row, Code), cellText(row, Hex),
                                       cellText(row, Character));
        if (cellText(row, Count).isEmpty())
            return known + QStringLiteral(", no count");
        return known + QStringLiteral(", count %1, frequency %2")
                           .arg(cellText(row, Count), cellText(row, Frequency));
    }

private:
    std::array<const ControlArray<Label>*, 5> columns_;
};

} // namespace

// The table and the web address are painted, not designed as controls that
// take the focus: the keyboard reaches them after the designed order.
void frmMain::describeForScreenReaders()
{
    ScreenReaders& readers = screenReaders(*this);
    TableFocus& tableFocus =
        readers.addAccessibleTable(std::make_unique<FrequencyTableSource>(*this));
    frequencyTable_ = QAccessible::queryAccessibleInterface(&tableFocus);
    setTabOrder(&optSubset(2), &tableFocus);
    setTabOrder(&tableFocus, &readers.addFocusStop(*lblQuorvex));
    for (std::int16_t i = 0; i <= 255; ++i) {
        Line& bar = lnFreq(i);
        bar.setName(QStringLiteral("Bar of code %1").arg(i));
        bar.accessible().valueShownBy = &lblASCIIFreq(i);
        bar.accessible().maximumValue = 1.0;
    }
    describeGraph();
}

// The graph read as one picture: the codes of its three tallest bars. Only
// the raised bars are read one by one; at rest they would say nothing.
void frmMain::describeGraph()
{
    for (std::int16_t i = 0; i <= 255; ++i)
        lnFreq(i).setDecorative(state.charFreqs[std::size_t(i)] <= 0);
    std::array<int, 256> codes;
    std::iota(codes.begin(), codes.end(), 0);
    const auto& freqs = state.charFreqs;
    const auto taller = [&freqs](int a, int b) {
        return freqs[a] != freqs[b] ? freqs[a] > freqs[b] : a < b;
    };
    std::partial_sort(codes.begin(), codes.begin() + 3, codes.end(), taller);
    QStringList tallest;
    for (auto code = codes.begin(); code != codes.begin() + 3 && freqs[*code] > 0; ++code)
        tallest << QStringLiteral("%1 (code %2) %3")
                       .arg(characterName(*code))
                       .arg(*code)
                       .arg(lblASCIIFreq(std::int16_t(*code)).Caption());
    Label2->accessible().description =
        tallest.isEmpty() ? QStringLiteral("No bar raised")
                          : QStringLiteral("Largest frequencies: ") + tallest.join(QStringLiteral(", "));
}

// "13 bytes read, 13 selected, largest frequency 0.2308"
QString frmMain::resultsSentence() const
{
    const QString read = lblTotalChars->Caption();
    return QStringLiteral("%1 %2 read, %3 selected, largest frequency %4")
        .arg(read, read == QLatin1String("1") ? QStringLiteral("byte") : QStringLiteral("bytes"),
             lblSelectedChars->Caption(),
             lblMaxFreq->Caption().isEmpty() ? QStringLiteral("0") : lblMaxFreq->Caption());
}

// Screen readers hear of a calculation once: one change of the table's count
// and frequency columns, one of each total and one of the graph, rather than
// one for each of the hundreds of labels and bars that changed; then the
// results are spoken in one sentence.
void frmMain::announceResults()
{
    describeGraph();
    QAccessibleTableModelChangeEvent table(frequencyTable_,
                                           QAccessibleTableModelChangeEvent::DataChanged);
    table.setFirstRow(0);
    table.setLastRow(255);
    table.setFirstColumn(Count);
    table.setLastColumn(Frequency);
    QAccessible::updateAccessibility(&table);
    ScreenReaders& readers = screenReaders(*this);
    for (const Label* total : {lblTotalChars, lblSelectedChars, lblMaxFreq}) {
        QAccessibleEvent renamed(readers.accessibleFor(*total), QAccessible::NameChanged);
        QAccessible::updateAccessibility(&renamed);
    }
    QAccessibleEvent graph(readers.accessibleFor(*Label2), QAccessible::DescriptionChanged);
    QAccessible::updateAccessibility(&graph);
    readers.announce(resultsSentence());
}
