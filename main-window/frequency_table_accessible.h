#pragma once

#include <QAccessibleWidget>
#include <vector>

class FrequencyTableWidget;

// What screen readers are told of the frequency table: one table of 256
// rows and the model's columns, column headers first among its children,
// then the cells row by row. The cells of the first column name their rows
// and are the rows' headers. The current cell is the one selected cell, and
// the focused one while the table has the focus. Cells are made when first
// asked for and live as long as the table.
class FrequencyTableAccessible : public QAccessibleWidget, public QAccessibleTableInterface {
public:
    explicit FrequencyTableAccessible(FrequencyTableWidget* table);
    ~FrequencyTableAccessible() override;

    FrequencyTableWidget* table() const;
    // A column's header for row -1.
    QAccessibleInterface* cellOrHeader(int row, int column) const;
    QAccessibleInterface* currentCell() const;
    // What a cell reads as its description, for a reader who has not heard
    // its row.
    static QString cellDescription(int row, int column);

    // QAccessibleInterface
    QAccessibleInterface* childAt(int x, int y) const override;
    QAccessibleInterface* child(int index) const override;
    int childCount() const override;
    int indexOfChild(const QAccessibleInterface* child) const override;
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
    int columnCount() const override;
    int rowCount() const override;
    QList<int> selectedColumns() const override { return {}; }
    QList<int> selectedRows() const override { return {}; }
    bool isColumnSelected(int) const override { return false; }
    bool isRowSelected(int) const override { return false; }
    bool selectRow(int) override { return false; }
    bool selectColumn(int) override { return false; }
    bool unselectRow(int) override { return false; }
    bool unselectColumn(int) override { return false; }
    // The cells read the model afresh each time: nothing to update.
    void modelChange(QAccessibleTableModelChangeEvent*) override {}

private:
    bool contains(int row, int column) const;

    // Registered ids of the headers and cells made so far, 0 for none yet.
    mutable std::vector<unsigned> ids_;
};

// Shows screen readers every FrequencyTableWidget as a FrequencyTableAccessible.
void installTableAccessibility();

// Tells screen readers of the table's current cell as focused.
void tellCurrentCell(FrequencyTableWidget& table);
