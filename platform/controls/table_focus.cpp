#include "table_focus.h"

#include "label.h"
#include "painted_table.h"

#include <QKeyEvent>
#include <QTimer>
#include <algorithm>

std::optional<TableCell> cellAfterKey(TableCell from, int key, Qt::KeyboardModifiers modifiers,
                                      int rows, int columns, int pageRows)
{
    const Qt::KeyboardModifiers held = modifiers & ~Qt::KeypadModifier;
    const bool control = held == Qt::ControlModifier;
    if (held != Qt::NoModifier && !(control && (key == Qt::Key_Home || key == Qt::Key_End)))
        return std::nullopt;
    TableCell to = from;
    switch (key) {
    case Qt::Key_Up: --to.row; break;
    case Qt::Key_Down: ++to.row; break;
    case Qt::Key_Left: --to.column; break;
    case Qt::Key_Right: ++to.column; break;
    case Qt::Key_PageUp: to.row -= pageRows; break;
    case Qt::Key_PageDown: to.row += pageRows; break;
    case Qt::Key_Home:
        to.column = 0;
        if (control)
            to.row = 0;
        break;
    case Qt::Key_End:
        to.column = columns - 1;
        if (control)
            to.row = rows - 1;
        break;
    default:
        return std::nullopt;
    }
    to.row = std::clamp(to.row, 0, rows - 1);
    to.column = std::clamp(to.column, 0, columns - 1);
    return to;
}

TableFocus::TableFocus(Form& form, const PaintedTable& table) : FocusStop(form), table_(&table)
{
    QRectF bounds;
    for (int row = 0; row < table.rowCount(); ++row)
        for (int column = 0; column < table.columnCount(); ++column)
            bounds |= table.cell(row, column).pixelBounds();
    cover(bounds);
}

QRectF TableFocus::markedArea() const
{
    return table_->cell(current_.row, current_.column).pixelBounds();
}

void TableFocus::setCurrent(TableCell cell)
{
    if (cell == current_)
        return;
    updateMarkAround(markedArea());
    current_ = cell;
    updateMarkAround(markedArea());
    if (hasFocus())
        emit cellFocused();
}

void TableFocus::keyPressEvent(QKeyEvent* event)
{
    const auto to = cellAfterKey(current_, event->key(), event->modifiers(), table_->rowCount(),
                                 table_->columnCount(), table_->rowsPerPage());
    if (!to) {
        FocusStop::keyPressEvent(event);
        return;
    }
    setCurrent(*to);
    event->accept();
}

void TableFocus::focusInEvent(QFocusEvent* event)
{
    FocusStop::focusInEvent(event);
    // Qt tells of the table's focus only once this handler has returned.
    QTimer::singleShot(0, this, [this] {
        if (hasFocus())
            emit cellFocused();
    });
}
