// The grid's cells (cell_model.h).
#include <toolkit/qt/cell_model.h>

#include <algorithm>
#include <limits>
#include <new>
#include <utility>

#include <comrt/error.h>

namespace orvane::qt {
namespace {

// Slack below this many units is never worth a compaction.
constexpr std::size_t kMinSlackToCompact = 4096;

// Units of room made per cell that the counts add, so that filling the new cells appends
// to the buffer in place: a buffer that doubles as a fill goes on copies itself into
// fresh pages again and again, which cost a first show of 32,766 rows more than the rest
// of its fill. Room that no text takes is never touched, so it costs address space, not
// resident memory.
constexpr std::size_t kUnitsPerNewCell = 16;

}  // namespace

CellModel::CellModel(QObject* parent) : QAbstractTableModel(parent) {}

void CellModel::setCounts(int rows, int cols) {
    if (!fits(rows, cols)) throw comrt::com_error(E_OUTOFMEMORY);
    if (rows == rows_ && cols == cols_) return;
    // Changes noted so far name cells of the old counts.
    flushChanges();

    const std::size_t count = static_cast<std::size_t>(rows) * static_cast<std::size_t>(cols);
    const std::size_t old_count = cells_.size();
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
                dropCells(count, cells_.size());
                cells_.resize(count);
                rows_ = rows;
                endRemoveRows();
            }
        } else {
            // A change of columns reorders every cell: built aside (the texts stay where
            // they are in the buffer), then the views start afresh.
            std::vector<Cell> cells(count);
            std::size_t live = 0;
            for (int r = 0; r < std::min(rows, rows_); ++r) {
                for (int c = 0; c < std::min(cols, cols_); ++c) {
                    Cell& cell = cells[static_cast<std::size_t>(r) * static_cast<std::size_t>(cols) +
                                       static_cast<std::size_t>(c)];
                    cell = cells_[at(r, c)];
                    live += cell.length;
                }
            }
            beginResetModel();
            cells_ = std::move(cells);
            live_units_ = live;
            rows_ = rows;
            cols_ = cols;
            endResetModel();
        }
    } catch (const std::bad_alloc&) {
        throw comrt::com_error(E_OUTOFMEMORY);
    }
    if (cells_.empty()) std::vector<Cell>().swap(cells_);  // an emptied grid hands its memory back
    compactIfSlack();
    if (cells_.size() > old_count) makeRoomForTexts(cells_.size() - old_count);
}

void CellModel::makeRoomForTexts(std::size_t new_cells) noexcept {
    if (new_cells > (kMaxUnits - text_.size()) / kUnitsPerNewCell) return;
    try {
        text_.reserve(text_.size() + new_cells * kUnitsPerNewCell);
        room_made_ = new_cells * kUnitsPerNewCell >= kMinSlackToCompact;
    } catch (const std::bad_alloc&) {
        // Room made ahead only; each append still grows the buffer as it needs.
    }
}

void CellModel::setText(int row, int col, std::u16string_view text) {
    Cell& cell = cells_[at(row, col)];
    if (this->text(row, col) == text) return;
    if (text.size() > kMaxUnits) throw comrt::com_error(E_OUTOFMEMORY);
    const auto length = static_cast<std::uint32_t>(text.size());
    if (length <= cell.length) {
        // Fits where the old text was (move: the new text may be part of the buffer).
        std::char_traits<char16_t>::move(text_.data() + cell.offset, text.data(), text.size());
    } else {
        // More text than offsets can name: the slack goes first (the text, which may lie
        // in the buffer being replaced, copied aside), then the text must fit.
        std::u16string aside;
        if (text.size() > kMaxUnits - text_.size()) {
            try {
                aside.assign(text);
            } catch (const std::bad_alloc&) {
                throw comrt::com_error(E_OUTOFMEMORY);
            }
            text = aside;
            compactNow();
        }
        if (text.size() > kMaxUnits - text_.size()) throw comrt::com_error(E_OUTOFMEMORY);
        const auto offset = static_cast<std::uint32_t>(text_.size());
        try {
            text_.append(text);  // on failure the buffer is unchanged
        } catch (const std::bad_alloc&) {
            throw comrt::com_error(E_OUTOFMEMORY);
        }
        cell.offset = offset;
    }
    live_units_ = live_units_ - cell.length + length;
    cell.length = length;
    compactIfSlack();
    noteChange(row, col, Change::text);
}

void CellModel::setAlignment(int row, int col, std::int16_t alignment) {
    Cell& cell = cells_[at(row, col)];
    if (cell.alignment == alignment) return;
    cell.alignment = alignment;
    noteChange(row, col, Change::alignment);
}

void CellModel::setChoice(int row, int col, bool choice) {
    Cell& cell = cells_[at(row, col)];
    if (cell.choice == choice) return;
    cell.choice = choice;
    noteChange(row, col, Change::choice);
}

void CellModel::noteChange(int row, int col, Change change) {
    if (pending_.empty()) {
        pending_.top = pending_.bottom = row;
        pending_.left = pending_.right = col;
    } else {
        pending_.top = std::min(pending_.top, row);
        pending_.bottom = std::max(pending_.bottom, row);
        pending_.left = std::min(pending_.left, col);
        pending_.right = std::max(pending_.right, col);
    }
    switch (change) {
    case Change::text: pending_.text = true; break;
    case Change::alignment: pending_.alignment = true; break;
    case Change::choice: pending_.choice = true; break;
    }
    if (flush_posted_) return;
    flush_posted_ = true;
    QMetaObject::invokeMethod(this, &CellModel::flushChanges, Qt::QueuedConnection);
}

void CellModel::flushChanges() {
    flush_posted_ = false;
    // The fill that the room was made for has run.
    if (std::exchange(room_made_, false)) text_.trim();
    if (pending_.empty()) return;
    const Pending changed = pending_;
    pending_ = Pending{};
    QList<int> roles;
    if (changed.text) roles.append(Qt::DisplayRole);
    if (changed.alignment) roles.append(Qt::TextAlignmentRole);
    if (changed.choice) roles.append(kChoiceRole);
    emit dataChanged(index(changed.top, changed.left), index(changed.bottom, changed.right), roles);
}

void CellModel::dropCells(std::size_t first, std::size_t last) {
    for (std::size_t i = first; i < last; ++i) live_units_ -= cells_[i].length;
}

void CellModel::compactIfSlack() {
    if (live_units_ == 0) {
        text_.release();
        return;
    }
    const std::size_t slack = text_.size() - live_units_;
    if (slack < kMinSlackToCompact || slack < live_units_) return;
    compactNow();
}

void CellModel::compactNow() {
    TextBuffer compact;
    try {
        compact.reserve(live_units_);
    } catch (const std::bad_alloc&) {
        return;  // the slack stays; every text is still in place
    }
    for (Cell& cell : cells_) {
        const auto offset = static_cast<std::uint32_t>(compact.size());  // within the live units
        compact.append({text_.data() + cell.offset, cell.length});       // within the room reserved
        cell.offset = offset;
    }
    text_.swap(compact);
}

int CellModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : rows_; }

int CellModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : cols_; }

QVariant CellModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || !holds(index.row(), index.column())) return {};
    switch (role) {
    case Qt::DisplayRole: {
        // What a cell can show, however long its text: painting, eliding and the tip
        // then cost what a screenful costs. The cell itself keeps the whole text.
        std::u16string_view cell = text(index.row(), index.column());
        if (cell.size() > kShownTextLength) {
            std::size_t cut = kShownTextLength;
            if (cell[cut - 1] >= 0xD800 && cell[cut - 1] <= 0xDBFF) --cut;  // not half a character
            cell = cell.substr(0, cut);
        }
        return QString::fromUtf16(cell.data(), static_cast<qsizetype>(cell.size()));
    }
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(CellAlignment(alignment(index.row(), index.column())));
    case kChoiceRole:
        return choice(index.row(), index.column());
    case Qt::AccessibleDescriptionRole:
        // What a screen reader adds to a cell whose value is picked from a list.
        if (choice(index.row(), index.column())) return QStringLiteral("drop-down list");
        return {};
    default:
        return {};
    }
}

void CellModel::setColumnName(int col, const QString& name) {
    if (static_cast<std::size_t>(col) >= column_names_.size()) column_names_.resize(static_cast<std::size_t>(col) + 1);
    column_names_[static_cast<std::size_t>(col)] = name;
    emit headerDataChanged(Qt::Horizontal, col, col);
}

QVariant CellModel::headerData(int section, Qt::Orientation orientation, int role) const {
    const bool named = orientation == Qt::Horizontal && section >= 0 &&
                       static_cast<std::size_t>(section) < column_names_.size() &&
                       !column_names_[static_cast<std::size_t>(section)].isEmpty();
    if (named && (role == Qt::DisplayRole || role == Qt::AccessibleTextRole))
        return column_names_[static_cast<std::size_t>(section)];
    return QAbstractTableModel::headerData(section, orientation, role);
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
