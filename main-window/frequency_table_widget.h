#pragma once

#include "units.h"

#include <QFont>
#include <QWidget>
#include <cstdint>
#include <optional>

class FrequencyTableModel;

// A cell of the table, counted from 0.
struct TableCell {
    int row = 0;
    int column = 0;
    friend bool operator==(const TableCell&, const TableCell&) = default;
};

// Where a key moves the current cell of a table of rows by columns that is
// shown in pages of pageRows rows: arrows by one cell, Home and End to the
// row's first and last cell, with Ctrl to the table's, Page Up and Page Down
// by a page. Nothing for a key that does not move the current cell.
std::optional<TableCell> cellAfterKey(TableCell from, int key, Qt::KeyboardModifiers modifiers,
                                      int rows, int columns, int pageRows);

// The frequency table as one widget: the model's rows in blocks of 52 side
// by side, each block in its own shade, painted where exposed. It keeps a
// current cell that the keyboard moves, framed while the table has the
// focus; the mouse goes through to the window, as over the rest of it.
// Cells lie where the window's own scale puts them, so the widget paints in
// the window's pixels.
class FrequencyTableWidget : public QWidget {
    Q_OBJECT
public:
    // model must outlive the table.
    FrequencyTableWidget(QWidget& window, const FormScale& scale, FrequencyTableModel& model);

    FrequencyTableModel& model() const { return *model_; }
    // Where a cell is painted, in the window's logical pixels.
    QRectF cellRect(int row, int column) const;
    // The cells together, without the frame round the current one.
    QRectF cellsArea() const;
    QFont cellFont() const { return font_; }
    // The shade of a cell's block, as &HBBGGRR.
    static std::uint32_t blockColor(int row);

    TableCell current() const { return current_; }
    void setCurrent(TableCell cell);

signals:
    // The current cell is the focused one, newly or since it moved: once on
    // the table's taking the focus, after Qt has told of that, and on each
    // move while the table has it.
    void cellFocused();

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    // Repaints area, given in the window's pixels.
    void updateArea(const QRectF& area);
    void updateMark();

    FrequencyTableModel* model_;
    FormScale scale_;
    QFont font_;
    // In the window's units, as its scale gives them: where the first block
    // starts and how far the next one lies.
    float top_, rowHeight_, blockPitch_;
    std::vector<float> lefts_, widths_;
    TableCell current_;
};

// A cell by its column's name in the window, lblASCIICount(i): what it shows
// and where.
class TableCellHandle {
public:
    TableCellHandle(FrequencyTableWidget& table, int row, int column)
        : table_(&table), row_(row), column_(column)
    {
    }
    QString Caption() const;
    void setCaption(const QString& caption) const;
    QRectF pixelBounds() const { return table_->cellRect(row_, column_); }

private:
    FrequencyTableWidget* table_;
    int row_, column_;
};

// A column of the table by the window's name for it: lblASCII, lblASCIIHex,
// lblASCIIChar, lblASCIICount, lblASCIIFreq. It reaches the table once the
// window has made it.
class TableColumn {
public:
    TableColumn(FrequencyTableWidget* const& table, int column) : table_(&table), column_(column) {}
    TableCellHandle operator()(int row) const { return {**table_, row, column_}; }

private:
    FrequencyTableWidget* const* table_;
    int column_;
};
