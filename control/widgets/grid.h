// The grid widget: the name | value grid of the control.
//
// A table of text cells with one current cell. Rows and columns count from 0; the grid
// has no fixed (header) rows or columns, so column 0 can be current. Conventions for
// value types, failures (comrt::com_error) and events are in contract.h.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include <control/widgets/contract.h>

namespace orvane::widgets {

// Events of the grid. Each returns the handler's status and never throws.
class GridEvents {
public:
    // The current cell has become another cell; Row() and Col() name the new cell.
    virtual HRESULT EnterCell() noexcept = 0;
    // The current cell is about to change; Row(), Col() and Text() still name the cell
    // being left. A move raises LeaveCell before the EnterCell of the new cell.
    virtual HRESULT LeaveCell() noexcept = 0;
    // A mouse button went down over the grid: button and shift state as bit masks
    // (1 left, 2 right, 4 middle; 1 shift, 2 ctrl, 4 alt), position in twips within the
    // grid. Whether it comes before or after the LeaveCell / EnterCell that the press
    // causes depends on the grid.
    virtual HRESULT MouseDown(std::int16_t button, std::int16_t shift, float x, float y) noexcept = 0;
    // The visible part of the grid moved.
    virtual HRESULT Scroll() noexcept = 0;
    // A key went down while the grid has the focus, before the grid acts on it: key a
    // virtual-key code (keys:: in contract.h), shift the shift state. A handler that sets
    // key to 0 has handled it, and the grid does nothing more with it.
    virtual HRESULT KeyDown(std::int16_t& /*key*/, std::int16_t /*shift*/) noexcept { return S_OK; }
    // A character was typed while the grid has the focus (after its KeyDown), as one UTF-16
    // code unit. A handler that sets character to 0 has handled it.
    virtual HRESULT KeyPress(std::int16_t& /*character*/) noexcept { return S_OK; }
    // The user dragged the split between the name and the value column: column 0 has its
    // new width (ColWidth(0)) already, the other columns are as they were.
    virtual HRESULT ColumnResized() noexcept { return S_OK; }
    // The grid took the focus from the keyboard (Tab or Shift+Tab), after the focus moved.
    virtual HRESULT TabbedInto() noexcept { return S_OK; }

protected:
    ~GridEvents() = default;
};

// One row of a FillRows: the texts of its two cells, and whether the value is picked
// from a list (SetCellChoice).
struct GridRow {
    std::u16string_view name;
    std::u16string_view value;
    bool choice = false;
};

class Grid {
public:
    virtual ~Grid() = default;

    // Connects the sink that receives the grid's events (null disconnects).
    virtual void SetEventSink(GridEvents* sink) noexcept = 0;

    // ---- cells ---------------------------------------------------------------------
    // Text of the current cell. Reading a current cell that names no cell (an empty
    // grid) gives the empty string; writing it fails with CTL_E_INVALIDPROPERTYVALUE.
    virtual std::u16string Text() = 0;
    virtual void SetText(std::u16string_view text) = 0;

    // Number of rows (0 accepted) and of columns (the logic sets 2); negative counts
    // fail with CTL_E_INVALIDPROPERTYVALUE. Existing cells keep their text. When a count
    // shrinks so that the current cell falls outside, the current row (column) moves to
    // the last remaining one (0 when none is left), raising the cell events as a
    // SetRow (SetCol) would.
    virtual void SetRows(std::int32_t rows) = 0;
    virtual void SetCols(std::int32_t cols) = 0;

    // The current cell. A put that changes the value raises LeaveCell (old cell) and then
    // EnterCell (new cell); a put of the current value raises nothing. Whether the grid
    // raises these events for a put made by the logic, or only for the user's moves,
    // depends on the grid; the logic works with either. A put accepts 0 to count - 1,
    // and 0 when the count is 0; anything else fails with CTL_E_INVALIDPROPERTYVALUE
    // and changes nothing.
    virtual std::int32_t Row() = 0;
    virtual void SetRow(std::int32_t row) = 0;
    virtual std::int32_t Col() = 0;  // 0 names, 1 values
    virtual void SetCol(std::int32_t col) = 0;

    // Rectangle of the current cell in twips, relative to the grid's own client area
    // (its place on the container is the grid's Left() / Top() plus these offsets).
    virtual std::int32_t CellLeft() = 0;
    virtual std::int32_t CellTop() = 0;
    virtual std::int32_t CellWidth() = 0;
    virtual std::int32_t CellHeight() = 0;
    // Whether the current cell's row lies, at least in part, in the grid's visible area
    // (false for a grid without a current cell).
    virtual bool CellVisible() = 0;

    // No row is drawn lower than this (twips); negative fails with
    // CTL_E_INVALIDPROPERTYVALUE.
    virtual void SetRowHeightMin(std::int32_t height) = 0;
    // Alignment of the current cell's text (0: the grid's default). Like a Text put, it
    // fails with CTL_E_INVALIDPROPERTYVALUE when the current cell names no cell.
    virtual void SetCellAlignment(std::int16_t alignment) = 0;
    // Whether the current cell's value is picked from a list: the grid shows a drop-down
    // glyph in it. Fails as SetCellAlignment.
    virtual void SetCellChoice(bool choice) = 0;

    // Writes rows first, first + 1, ... of a grid of two or more columns: the name into
    // column 0 and the value into column 1, both with alignment 0, and the value's
    // choice mark. A row outside the count fails with CTL_E_INVALIDPROPERTYVALUE, the
    // rows before it written. The current cell is where it was afterwards. A grid may
    // write them in one pass, without moving its current cell or raising cell events;
    // this one moves the current cell through them with the puts above (raising what a
    // move raises) and back.
    virtual void FillRows(std::int32_t first, std::span<const GridRow> rows) {
        const std::int32_t row = Row(), col = Col();
        for (const GridRow& cells : rows) {
            SetRow(first++);
            SetCol(0);
            SetText(cells.name);
            SetCellAlignment(0);
            SetCol(1);
            SetText(cells.value);
            SetCellAlignment(0);
            SetCellChoice(cells.choice);
        }
        SetCol(col);
        SetRow(row);
    }

    // Width of one column in twips. A width read back may differ from the width set
    // (the grid may keep widths in coarser steps). A column outside 0 to Cols - 1 fails
    // with the subscript-out-of-range error (9), a negative width with
    // CTL_E_INVALIDPROPERTYVALUE.
    virtual std::int32_t ColWidth(std::int32_t col) = 0;
    virtual void SetColWidth(std::int32_t col, std::int32_t width) = 0;

    // The grid's own window. Its style (GetWindowLongA with GWL_STYLE, window_procs.h)
    // has WS_VSCROLL set while the grid shows a vertical scroll bar.
    virtual OLE_HANDLE hWnd() = 0;

    // ---- appearance ------------------------------------------------------------------
    virtual void SetBackColor(OLE_COLOR color) = 0;
    virtual void SetForeColor(OLE_COLOR color) = 0;
    // The grid shares the font object it is given; a null font fails with the
    // object-not-set error (91).
    virtual void SetFont(const FontRef& font) = 0;

    // ---- placement on the container (twips, container's client coordinates) ---------
    virtual float Left() = 0;
    virtual void SetLeft(float left) = 0;
    virtual float Top() = 0;
    virtual void SetTop(float top) = 0;
    // A negative width or height fails with CTL_E_INVALIDPROPERTYVALUE and changes
    // nothing.
    virtual void SetWidth(float width) = 0;
    virtual void SetHeight(float height) = 0;
    // Whether the Tab key stops at the grid.
    virtual void SetTabStop(bool tab_stop) = 0;
    // Takes the input focus (a text box that had it raises LostFocus).
    virtual void SetFocus() = 0;

    // The name assistive technology (a screen reader) announces for the widget.
    virtual void SetAccessibleName(std::u16string_view name) = 0;
    // The name it announces for column col, as a header would give it (the grid shows
    // none). A column outside 0 to Cols - 1 fails with the subscript-out-of-range error
    // (9). A cell with a choice mark (SetCellChoice) tells it that the cell opens a list.
    virtual void SetColumnName(std::int32_t col, std::u16string_view name) = 0;
};

}  // namespace orvane::widgets
