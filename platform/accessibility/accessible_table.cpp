#include "accessible_table.h"

#include "form.h"
#include "label.h"
#include "table_focus.h"

AccessibleTable::AccessibleTable(Form& form, std::unique_ptr<AccessibleTableSource> source,
                                 TableFocus& focus)
    : PaintedAccessible(form, &focus), source_(std::move(source)), focus_(&focus),
      headers_(source_->columnHeaders())
{
    for (int row = 0; row < rowCount(); ++row)
        for (int column = 0; column < columnCount(); ++column)
            positions_[&source_->cell(row, column)] = {row, column};
    ids_.assign(std::size_t((rowCount() + 1) * columnCount()), 0);
}

AccessibleTable::~AccessibleTable()
{
    for (unsigned id : ids_)
        if (id != 0)
            QAccessible::deleteAccessibleInterface(id);
}

bool AccessibleTable::contains(int row, int column) const
{
    return row >= -1 && row < rowCount() && column >= 0 && column < columnCount();
}

QAccessibleInterface* AccessibleTable::cellOrHeader(int row, int column) const
{
    if (!contains(row, column))
        return nullptr;
    unsigned& id = ids_[std::size_t((row + 1) * columnCount() + column)];
    if (id == 0)
        id = QAccessible::registerAccessibleInterface(new AccessibleTableCell(*this, row, column));
    return QAccessible::accessibleInterface(id);
}

QAccessibleInterface* AccessibleTable::cellAt(int row, int column) const
{
    return row < 0 ? nullptr : cellOrHeader(row, column);
}

bool AccessibleTable::isCurrent(int row, int column) const
{
    return focus_->current() == TableCell{row, column};
}

bool AccessibleTable::hasFocus() const
{
    return focus_->hasFocus();
}

QAccessibleInterface* AccessibleTable::currentCell() const
{
    return cellAt(focus_->current().row, focus_->current().column);
}

QAccessibleInterface* AccessibleTable::focusChild() const
{
    return hasFocus() ? currentCell() : nullptr;
}

QList<QAccessibleInterface*> AccessibleTable::selectedCells() const
{
    return {currentCell()};
}

QAccessibleInterface* AccessibleTable::cellFor(const LightweightControl& label) const
{
    const auto found = positions_.find(&label);
    return found == positions_.end() ? nullptr : cellAt(found->second.first, found->second.second);
}

QAccessibleInterface* AccessibleTable::parent() const
{
    return QAccessible::queryAccessibleInterface(&form());
}

int AccessibleTable::childCount() const
{
    return int(ids_.size());
}

QAccessibleInterface* AccessibleTable::child(int index) const
{
    if (index < 0 || index >= childCount())
        return nullptr;
    return cellOrHeader(index / columnCount() - 1, index % columnCount());
}

int AccessibleTable::indexOfChild(const QAccessibleInterface* child) const
{
    const auto* cell = dynamic_cast<const AccessibleTableCell*>(child);
    if (!cell || cell->table() != this)
        return -1;
    return (cell->rowIndex() + 1) * columnCount() + cell->columnIndex();
}

// Where two cells of a row overlap, the later column lies in front.
QAccessibleInterface* AccessibleTable::childAt(int x, int y) const
{
    for (int row = 0; row < rowCount(); ++row)
        for (int column = columnCount() - 1; column >= 0; --column) {
            const Label& label = source_->cell(row, column);
            if (label.Visible() && form().screenRect(label.pixelBounds()).contains(x, y))
                return cellAt(row, column);
        }
    return nullptr;
}

QString AccessibleTable::text(QAccessible::Text t) const
{
    return t == QAccessible::Name ? source_->name() : QString();
}

QRect AccessibleTable::rect() const
{
    QRectF bounds;
    for (const auto& [label, position] : positions_)
        bounds |= label->pixelBounds();
    return form().screenRect(bounds);
}

QAccessible::State AccessibleTable::state() const
{
    QAccessible::State state;
    state.readOnly = true;
    addFocusState(state);
    return state;
}

void* AccessibleTable::interface_cast(QAccessible::InterfaceType type)
{
    return type == QAccessible::TableInterface ? static_cast<QAccessibleTableInterface*>(this)
                                               : nullptr;
}

QString AccessibleTable::columnDescription(int column) const
{
    return headers_.value(column);
}

QString AccessibleTable::rowDescription(int row) const
{
    return row >= 0 && row < rowCount() ? source_->rowDescription(row) : QString();
}

AccessibleTableCell::AccessibleTableCell(const AccessibleTable& table, int row, int column)
    : PaintedAccessible(table.form()), table_(&table), row_(row), column_(column)
{
}

QAccessibleInterface* AccessibleTableCell::parent() const
{
    return table();
}

QAccessibleInterface* AccessibleTableCell::table() const
{
    return const_cast<AccessibleTable*>(table_);
}

QString AccessibleTableCell::text(QAccessible::Text t) const
{
    if (isHeader())
        return t == QAccessible::Name ? table_->columnDescription(column_) : QString();
    switch (t) {
    case QAccessible::Name:
        return table_->source().cellText(row_, column_);
    case QAccessible::Description:
        // A blank cell reads as blank, with nothing to describe.
        if (table_->source().cellText(row_, column_).isEmpty())
            return QString();
        return table_->source().cellDescription(row_, column_);
    default:
        return QString();
    }
}

// Headers are not painted: they take no room on the screen.
QRect AccessibleTableCell::rect() const
{
    if (isHeader())
        return QRect();
    return form().screenRect(table_->source().cell(row_, column_).pixelBounds());
}

QAccessible::Role AccessibleTableCell::role() const
{
    return isHeader() ? QAccessible::ColumnHeader : QAccessible::Cell;
}

QAccessible::State AccessibleTableCell::state() const
{
    QAccessible::State state;
    state.readOnly = true;
    if (isHeader())
        return state;
    state.invisible = !table_->source().cell(row_, column_).Visible();
    state.focusable = true;
    state.selectable = true;
    state.selected = isSelected();
    state.focused = state.selected && table_->hasFocus();
    return state;
}

bool AccessibleTableCell::isSelected() const
{
    return !isHeader() && table_->isCurrent(row_, column_);
}

void* AccessibleTableCell::interface_cast(QAccessible::InterfaceType type)
{
    if (type != QAccessible::TableCellInterface || isHeader())
        return nullptr;
    return static_cast<QAccessibleTableCellInterface*>(this);
}

QList<QAccessibleInterface*> AccessibleTableCell::columnHeaderCells() const
{
    return {table_->cellOrHeader(-1, column_)};
}

// The first column's cell heads its row, itself included: readers ask the
// first cell of a row for the row's header.
QList<QAccessibleInterface*> AccessibleTableCell::rowHeaderCells() const
{
    return {table_->cellAt(row_, 0)};
}
