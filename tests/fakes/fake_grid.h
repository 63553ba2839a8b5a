// A recording grid that behaves as control/widgets/grid.h states.
//
// Layout: every column has its own width (default 960 twips); every row is
// max(default row height, RowHeightMin) high (default 240); the cell rectangle is that
// of the current cell, with rows above the top visible row scrolled out of view (a
// negative cell top). Left/Top/Width/Height place the grid on the container. The grid's
// window lives in the environment's window system; its style has WS_VSCROLL only when
// the test says so.
//
// Cell events are raised synchronously from SetRow/SetCol (and from a shrinking
// SetRows/SetCols) unless the test turns that off; the user's moves always raise them.
#pragma once

#include <map>
#include <utility>
#include <vector>

#include <control/widgets/grid.h>
#include <tests/fakes/fake_appearance.h>

namespace orvane::fakes {

// Where a simulated mouse press raises MouseDown relative to the cell events it causes.
enum class MouseDownOrder { before_cell_events, after_cell_events };

class FakeGrid final : public FakeAppearance<widgets::Grid> {
public:
    explicit FakeGrid(std::shared_ptr<FakeEnvironment> env, std::string name = "grid");

    // ---- widgets::Grid ---------------------------------------------------------------
    void SetEventSink(widgets::GridEvents* sink) noexcept override { sink_ = sink; }
    std::u16string Text() override;
    void SetText(std::u16string_view text) override;
    void SetRows(std::int32_t rows) override;
    void SetCols(std::int32_t cols) override;
    std::int32_t Row() override;
    void SetRow(std::int32_t row) override;
    std::int32_t Col() override;
    void SetCol(std::int32_t col) override;
    std::int32_t CellLeft() override;
    std::int32_t CellTop() override;
    std::int32_t CellWidth() override;
    std::int32_t CellHeight() override;
    void SetRowHeightMin(std::int32_t height) override;
    void SetCellAlignment(std::int16_t alignment) override;
    void SetCellChoice(bool choice) override;
    // Records the puts a cell-by-cell fill makes, without its moves.
    void FillRows(std::int32_t first, std::span<const widgets::GridRow> rows) override;
    std::int32_t ColWidth(std::int32_t col) override;
    void SetColWidth(std::int32_t col, std::int32_t width) override;
    OLE_HANDLE hWnd() override;
    float Left() override;
    void SetLeft(float left) override;
    float Top() override;
    void SetTop(float top) override;
    void SetWidth(float width) override;
    void SetHeight(float height) override;
    void SetTabStop(bool tab_stop) override;
    bool CellVisible() override;
    // Takes the environment's focus; logged as SetFocus().
    void SetFocus() override;

    // Kept for the test, not logged: what a screen reader announces changes no behaviour.
    void SetAccessibleName(std::u16string_view name) override {
        if (window_gone()) throw comrt::com_error(E_HANDLE);
        accessible_name_ = name;
    }
    const std::u16string& accessible_name() const noexcept { return accessible_name_; }
    void SetColumnName(std::int32_t col, std::u16string_view name) override;
    std::u16string column_name(std::int32_t col) const;

    // ---- the test's controls -----------------------------------------------------------
    // Whether SetRow/SetCol (and shrinking counts) raise cell events (default true).
    void set_raises_cell_events_on_put(bool raises) noexcept { raises_on_put_ = raises; }
    // Column widths are kept in steps of step twips, rounded to the nearest (halves up);
    // 1 keeps them exact (default).
    void set_col_width_step(std::int32_t step) noexcept { col_width_step_ = step < 1 ? 1 : step; }
    void set_vertical_scroll_bar(bool shown);
    void set_default_row_height(std::int32_t height) noexcept { default_row_height_ = height; }
    // Sets a cell's text without moving the current cell.
    void set_cell_text(std::int32_t row, std::int32_t col, std::u16string text);

    // The user moves the current cell (arrow keys): LeaveCell, then EnterCell, when the
    // cell changes.
    void user_move_to(std::int32_t row, std::int32_t col);
    // The user presses a mouse button over a cell: MouseDown (at the cell's middle) and,
    // when the cell changes, LeaveCell and EnterCell, in the given order.
    void user_click(std::int32_t row, std::int32_t col, MouseDownOrder order = MouseDownOrder::after_cell_events,
                    std::int16_t button = 1, std::int16_t shift = 0);
    // The user scrolls so that top_row is the first visible row: raises Scroll.
    void user_scroll_to(std::int32_t top_row);
    // The user drags the split between the first two columns so that column 0 is width
    // twips wide: raises ColumnResized.
    void user_drag_split(std::int32_t width);
    // The user tabs into the grid: it takes the focus, then raises TabbedInto.
    void user_tab_in();
    // The user presses a key in the grid: KeyDown, and when the sink leaves it unhandled
    // the grid's own moves (arrow keys move the current cell, with cell events). Returns
    // whether the key was left unhandled.
    bool user_key(std::int16_t key, std::int16_t shift = 0);
    // The user types a character in the grid: KeyPress; returns whether it was left
    // unhandled.
    bool user_type(char16_t character);

    // ---- the test's view ---------------------------------------------------------------
    std::int32_t rows() const noexcept { return rows_; }
    std::int32_t cols() const noexcept { return cols_; }
    std::int32_t row() const noexcept { return row_; }
    std::int32_t col() const noexcept { return col_; }
    // The first row in view (user_scroll_to).
    std::int32_t top_row() const noexcept { return top_row_; }
    std::u16string cell_text(std::int32_t row, std::int32_t col) const;
    // The alignment last set on a cell (-1: never set).
    std::int16_t cell_alignment(std::int32_t row, std::int32_t col) const;
    // Whether SetCellChoice marked a cell as picked from a list.
    bool cell_choice(std::int32_t row, std::int32_t col) const;
    std::int32_t col_width(std::int32_t col) const;
    std::int32_t row_height() const noexcept;
    std::int32_t row_height_min() const noexcept { return row_height_min_; }
    float left() const noexcept { return left_; }
    float top() const noexcept { return top_; }
    float width() const noexcept { return width_; }
    float height() const noexcept { return height_; }
    bool tab_stop() const noexcept { return tab_stop_; }
    HWND window() const noexcept { return window_; }

private:
    std::u16string accessible_name_;
    std::map<std::int32_t, std::u16string> column_names_;
    bool holds(std::int32_t row, std::int32_t col) const noexcept;
    // Moves the current cell, raising LeaveCell / EnterCell around it when asked to.
    void move_to(std::int32_t row, std::int32_t col, bool raise_events);
    void check_count(std::int32_t count) const;

    widgets::GridEvents* sink_ = nullptr;
    HWND window_;
    std::int32_t rows_ = 2;
    std::int32_t cols_ = 2;
    std::int32_t row_ = 0;
    std::int32_t col_ = 0;
    std::int32_t top_row_ = 0;
    std::map<std::pair<std::int32_t, std::int32_t>, std::u16string> texts_;
    std::map<std::pair<std::int32_t, std::int32_t>, std::int16_t> alignments_;
    std::map<std::pair<std::int32_t, std::int32_t>, bool> choices_;
    std::vector<std::int32_t> col_widths_;
    std::int32_t default_row_height_ = 240;
    std::int32_t row_height_min_ = 0;
    std::int32_t col_width_step_ = 1;
    bool raises_on_put_ = true;
    float left_ = 120;
    float top_ = 480;
    float width_ = 4575;
    float height_ = 2175;
    bool tab_stop_ = true;
};

}  // namespace orvane::fakes
