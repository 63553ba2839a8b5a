// The grid's cells: a table of text cells with a per-cell alignment and choice mark, as a
// Qt item model.
//
// Layout: rows x cols cells in one vector, row by row; each cell is an offset and a length
// into one UTF-16 buffer that the model shares among all its cells, and an alignment code.
// A fill appends to the buffer, so it creates no heap object per cell; counts that grow
// make room ahead for the new cells' texts, so the fill does not move the buffer, and the
// room the fill did not take is given back when the changes are notified. A text
// that grows is appended anew and its old units become slack; the buffer is compacted
// once the slack outweighs the live text. Nothing else is kept per cell: no item
// objects, no roles besides the display text and the alignment.
//
// Change notices: puts do not notify one by one. The model notes the span of the cells
// changed and sends one dataChanged for it when control returns to the event loop (or on
// flushChanges, or before its counts change).
#pragma once

#include <cstdint>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include <QAbstractTableModel>

#include <toolkit/qt/text_buffer.h>

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

    // The text and alignment of a cell the model holds (the caller checks holds()). The
    // text stays valid until the next change of the model.
    std::u16string_view text(int row, int col) const noexcept {
        const Cell& cell = cells_[at(row, col)];
        if (cell.length == 0) return {};
        return {text_.data() + cell.offset, cell.length};
    }
    // Fails with E_OUTOFMEMORY when the memory cannot be had; the cell is unchanged then.
    void setText(int row, int col, std::u16string_view text);
    std::int16_t alignment(int row, int col) const noexcept { return cells_[at(row, col)].alignment; }
    void setAlignment(int row, int col, std::int16_t alignment);
    // Whether a cell's value is picked from a list (data() gives it under kChoiceRole).
    bool choice(int row, int col) const noexcept { return cells_[at(row, col)].choice; }
    void setChoice(int row, int col, bool choice);
    static constexpr int kChoiceRole = Qt::UserRole + 1;
    // The name of a column, which headerData gives (the view shows no header, but
    // assistive technology reads it); a column without one gives its number.
    void setColumnName(int col, const QString& name);
    // The code units of a cell's text that data() gives for display: more than any cell
    // can show, few enough that any length costs what a screenful does.
    static constexpr std::size_t kShownTextLength = 4096;

    // Sends the one change notice for the cells changed since the last one, if any.
    void flushChanges();

    // ---- QAbstractTableModel -----------------------------------------------------------
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    // The buffer holds at most kMaxUnits units, so that an offset into it fits 32 bits and
    // a cell stays 12 bytes.
    static constexpr std::size_t kMaxUnits = std::numeric_limits<std::uint32_t>::max();
    struct Cell {
        std::uint32_t offset = 0;  // into text_
        std::uint32_t length = 0;
        std::int16_t alignment = 0;
        bool choice = false;  // in the padding
    };
    static_assert(sizeof(Cell) == 12);
    // The changed cells not yet notified: a span of rows and columns, and the roles.
    struct Pending {
        int top = 0;
        int left = 0;
        int bottom = -1;  // bottom < top: nothing pending
        int right = -1;
        bool text = false;
        bool alignment = false;
        bool choice = false;
        bool empty() const noexcept { return bottom < top; }
    };

    std::size_t at(int row, int col) const noexcept {
        return static_cast<std::size_t>(row) * static_cast<std::size_t>(cols_) + static_cast<std::size_t>(col);
    }
    enum class Change { text, alignment, choice };
    void noteChange(int row, int col, Change change);
    void dropCells(std::size_t first, std::size_t last);
    void compactIfSlack();
    void compactNow();
    void makeRoomForTexts(std::size_t new_cells) noexcept;

    std::vector<Cell> cells_;
    std::vector<QString> column_names_;
    TextBuffer text_;             // every cell's text, in no particular order
    std::size_t live_units_ = 0;  // the units of text_ that cells name
    int rows_ = 0;
    int cols_ = 0;
    Pending pending_;
    bool flush_posted_ = false;
    bool room_made_ = false;  // room was made ahead for new cells, worth giving back untaken
};

// The Qt alignment that an alignment code stands for: 0 (the grid's default) and 9
// (general) draw text left and vertically centred; 1 to 8 are left, centre and right,
// each top, centre and bottom in turn (1 left centre, 2 left bottom, 3 centre top, ...).
Qt::Alignment CellAlignment(std::int16_t code) noexcept;

}  // namespace orvane::qt
