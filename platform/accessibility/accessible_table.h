#pragma once

#include "painted_accessible.h"
#include "painted_table.h"

#include <QAccessibleInterface>
#include <QStringList>
#include <memory>
#include <unordered_map>
#include <vector>

class Form;
class Label;
class LightweightControl;
class TableFocus;

// What a table of painted labels reads to screen readers. The window that
// paints the table implements it. The cells of the first column name their
// rows and are the rows' headers.
class AccessibleTableSource : public PaintedTable {
public:
    virtual QString name() const = 0;
    virtual QStringList columnHeaders() const = 0;
    int columnCount() const override { return int(columnHeaders().size()); }
    // What a cell reads: what it shows, in words where it shows a picture.
    virtual QString cellText(int row, int column) const = 0;
    // Where a cell belongs, for a reader who has not heard its row; asked
    // only of cells that show something.
    virtual QString cellDescription(int row, int column) const = 0;
    // A whole row in one sentence.
    virtual QString rowDescription(int row) const = 0;
};

class AccessibleTableCell;

// One accessible table in place of the labels that paint it: column headers
// first, then the cells row by row. Cells are made when first asked for and
// live as long as the table. Its focus stop's current cell is its one
// selected cell, and its focused one while the table has the focus.
class AccessibleTable : public PaintedAccessible, public QAccessibleTableInterface {
public:
    AccessibleTable(Form& form, std::unique_ptr<AccessibleTableSource> source, TableFocus& focus);
    ~AccessibleTable() override;

    const AccessibleTableSource& source() const { return *source_; }
    bool paints(const LightweightControl& label) const { return positions_.count(&label) != 0; }
    // The cell that a label paints, or null for a label outside the table.
    QAccessibleInterface* cellFor(const LightweightControl& label) const;
    // A column's header for row -1.
    QAccessibleInterface* cellOrHeader(int row, int column) const;
    bool isCurrent(int row, int column) const;
    QAccessibleInterface* currentCell() const;
    bool hasFocus() const;

    // QAccessibleInterface
    QAccessibleInterface* childAt(int x, int y) const override;
    QAccessibleInterface* parent() const override;
    QAccessibleInterface* child(int index) const override;
    int childCount() const override;
    int indexOfChild(const QAccessibleInterface* child) const override;
    QString text(QAccessible::Text t) const override;
    QRect rect() const override;
    QAccessible::Role role() const override { return QAccessible::Table; }
    QAccessible::State state() const override;
    QAccessibleInterface* focusChild() const override;
    void* interface_cast(QAccessible::InterfaceType type) override;

    // QAccessibleTableInterface: a table that shows; the user selects no
    // more than the current cell.
    QAccessibleInterface* caption() const override { return nullptr; }
    QAccessibleInterface* summary() const override { return nullptr; }
    QAccessibleInterface* cellAt(int row, int column) const override;
    int selectedCellCount() const override { return 1; }
    QList<QAccessibleInterface*> selectedCells() const override;
    QString columnDescription(int column) const override;
    QString rowDescription(int row) const override;
    int selectedColumnCount() const override { return 0; }
    int selectedRowCount() const override { return 0; }
    int columnCount() const override { return int(headers_.size()); }
    int rowCount() const override { return source_->rowCount(); }
    QList<int> selectedColumns() const override { return {}; }
    QList<int> selectedRows() const override { return {}; }
    bool isColumnSelected(int) const override { return false; }
    bool isRowSelected(int) const override { return false; }
    bool selectRow(int) override { return false; }
    bool selectColumn(int) override { return false; }
    bool unselectRow(int) override { return false; }
    bool unselectColumn(int) override { return false; }
    // The cells read their labels afresh each time: nothing to update.
    void modelChange(QAccessibleTableModelChangeEvent*) override {}

private:
    bool contains(int row, int column) const;

    std::unique_ptr<AccessibleTableSource> source_;
    TableFocus* focus_;
    QStringList headers_;
    std::unordered_map<const LightweightControl*, std::pair<int, int>> positions_;
    // Registered ids of the headers and cells made so far, 0 for none yet.
    mutable std::vector<unsigned> ids_;
};

// A cell of an AccessibleTable, or a column's header for row -1.
class AccessibleTableCell : public PaintedAccessible, public QAccessibleTableCellInterface {
public:
    AccessibleTableCell(const AccessibleTable& table, int row, int column);

    // QAccessibleInterface
    QAccessibleInterface* parent() const override;
    QString text(QAccessible::Text t) const override;
    QRect rect() const override;
    QAccessible::Role role() const override;
    QAccessible::State state() const override;
    void* interface_cast(QAccessible::InterfaceType type) override;

    // QAccessibleTableCellInterface
    bool isSelected() const override;
    QList<QAccessibleInterface*> columnHeaderCells() const override;
    QList<QAccessibleInterface*> rowHeaderCells() const override;
    int columnIndex() const override { return column_; }
    int rowIndex() const override { return row_; }
    int columnExtent() const override { return 1; }
    int rowExtent() const override { return 1; }
    QAccessibleInterface* table() const override;

private:
    bool isHeader() const { return row_ < 0; }

    const AccessibleTable* table_;
    int row_;
    int column_;
};
