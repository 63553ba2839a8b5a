// The grid's cells: a table of text cells, each with its alignment and choice mark, kept
// row by row so that a change of the row count keeps every other row as it is.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace orvane::win32 {

struct Cell {
    std::u16string text;
    std::int16_t alignment = 0;
    bool choice = false;
};

class GridCells {
public:
    int rows() const noexcept { return static_cast<int>(rows_.size()); }
    int cols() const noexcept { return cols_; }
    bool holds(int row, int col) const noexcept { return row >= 0 && row < rows() && col >= 0 && col < cols_; }

    // Cells in both the old and the new counts keep their content; new ones are empty.
    void setRows(int rows);
    void setCols(int cols);

    Cell& at(int row, int col) { return rows_[static_cast<std::size_t>(row)][static_cast<std::size_t>(col)]; }
    const Cell& at(int row, int col) const {
        return rows_[static_cast<std::size_t>(row)][static_cast<std::size_t>(col)];
    }

private:
    std::vector<std::vector<Cell>> rows_;
    int cols_ = 0;
};

}  // namespace orvane::win32
