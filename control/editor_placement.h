// Where an in-place editor lies: exactly over the grid's current cell.
//
// The one placement rule of the control, used when an editor is opened and by the window
// hook that keeps an open editor over its cell. All values are twips on the container,
// the space in which the grid's Left and Top are given; the current cell's rectangle is
// relative to the grid's own client area and is added to them as it is:
//
//   left   = grid Left + cell left   (sum in double precision)
//   top    = grid Top  + cell top    (sum in double precision)
//   width  = cell width - allowance, at least 0  (32-bit; leaving the 32-bit range: overflow, 6)
//   height = cell height             (text editor only; a drop-down keeps its own)
//
// The allowance is 300 twips while the grid's window shows a vertical scroll bar
// (WS_VSCROLL in its style), otherwise 0, whatever the scroll bar's real width. It is
// worked out afresh for every placement; nothing here keeps a position.
//
// Every function reads from the grid at the moment it is called, in the order stated,
// and lets a failing widget call (comrt::com_error) end the placement at that step.
#pragma once

#include <cstdint>
#include <string_view>

#include <control/widgets/container.h>
#include <control/widgets/drop_down.h>
#include <control/widgets/grid.h>
#include <control/widgets/text_box.h>

namespace orvane {

// The allowance taken off an editor's width while the grid shows a vertical scroll bar.
inline constexpr std::int32_t kScrollBarAllowance = 300;

// Reads the grid's hWnd and its window's style (GetWindowLongA, GWL_STYLE): 300 when
// WS_VSCROLL is set, otherwise 0. A style read that fails gives 0, and so 0.
std::int32_t ScrollBarAllowance(widgets::Grid& grid);

// The edges of the current cell on the container, from values already read.
double CellEdge(float grid_position, std::int32_t cell_offset) noexcept;
// cell width - allowance, clamped at 0; a difference outside the 32-bit range raises the
// overflow error.
std::int32_t EditorWidth(std::int32_t cell_width, std::int32_t allowance);

// Moves the text editor over the current cell with one Move call. Reads, in this order:
// the grid's Left, the cell's left, the grid's Top, the cell's top, the cell's width,
// the cell's height; then Move(left as single, top as double, width, height).
void MoveTextEditorOverCell(widgets::Grid& grid, widgets::TextBox& editor, std::int32_t allowance);

// Lays the drop-down editor over the current cell: its Left (grid Left + cell left),
// then its Top (grid Top + cell top), then its Width (cell width - allowance), each read
// just before it is set and handed over in single precision. Its height is not touched.
void PlaceDropDownOverCell(widgets::Grid& grid, widgets::DropDown& editor, std::int32_t allowance);

// Shows text on the container's message line right under the current cell, as wide as an
// editor over it: left = grid Left + cell left, top = grid Top + cell top + cell height
// (sums in double precision), width = cell width - allowance.
void ShowMessageUnderCell(widgets::Grid& grid, widgets::Container& surface, std::int32_t allowance,
                          std::u16string_view text);

}  // namespace orvane
