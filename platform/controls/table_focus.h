#pragma once

#include "focus_stop.h"

#include <Qt>
#include <optional>

class AccessibleTableSource;

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
// the keyboard, marks it while the table has the focus and tells screen
// readers of each move as of a focused cell.
class TableFocus : public FocusStop {
    Q_OBJECT
public:
    // source must outlive the stop.
    TableFocus(Form& form, const AccessibleTableSource& source);

    TableCell current() const { return current_; }
    void setCurrent(TableCell cell);

protected:
    QRectF markedArea() const override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;

private:
    // Screen readers hear of the table first, from Qt, and of its current
    // cell after.
    void tellCurrentCell();

    const AccessibleTableSource* source_;
    TableCell current_;
};
