// The grid's cells (grid_cells.h).
#include <toolkit/win32/grid_cells.h>

namespace orvane::win32 {

void GridCells::setRows(int rows) {
    rows_.resize(static_cast<std::size_t>(rows), std::vector<Cell>(static_cast<std::size_t>(cols_)));
}

void GridCells::setCols(int cols) {
    cols_ = cols;
    for (auto& row : rows_) row.resize(static_cast<std::size_t>(cols));
}

}  // namespace orvane::win32
