// The recording grid (fake_grid.h).
#include <tests/fakes/fake_grid.h>

#include <algorithm>

namespace orvane::fakes {
namespace {

constexpr std::int32_t kDefaultColWidth = 960;

}  // namespace

FakeGrid::FakeGrid(std::shared_ptr<FakeEnvironment> env, std::string name)
    : FakeAppearance(std::move(env), std::move(name), 0x80000005, 0x80000008),
      window_(this->env().windows().create_window(this->name())),
      col_widths_(static_cast<std::size_t>(cols_), kDefaultColWidth) {}

// ---- cells -------------------------------------------------------------------------------

std::u16string FakeGrid::Text() {
    record_get("Text");
    return cell_text(row_, col_);
}

void FakeGrid::SetText(std::u16string_view text) {
    record_put("Text", format_value(text));
    if (!holds(row_, col_)) fail_invalid_value();
    texts_[{row_, col_}] = std::u16string(text);
}

void FakeGrid::SetRows(std::int32_t rows) {
    record_put("Rows", format_value(static_cast<long long>(rows)));
    check_count(rows);
    const bool moves = row_ >= rows && row_ > 0;
    if (moves && raises_on_put_ && sink_) raise("LeaveCell", [&] { return sink_->LeaveCell(); });
    rows_ = rows;
    std::erase_if(texts_, [&](const auto& cell) { return cell.first.first >= rows; });
    std::erase_if(alignments_, [&](const auto& cell) { return cell.first.first >= rows; });
    std::erase_if(choices_, [&](const auto& cell) { return cell.first.first >= rows; });
    top_row_ = std::min(top_row_, std::max(rows - 1, 0));
    if (moves) {
        row_ = std::max(rows - 1, 0);
        if (raises_on_put_ && sink_) raise("EnterCell", [&] { return sink_->EnterCell(); });
    }
}

void FakeGrid::SetCols(std::int32_t cols) {
    record_put("Cols", format_value(static_cast<long long>(cols)));
    check_count(cols);
    const bool moves = col_ >= cols && col_ > 0;
    if (moves && raises_on_put_ && sink_) raise("LeaveCell", [&] { return sink_->LeaveCell(); });
    cols_ = cols;
    col_widths_.resize(static_cast<std::size_t>(cols), kDefaultColWidth);
    std::erase_if(texts_, [&](const auto& cell) { return cell.first.second >= cols; });
    std::erase_if(alignments_, [&](const auto& cell) { return cell.first.second >= cols; });
    std::erase_if(choices_, [&](const auto& cell) { return cell.first.second >= cols; });
    if (moves) {
        col_ = std::max(cols - 1, 0);
        if (raises_on_put_ && sink_) raise("EnterCell", [&] { return sink_->EnterCell(); });
    }
}

std::int32_t FakeGrid::Row() {
    record_get("Row");
    return row_;
}

void FakeGrid::SetRow(std::int32_t row) {
    record_put("Row", format_value(static_cast<long long>(row)));
    if (row < 0 || (row >= rows_ && row != 0)) fail_invalid_value();
    move_to(row, col_, raises_on_put_);
}

std::int32_t FakeGrid::Col() {
    record_get("Col");
    return col_;
}

void FakeGrid::SetCol(std::int32_t col) {
    record_put("Col", format_value(static_cast<long long>(col)));
    if (col < 0 || (col >= cols_ && col != 0)) fail_invalid_value();
    move_to(row_, col, raises_on_put_);
}

std::int32_t FakeGrid::CellLeft() {
    record_get("CellLeft");
    long long left = 0;
    for (std::int32_t c = 0; c < col_ && c < cols_; ++c) left += col_widths_[static_cast<std::size_t>(c)];
    return static_cast<std::int32_t>(left);
}

std::int32_t FakeGrid::CellTop() {
    record_get("CellTop");
    return static_cast<std::int32_t>(static_cast<long long>(row_ - top_row_) * row_height());
}

std::int32_t FakeGrid::CellWidth() {
    record_get("CellWidth");
    return col_width(col_);
}

std::int32_t FakeGrid::CellHeight() {
    record_get("CellHeight");
    return row_height();
}

void FakeGrid::SetRowHeightMin(std::int32_t height) {
    record_put("RowHeightMin", format_value(static_cast<long long>(height)));
    if (height < 0) fail_invalid_value();
    row_height_min_ = height;
}

void FakeGrid::SetCellAlignment(std::int16_t alignment) {
    record_put("CellAlignment", format_value(static_cast<long long>(alignment)));
    if (!holds(row_, col_)) fail_invalid_value();
    alignments_[{row_, col_}] = alignment;
}

void FakeGrid::SetCellChoice(bool choice) {
    record_put("CellChoice", format_value(choice));
    if (!holds(row_, col_)) fail_invalid_value();
    choices_[{row_, col_}] = choice;
}

void FakeGrid::FillRows(std::int32_t first, std::span<const widgets::GridRow> rows) {
    for (const widgets::GridRow& cells : rows) {
        const std::int32_t row = first++;
        for (const std::int32_t col : {0, 1}) {
            const std::u16string_view text = col == 0 ? cells.name : cells.value;
            record_put("Text", format_value(text));
            if (!holds(row, col)) fail_invalid_value();
            texts_[{row, col}] = std::u16string(text);
            record_put("CellAlignment", format_value(0LL));
            alignments_[{row, col}] = 0;
        }
        record_put("CellChoice", format_value(cells.choice));
        choices_[{row, 1}] = cells.choice;
    }
}

bool FakeGrid::cell_choice(std::int32_t row, std::int32_t col) const {
    const auto it = choices_.find({row, col});
    return it != choices_.end() && it->second;
}

std::int32_t FakeGrid::ColWidth(std::int32_t col) {
    record("ColWidth", "ColWidth(" + format_value(static_cast<long long>(col)) + ")");
    if (col < 0 || col >= cols_) fail_runtime(comrt::runtime_error::subscript_out_of_range);
    return col_widths_[static_cast<std::size_t>(col)];
}

void FakeGrid::SetColWidth(std::int32_t col, std::int32_t width) {
    record("ColWidth=", "ColWidth(" + format_value(static_cast<long long>(col)) +
                            ")=" + format_value(static_cast<long long>(width)));
    if (col < 0 || col >= cols_) fail_runtime(comrt::runtime_error::subscript_out_of_range);
    if (width < 0) fail_invalid_value();
    const long long step = col_width_step_;
    col_widths_[static_cast<std::size_t>(col)] = static_cast<std::int32_t>((width + step / 2) / step * step);
}

// Kept for the test, not logged, as the accessible name.
void FakeGrid::SetColumnName(std::int32_t col, std::u16string_view name) {
    if (window_gone()) throw comrt::com_error(E_HANDLE);
    if (col < 0 || col >= cols_) fail_runtime(comrt::runtime_error::subscript_out_of_range);
    column_names_[col] = name;
}

std::u16string FakeGrid::column_name(std::int32_t col) const {
    const auto found = column_names_.find(col);
    return found == column_names_.end() ? std::u16string() : found->second;
}

OLE_HANDLE FakeGrid::hWnd() {
    record_get("hWnd");
    return widgets::ToHandle(window_);
}

// ---- appearance and placement -------------------------------------------------------------

float FakeGrid::Left() {
    record_get("Left");
    return left_;
}

void FakeGrid::SetLeft(float left) {
    record_put("Left", format_value(left));
    left_ = left;
}

float FakeGrid::Top() {
    record_get("Top");
    return top_;
}

void FakeGrid::SetTop(float top) {
    record_put("Top", format_value(top));
    top_ = top;
}

void FakeGrid::SetWidth(float width) {
    record_put("Width", format_value(width));
    if (width < 0) fail_invalid_value();
    width_ = width;
}

void FakeGrid::SetHeight(float height) {
    record_put("Height", format_value(height));
    if (height < 0) fail_invalid_value();
    height_ = height;
}

void FakeGrid::SetTabStop(bool tab_stop) {
    record_put("TabStop", format_value(tab_stop));
    tab_stop_ = tab_stop;
}

// ---- the test's controls and view ----------------------------------------------------------

void FakeGrid::set_vertical_scroll_bar(bool shown) {
    FakeWindowSystem& windows = env().windows();
    const LONG style = windows.style(window_);
    windows.set_style(window_, shown ? (style | WS_VSCROLL) : (style & ~WS_VSCROLL));
}

void FakeGrid::set_cell_text(std::int32_t row, std::int32_t col, std::u16string text) {
    if (holds(row, col)) texts_[{row, col}] = std::move(text);
}

void FakeGrid::user_move_to(std::int32_t row, std::int32_t col) {
    if (holds(row, col)) move_to(row, col, true);
}

void FakeGrid::user_click(std::int32_t row, std::int32_t col, MouseDownOrder order, std::int16_t button,
                          std::int16_t shift) {
    if (!holds(row, col)) return;
    long long x = col_width(col) / 2;
    for (std::int32_t c = 0; c < col; ++c) x += col_widths_[static_cast<std::size_t>(c)];
    const long long y = static_cast<long long>(row - top_row_) * row_height() + row_height() / 2;
    const auto mouse_down = [&] {
        if (sink_) {
            raise("MouseDown", [&] {
                return sink_->MouseDown(button, shift, static_cast<float>(x), static_cast<float>(y));
            });
        }
    };
    if (order == MouseDownOrder::before_cell_events) mouse_down();
    move_to(row, col, true);
    if (order == MouseDownOrder::after_cell_events) mouse_down();
}

bool FakeGrid::CellVisible() {
    record_get("CellVisible");
    if (!holds(row_, col_) || row_ < top_row_) return false;
    return static_cast<float>(static_cast<long long>(row_ - top_row_) * row_height()) < height_;
}

void FakeGrid::SetFocus() {
    record_call("SetFocus", "");
    env().move_focus(nullptr);
}

bool FakeGrid::user_key(std::int16_t key, std::int16_t shift) {
    if (sink_) raise("KeyDown", [&] { return sink_->KeyDown(key, shift); });
    if (key == 0) return false;
    namespace keys = widgets::keys;
    if (key == keys::kUp && row_ > 0) user_move_to(row_ - 1, col_);
    if (key == keys::kDown && row_ + 1 < rows_) user_move_to(row_ + 1, col_);
    if (key == keys::kLeft && col_ > 0) user_move_to(row_, col_ - 1);
    if (key == keys::kRight && col_ + 1 < cols_) user_move_to(row_, col_ + 1);
    return true;
}

bool FakeGrid::user_type(char16_t character) {
    std::int16_t code = static_cast<std::int16_t>(character);
    if (sink_) raise("KeyPress", [&] { return sink_->KeyPress(code); });
    return code != 0;
}

void FakeGrid::user_scroll_to(std::int32_t top_row) {
    top_row_ = std::clamp(top_row, 0, std::max(rows_ - 1, 0));
    if (sink_) raise("Scroll", [&] { return sink_->Scroll(); });
}

void FakeGrid::user_drag_split(std::int32_t width) {
    col_widths_.at(0) = width;
    if (sink_) raise("ColumnResized", [&] { return sink_->ColumnResized(); });
}

void FakeGrid::user_tab_in() {
    SetFocus();
    if (sink_) raise("TabbedInto", [&] { return sink_->TabbedInto(); });
}

std::u16string FakeGrid::cell_text(std::int32_t row, std::int32_t col) const {
    const auto it = texts_.find({row, col});
    return it == texts_.end() ? std::u16string() : it->second;
}

std::int16_t FakeGrid::cell_alignment(std::int32_t row, std::int32_t col) const {
    const auto it = alignments_.find({row, col});
    return it == alignments_.end() ? std::int16_t{-1} : it->second;
}

std::int32_t FakeGrid::col_width(std::int32_t col) const {
    return col >= 0 && col < cols_ ? col_widths_[static_cast<std::size_t>(col)] : 0;
}

std::int32_t FakeGrid::row_height() const noexcept { return std::max(default_row_height_, row_height_min_); }

bool FakeGrid::holds(std::int32_t row, std::int32_t col) const noexcept {
    return row >= 0 && row < rows_ && col >= 0 && col < cols_;
}

void FakeGrid::move_to(std::int32_t row, std::int32_t col, bool raise_events) {
    if (row == row_ && col == col_) return;
    raise_events = raise_events && sink_;
    if (raise_events) raise("LeaveCell", [&] { return sink_->LeaveCell(); });
    row_ = row;
    col_ = col;
    if (raise_events && sink_) raise("EnterCell", [&] { return sink_->EnterCell(); });
}

void FakeGrid::check_count(std::int32_t count) const {
    if (count < 0) fail_invalid_value();
}

}  // namespace orvane::fakes
