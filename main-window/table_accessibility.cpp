// What screen readers are told of the frequency table, the bars and the
// totals, and how they hear of a calculation.
#include "frm_main.h"

#include "accessible_table.h"
#include "character_captions.h"

#include <QAccessible>
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
    QString cellDescription(int row, int column) const override
    {
        if (column == Code)
            return columnHeaders()[Code];
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

void frmMain::describeForScreenReaders()
{
    frequencyTable_ = addAccessibleTable(std::make_unique<FrequencyTableSource>(*this));
    for (std::int16_t i = 0; i <= 255; ++i) {
        Line& bar = lnFreq(i);
        bar.setName(QStringLiteral("Bar of code %1").arg(i));
        bar.accessible().valueShownBy = &lblASCIIFreq(i);
        bar.accessible().maximumValue = 1.0;
    }
    describeGraph();
}

// The graph read as one picture: the codes of its three tallest bars.
void frmMain::describeGraph()
{
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

// Screen readers hear of a calculation once: one change of the table's count
// and frequency columns, one of each total and one of the graph, rather than
// one for each of the hundreds of labels and bars that changed.
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
    for (const Label* total : {lblTotalChars, lblSelectedChars, lblMaxFreq}) {
        QAccessibleInterface* shown = accessibleFor(*total);
        QAccessibleValueChangeEvent changed(shown, shown->valueInterface()->currentValue());
        QAccessible::updateAccessibility(&changed);
    }
    QAccessibleEvent graph(accessibleFor(*Label2), QAccessible::DescriptionChanged);
    QAccessible::updateAccessibility(&graph);
}
