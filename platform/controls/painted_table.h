#pragma once

class Label;

// A table that a form paints with one label a cell. Rows and columns count
// from 0.
class PaintedTable {
public:
    virtual ~PaintedTable() = default;

    virtual int rowCount() const = 0;
    virtual int columnCount() const = 0;
    // How many rows Page Up and Page Down move by.
    virtual int rowsPerPage() const { return rowCount(); }
    // The label that paints a cell.
    virtual const Label& cell(int row, int column) const = 0;
};
