// The grid's cells (cell_model.h).
#include <toolkit/qt/cell_model.h>

#include <algorithm>
#include <new>

#include <comrt/error.h>

namespace orvane::qt {

CellModel::CellModel(QObject* parent) : QAbstractTableModel(parent) {}

void CellModel::setCounts(int rows, int cols) {
    if (!fits(rows, cols)) throw comrt::com_error(E_OUTOFMEMORY);
    if (rows == rows_ && cols == cols_) return;

    const std::size_t count = static_cast<std::size_t>(rows) * static_cast<std::size_t>(cols);
    try {
        if (cols == cols_) {
            if (rows > rows_) {
                cells_.reserve(count);  // the one step that can fail; nothing changes before it
                beginInsertRows(QModelIndex(), rows_, rows - 1);
                cells_.resize(count);
                rows_ = rows;
                endInsertRows();
            } else {
                beginRemoveRows(QModelIndex(), rows, rows_ - 1);
                cells_.resize(count);
                rows_ = rows;
                endRemoveRows();
            }
            return;
        }
        // A change of columns reorders every cell: built aside, then the views start afresh.
        std::vector<Cell> cells(count);
        for (int r = 0; r < std::min(rows, rows_); ++r)
            for (int c = 0; c < std::min(cols, cols_); ++c)
                cells[static_cast<std::size_t>(r) * static_cast<std::size_t>(cols) + static_cast<std::size_t>(c)] =
                    std::move(cells_[at(r, c)]);
        beginResetModel();
        cells_ = std::move(cells);
        rows_ = rows;
        cols_ = cols;
        endResetModel();
    } catch (const std::bad_alloc&) {
        throw comrt::com_error(E_OUTOFMEMORY);
    }
}

void CellModel::setText(int row, int col, std::u16string_view text) {
    Cell& cell = cells_[at(row, col)];
    if (cell.text == text) return;
    try {
        cell.text.assign(text);
    } catch (const std::bad_alloc&) {
        throw comrt::com_error(E_OUTOFMEMORY);
    }
    const QModelIndex changed = index(row, col);
    emit dataChanged(changed, changed, {Qt::DisplayRole});
}

void CellModel::setAlignment(int row, int col, std::int16_t alignment) {
    Cell& cell = cells_[at(row, col)];
    if (cell.alignment == alignment) return;
    cell.alignment = alignment;
    const QModelIndex changed = index(row, col);
    emit dataChanged(changed, changed, {Qt::TextAlignmentRole});
}

int CellModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : rows_; }

int CellModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : cols_; }

QVariant CellModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || !holds(index.row(), index.column())) return {};
    const Cell& cell = cells_[at(index.row(), index.column())];
    switch (role) {
    case Qt::DisplayRole:
        return QString::fromUtf16(cell.text.data(), static_cast<qsizetype>(cell.text.size()));
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(CellAlignment(cell.alignment));
    default:
        return {};
    }
}

Qt::ItemFlags CellModel::flags(const QModelIndex& index) const {
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

Qt::Alignment CellAlignment(std::int16_t code) noexcept {
    if (code < 1 || code > 8) return Qt::AlignLeft | Qt::AlignVCenter;
    static constexpr Qt::AlignmentFlag kHorizontal[] = {Qt::AlignLeft, Qt::AlignHCenter, Qt::AlignRight};
    static constexpr Qt::AlignmentFlag kVertical[] = {Qt::AlignTop, Qt::AlignVCenter, Qt::AlignBottom};
    return kHorizontal[code / 3] | kVertical[code % 3];
}

}  // namespace orvane::qt
