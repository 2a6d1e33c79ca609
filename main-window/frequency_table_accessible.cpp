#include "frequency_table_accessible.h"

#include "frequency_table_model.h"
#include "frequency_table_widget.h"

namespace {

// A cell of the table, or a column's header for row -1. Headers are not
// painted: they take no room on the screen.
class TableCellAccessible : public QAccessibleInterface, public QAccessibleTableCellInterface {
public:
    TableCellAccessible(const FrequencyTableAccessible& table, int row, int column)
        : table_(&table), row_(row), column_(column)
    {
    }

    // QAccessibleInterface
    bool isValid() const override { return true; }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return table_->window(); }
    QAccessibleInterface* parent() const override { return table(); }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QString text(QAccessible::Text t) const override;
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override;
    QAccessible::Role role() const override
    {
        return isHeader() ? QAccessible::ColumnHeader : QAccessible::Cell;
    }
    QAccessible::State state() const override;
    void* interface_cast(QAccessible::InterfaceType type) override
    {
        if (type != QAccessible::TableCellInterface || isHeader())
            return nullptr;
        return static_cast<QAccessibleTableCellInterface*>(this);
    }

    // QAccessibleTableCellInterface
    bool isSelected() const override { return !isHeader() && table_->table()->current() == TableCell{row_, column_}; }
    QList<QAccessibleInterface*> columnHeaderCells() const override { return {table_->cellOrHeader(-1, column_)}; }
    // The first column's cell heads its row, itself included: readers ask
    // the first cell of a row for the row's header.
    QList<QAccessibleInterface*> rowHeaderCells() const override { return {table_->cellAt(row_, 0)}; }
    int columnIndex() const override { return column_; }
    int rowIndex() const override { return row_; }
    int columnExtent() const override { return 1; }
    int rowExtent() const override { return 1; }
    QAccessibleInterface* table() const override { return const_cast<FrequencyTableAccessible*>(table_); }

private:
    bool isHeader() const { return row_ < 0; }

    const FrequencyTableAccessible* table_;
    int row_;
    int column_;
};

QString TableCellAccessible::text(QAccessible::Text t) const
{
    if (isHeader())
        return t == QAccessible::Name ? FrequencyTableModel::header(column_) : QString();
    const QString shown = table_->table()->model().readableText(row_, column_);
    switch (t) {
    case QAccessible::Name:
        return shown;
    case QAccessible::Description:
        // A blank cell reads as blank, with nothing to describe.
        return shown.isEmpty() ? QString() : FrequencyTableAccessible::cellDescription(row_, column_);
    default:
        return QString();
    }
}

QRect TableCellAccessible::rect() const
{
    if (isHeader())
        return QRect();
    const FrequencyTableWidget& widget = *table_->table();
    const QRect local = widget.cellRect(row_, column_).toAlignedRect();
    return QRect(widget.parentWidget()->mapToGlobal(local.topLeft()), local.size());
}

QAccessible::State TableCellAccessible::state() const
{
    QAccessible::State state;
    state.readOnly = true;
    if (isHeader())
        return state;
    state.focusable = true;
    state.selectable = true;
    state.selected = isSelected();
    state.focused = state.selected && table_->table()->hasFocus();
    return state;
}

QAccessibleInterface* tableFactory(const QString&, QObject* object)
{
    if (auto* table = qobject_cast<FrequencyTableWidget*>(object))
        return new FrequencyTableAccessible(table);
    return nullptr;
}

} // namespace

void installTableAccessibility()
{
    static const bool installed = (QAccessible::installFactory(tableFactory), true);
    (void)installed;
}

void tellCurrentCell(FrequencyTableWidget& table)
{
    if (!QAccessible::isActive())
        return;
    auto* accessible = static_cast<FrequencyTableAccessible*>(QAccessible::queryAccessibleInterface(&table));
    QAccessibleEvent focused(accessible->currentCell(), QAccessible::Focus);
    QAccessible::updateAccessibility(&focused);
}

FrequencyTableAccessible::FrequencyTableAccessible(FrequencyTableWidget* table)
    : QAccessibleWidget(table, QAccessible::Table),
      ids_(std::size_t((FrequencyTableModel::kRows + 1) * FrequencyTableModel::columnCount()), 0)
{
}

FrequencyTableAccessible::~FrequencyTableAccessible()
{
    for (unsigned id : ids_)
        if (id != 0)
            QAccessible::deleteAccessibleInterface(id);
}

FrequencyTableWidget* FrequencyTableAccessible::table() const
{
    return static_cast<FrequencyTableWidget*>(widget());
}

int FrequencyTableAccessible::rowCount() const
{
    return FrequencyTableModel::kRows;
}

int FrequencyTableAccessible::columnCount() const
{
    return FrequencyTableModel::columnCount();
}

bool FrequencyTableAccessible::contains(int row, int column) const
{
    return row >= -1 && row < rowCount() && column >= 0 && column < columnCount();
}

QAccessibleInterface* FrequencyTableAccessible::cellOrHeader(int row, int column) const
{
    if (!contains(row, column))
        return nullptr;
    unsigned& id = ids_[std::size_t((row + 1) * columnCount() + column)];
    if (id == 0)
        id = QAccessible::registerAccessibleInterface(new TableCellAccessible(*this, row, column));
    return QAccessible::accessibleInterface(id);
}

QAccessibleInterface* FrequencyTableAccessible::cellAt(int row, int column) const
{
    return row < 0 ? nullptr : cellOrHeader(row, column);
}

QAccessibleInterface* FrequencyTableAccessible::currentCell() const
{
    return cellAt(table()->current().row, table()->current().column);
}

QAccessibleInterface* FrequencyTableAccessible::focusChild() const
{
    return table()->hasFocus() ? currentCell() : nullptr;
}

QList<QAccessibleInterface*> FrequencyTableAccessible::selectedCells() const
{
    return {currentCell()};
}

int FrequencyTableAccessible::childCount() const
{
    return int(ids_.size());
}

QAccessibleInterface* FrequencyTableAccessible::child(int index) const
{
    if (index < 0 || index >= childCount())
        return nullptr;
    return cellOrHeader(index / columnCount() - 1, index % columnCount());
}

int FrequencyTableAccessible::indexOfChild(const QAccessibleInterface* child) const
{
    const auto* cell = dynamic_cast<const TableCellAccessible*>(child);
    if (!cell || cell->table() != this)
        return -1;
    return (cell->rowIndex() + 1) * columnCount() + cell->columnIndex();
}

// Where two cells of a row overlap, the later column lies in front.
QAccessibleInterface* FrequencyTableAccessible::childAt(int x, int y) const
{
    const QPoint point = table()->parentWidget()->mapFromGlobal(QPoint(x, y));
    for (int row = 0; row < rowCount(); ++row)
        for (int column = columnCount() - 1; column >= 0; --column)
            if (table()->cellRect(row, column).toAlignedRect().contains(point))
                return cellAt(row, column);
    return nullptr;
}

QRect FrequencyTableAccessible::rect() const
{
    const QRect local = table()->cellsArea().toAlignedRect();
    return QRect(table()->parentWidget()->mapToGlobal(local.topLeft()), local.size());
}

QAccessible::State FrequencyTableAccessible::state() const
{
    QAccessible::State state = QAccessibleWidget::state();
    state.readOnly = true;
    // Shown with the window, as what the window paints is.
    state.invisible = table()->isHidden();
    return state;
}

void* FrequencyTableAccessible::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::TableInterface)
        return static_cast<QAccessibleTableInterface*>(this);
    return nullptr;
}

QString FrequencyTableAccessible::columnDescription(int column) const
{
    return column >= 0 && column < columnCount() ? FrequencyTableModel::header(column) : QString();
}

// The code heads its row: it needs no description, and one would be read
// again after each row.
QString FrequencyTableAccessible::cellDescription(int row, int column)
{
    if (column == FrequencyTableModel::Code)
        return QString();
    return QStringLiteral("%1 of code %2").arg(FrequencyTableModel::header(column)).arg(row);
}

// "65, hex 41, A, count 2, frequency 0.5"; "66, hex 42, B, no count".
QString FrequencyTableAccessible::rowDescription(int row) const
{
    if (row < 0 || row >= rowCount())
        return QString();
    const FrequencyTableModel& model = table()->model();
    const auto cell = [&](int column) { return model.readableText(row, column); };
    const QString known = QStringLiteral("%1, hex %2, %3")
                              .arg(cell(FrequencyTableModel::Code), cell(FrequencyTableModel::Hex),
                                   cell(FrequencyTableModel::Character));
    if (cell(FrequencyTableModel::Count).isEmpty())
        return known + QStringLiteral(", no count");
    return known + QStringLiteral(", count %1, frequency %2")
                       .arg(cell(FrequencyTableModel::Count), cell(FrequencyTableModel::Frequency));
}
