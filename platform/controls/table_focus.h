#pragma once

#include "focus_stop.h"

#include <Qt>
#include <optional>

class PaintedTable;

// A cell of a table, counted from 0.
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

// The focus stop of a painted table: it keeps a current cell, moves it by
// the keyboard, marks it while the table has the focus and tells of each
// move as of a focused cell.
class TableFocus : public FocusStop {
    Q_OBJECT
public:
    // table must outlive the stop.
    TableFocus(Form& form, const PaintedTable& table);

    TableCell current() const { return current_; }
    void setCurrent(TableCell cell);

signals:
    // The current cell is the focused one, newly or since it moved: once on
    // the table's taking the focus, after Qt has told of that, and on each
    // move while the table has it.
    void cellFocused();

protected:
    QRectF markedArea() const override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;

private:
    const PaintedTable* table_;
    TableCell current_;
};
