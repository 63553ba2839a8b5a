// The grid's cells: a table of text cells with a per-cell alignment, as a Qt item model.
//
// Layout: rows x cols cells in one vector, row by row; each cell is a UTF-16 string (short
// texts stay inside the string object, so a fill creates no heap object per cell) and an
// alignment code. Nothing else is kept per cell: no item objects, no roles besides the
// display text and the alignment.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include <QAbstractTableModel>

namespace orvane::qt {

class CellModel final : public QAbstractTableModel {
    Q_OBJECT

public:
    explicit CellModel(QObject* parent = nullptr);

    int rows() const noexcept { return rows_; }
    int cols() const noexcept { return cols_; }
    bool holds(int row, int col) const noexcept { return row >= 0 && row < rows_ && col >= 0 && col < cols_; }

    // Most rows, columns and cells a model holds (16,777,216 each).
    static constexpr long long kMaxCells = 1LL << 24;
    // Whether counts are within those limits (0 or more each).
    static constexpr bool fits(int rows, int cols) noexcept {
        return rows >= 0 && cols >= 0 && rows <= kMaxCells && cols <= kMaxCells &&
               static_cast<long long>(rows) * cols <= kMaxCells;
    }

    // New counts (0 or more); cells inside both the old and the new counts keep their
    // text and alignment, new cells are empty. Fails with E_OUTOFMEMORY
    // (comrt::com_error) when rows, cols or rows x cols exceed kMaxCells or the memory
    // cannot be had; the model is unchanged then.
    void setCounts(int rows, int cols);

    // The text and alignment of a cell the model holds (the caller checks holds()).
    const std::u16string& text(int row, int col) const noexcept { return cells_[at(row, col)].text; }
    void setText(int row, int col, std::u16string_view text);
    std::int16_t alignment(int row, int col) const noexcept { return cells_[at(row, col)].alignment; }
    void setAlignment(int row, int col, std::int16_t alignment);

    // ---- QAbstractTableModel -----------------------------------------------------------
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    struct Cell {
        std::u16string text;
        std::int16_t alignment = 0;
    };
    std::size_t at(int row, int col) const noexcept {
        return static_cast<std::size_t>(row) * static_cast<std::size_t>(cols_) + static_cast<std::size_t>(col);
    }

    std::vector<Cell> cells_;
    int rows_ = 0;
    int cols_ = 0;
};

// The Qt alignment that an alignment code stands for: 0 (the grid's default) and 9
// (general) draw text left and vertically centred; 1 to 8 are left, centre and right,
// each top, centre and bottom in turn (1 left centre, 2 left bottom, 3 centre top, ...).
Qt::Alignment CellAlignment(std::int16_t code) noexcept;

}  // namespace orvane::qt
