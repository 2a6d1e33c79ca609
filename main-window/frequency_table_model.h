#pragma once

#include <QObject>
#include <QString>
#include <Qt>
#include <array>
#include <span>
#include <vector>

// The 256 rows of the frequency table as the window shows them: the one list
// of its columns, each with its header and its place in a block of the
// table, the text of every cell and the height of every bar of the graph.
// The table, the graph, screen readers, the copy for a spreadsheet and the
// report made from the window all read it here.
class FrequencyTableModel : public QObject {
    Q_OBJECT
public:
    enum Column { Code, Hex, Character, Count, Frequency };

    struct ColumnDesign {
        const char* header;
        // Where the column lies in a block of the table, in twips from the
        // block's left edge. The character and count columns overlap a little,
        // as designed; the later column lies in front.
        int leftTwips;
        int widthTwips;
        Qt::Alignment alignment;
    };

    static constexpr int kRows = 256;
    // The table is shown in blocks of this many rows side by side.
    static constexpr int kRowsPerBlock = 52;

    // The columns, left to right.
    static std::span<const ColumnDesign> columns();
    static int columnCount() { return int(columns().size()); }
    static QString header(int column);

    // Fills the code, hex and character columns and empties the others.
    FrequencyTableModel();

    // What a cell shows; a character as it is, control codes included.
    QString text(int row, int column) const;
    void setText(int row, int column, const QString& text);
    // What a screen reader or a spreadsheet is given: what the cell shows,
    // with a character by its name, so that no control code gets through.
    QString readableText(int row, int column) const;

    // Where the bar of a code ends at the top, in the window's units down:
    // the lower, the taller the bar.
    float barTop(int code) const { return barTops_[std::size_t(code)]; }
    void setBarTop(int code, float top);

signals:
    void cellChanged(int row, int column);
    void barChanged(int code, float oldTop);

private:
    // Row by row.
    std::vector<QString> cells_;
    std::array<float, kRows> barTops_{};
};
