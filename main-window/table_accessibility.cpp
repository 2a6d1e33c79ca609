// What screen readers are told of the frequency table, the bars and the
// totals, and how they hear of a calculation.
#include "frm_main.h"

#include "character_captions.h"
#include "frequency_table_accessible.h"
#include "screen_readers.h"

#include <QAccessible>
#include <QRadioButton>
#include <algorithm>
#include <array>
#include <numeric>

// The keyboard reaches the table and the web address after the designed
// order.
void frmMain::describeForScreenReaders()
{
    ScreenReaders& readers = screenReaders(*this);
    frequencyTable->setAccessibleName(QStringLiteral("Frequency table"));
    connect(frequencyTable, &FrequencyTableWidget::cellFocused, frequencyTable,
            [this] { tellCurrentCell(*frequencyTable); });
    frequencyTable_ = QAccessible::queryAccessibleInterface(frequencyTable);
    setTabOrder(&optSubset(2), frequencyTable);
    setTabOrder(frequencyTable, lblQuorvex);
    // Only the raised bars are read one by one; at rest they would say
    // nothing. They come after the largest frequency, over the graph.
    readers.addChildrenAfter(*lblMaxFreq, [this] {
        std::vector<QAccessibleInterface*> raised;
        for (int i = 0; i <= 255; ++i)
            if (state.charFreqs[std::size_t(i)] > 0)
                raised.push_back(frequencyGraph->accessibleBar(i));
        return raised;
    });
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
    frequencyGraph->setDescription(
        tallest.isEmpty() ? QStringLiteral("No bar raised")
                          : QStringLiteral("Largest frequencies: ") + tallest.join(QStringLiteral(", ")));
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
    table.setFirstColumn(FrequencyTableModel::Count);
    table.setLastColumn(FrequencyTableModel::Frequency);
    QAccessible::updateAccessibility(&table);
    for (Label* total : {lblTotalChars, lblSelectedChars, lblMaxFreq}) {
        QAccessibleEvent renamed(total, QAccessible::NameChanged);
        QAccessible::updateAccessibility(&renamed);
    }
    QAccessibleEvent graph(QAccessible::queryAccessibleInterface(frequencyGraph),
                           QAccessible::DescriptionChanged);
    QAccessible::updateAccessibility(&graph);
    screenReaders(*this).announce(resultsSentence());
}
