// The grid of the widget contract (control/widgets/grid.h): a window of the toolkit's own
// class, owner-drawn. It lays out and paints only the rows in view, so a grid of 32,766
// rows scrolls and paints as one of 100 does.
//
// Rows are all one height: the font's line plus padding, at least the minimum row height.
// The vertical scroll bar is the window's own (WS_VSCROLL, shown while rows lie out of
// view); it scrolls by whole rows. The current cell carries a focus rectangle while the
// grid has the focus; the current row's name cell is highlighted.
//
// Events: a put of Row / Col, and the user's keys, clicks and scrolling, raise the cell
// events; MouseDown comes after the cell events of the press. Keys the control acts on
// reach KeyDown first; what it leaves alone moves the current cell (arrows, Page Up / Down,
// Home / End by column, with Ctrl by row). Typed characters reach KeyPress.
//
// Assistive technology asks the window for its client object (WM_GETOBJECT) and gets the
// grid's own table of rows of cells (grid_accessible.h); it hears the current row take the
// focus and a value change in view (NotifyWinEvent, the row's child id).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include <comrt/com_ptr.h>
#include <control/widgets/grid.h>
#include <toolkit/win32/appearance.h>
#include <toolkit/win32/family.h>
#include <toolkit/win32/grid_cells.h>

namespace orvane::win32 {

class GridAccessible;

class Win32Grid final : public widgets::Grid, public std::enable_shared_from_this<Win32Grid> {
public:
    // Made in parent at the design-time place given in twips.
    Win32Grid(FamilyRef family, HWND parent, float left, float top, float width, float height);
    ~Win32Grid() override;
    Win32Grid(const Win32Grid&) = delete;
    Win32Grid& operator=(const Win32Grid&) = delete;

    // The window, or null once it is gone.
    HWND window() const noexcept { return window_; }
    // What assistive technology is told, and what the cells show.
    const std::u16string& accessibleName() const noexcept { return accessible_name_; }
    std::u16string columnName(int col) const;
    bool cellChoice(int row, int col) const noexcept { return cells_.holds(row, col) && cells_.at(row, col).choice; }
    // Pixels: the rectangle of a cell in the client area, as painted; the first row in view.
    RECT cellRect(int row, int col) const noexcept;
    int topRow() const noexcept { return top_row_; }
    int rowHeight() const noexcept { return row_height_; }
    // What the accessible objects read (grid_accessible.h): the cells, the current cell,
    // the cell under a point of the client area (false outside every cell), and whether
    // the window or the control is gone.
    const GridCells& cells() const noexcept { return cells_; }
    int currentRow() const noexcept { return row_; }
    int currentCol() const noexcept { return col_; }
    bool cellAt(POINT at, int& row, int& col) const noexcept;
    bool gone() const noexcept { return !window_ || family_->gone; }
    // The current cell to (row, col) and into view, as a click on it moves it, with the
    // focus when `focus`; no mouse event.
    void selectCell(int row, int col, bool focus);

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
    bool CellVisible() override;
    void SetRowHeightMin(std::int32_t height) override;
    void SetCellAlignment(std::int16_t alignment) override;
    void SetCellChoice(bool choice) override;
    std::int32_t ColWidth(std::int32_t col) override;
    void SetColWidth(std::int32_t col, std::int32_t width) override;
    OLE_HANDLE hWnd() override;
    void SetBackColor(OLE_COLOR color) override;
    void SetForeColor(OLE_COLOR color) override;
    void SetFont(const widgets::FontRef& font) override;
    float Left() override;
    void SetLeft(float left) override;
    float Top() override;
    void SetTop(float top) override;
    void SetWidth(float width) override;
    void SetHeight(float height) override;
    void SetTabStop(bool tab_stop) override;
    void SetFocus() override;
    void SetAccessibleName(std::u16string_view name) override;
    void SetColumnName(std::int32_t col, std::u16string_view name) override;

private:
    static LRESULT CALLBACK Procedure(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT handle(UINT msg, WPARAM wParam, LPARAM lParam);
    HWND live() const;
    bool raising() const noexcept { return sink_ && !family_->gone; }

    // The current cell to (row, col), with LeaveCell and EnterCell when it changes.
    void moveTo(int row, int col);
    // The first row in view; user scrolling raises Scroll.
    void scrollTo(int top_row, bool user);
    // Scrolls the current row into view.
    void showCurrentRow(bool user);
    // Rows wholly in view (at least 1), and the scroll bar that follows them.
    int pageRows() const noexcept;
    void updateScrollBar() noexcept;
    void updateRowHeight() noexcept;
    void invalidateRow(int row) noexcept;
    void invalidateAll() noexcept;
    void invalidateBar() noexcept;  // the scroll bar, in the non-client area
    void checkCurrentCell() const;
    int columnLeft(int col) const noexcept;
    // The accessible table for WM_GETOBJECT, made with the first request; it lets go of
    // the grid (disconnectAccessible) when the window or the adapter goes.
    LRESULT accessibleObject(WPARAM flags);
    void disconnectAccessible() noexcept;
    // Tells assistive technology of the current cell's row: focus, or a new value.
    void notifyCurrentRow(DWORD event) const noexcept;

    void paint() noexcept;
    void paintRow(HDC dc, int row, const RECT& clip) noexcept;
    void onKeyDown(WPARAM vk);
    void onChar(WPARAM character);
    void onMouseDown(UINT msg, WPARAM wParam, LPARAM lParam);
    void onVScroll(WORD request, int position16);
    bool dragSplit(UINT msg, LPARAM lParam);

    FamilyRef family_;
    HWND window_ = nullptr;
    widgets::GridEvents* sink_ = nullptr;
    GridCells cells_;
    std::vector<int> col_widths_;  // pixels
    std::vector<std::u16string> column_names_;
    std::u16string accessible_name_;
    int row_ = 0, col_ = 0;
    int top_row_ = 0;
    int row_height_ = 16;
    int row_height_min_ = 0;  // pixels
    int wheel_rest_ = 0;      // wheel turns short of a whole notch
    bool dragging_split_ = false;
    int client_width_ = 0, client_height_ = 0;  // pixels, as the last WM_SIZE gave them
    bool invalid_ = false;      // the whole client area waits for WM_PAINT
    bool bar_invalid_ = false;  // the frame with the scroll bar waits for WM_NCPAINT
    float left_, top_;
    Colours colours_{0x80000005, 0x80000008};
    widgets::FontRef font_;
    comrt::ComPtr<GridAccessible> accessible_;
};

}  // namespace orvane::win32
