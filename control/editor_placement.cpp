// The placement rule of the in-place editors (editor_placement.h).
#include <control/editor_placement.h>

#include <comrt/error.h>
#include <control/widgets/window_procs.h>

namespace orvane {

std::int32_t ScrollBarAllowance(widgets::Grid& grid) {
    const HWND grid_window = widgets::ToHwnd(grid.hWnd());
    const LONG style = GetWindowLongA(grid_window, GWL_STYLE);
    return (style & WS_VSCROLL) ? kScrollBarAllowance : 0;
}

double CellEdge(float grid_position, std::int32_t cell_offset) noexcept {
    return static_cast<double>(grid_position) + static_cast<double>(cell_offset);
}

std::int32_t EditorWidth(std::int32_t cell_width, std::int32_t allowance) {
    std::int32_t width = 0;
    if (__builtin_sub_overflow(cell_width, allowance, &width)) comrt::raise(comrt::runtime_error::overflow, kErrorSource);
    // A value column narrower than the scroll bar's allowance gives an editor of no width
    // rather than a negative one, which no widget takes: a narrow control keeps working.
    return width < 0 ? 0 : width;
}

void MoveTextEditorOverCell(widgets::Grid& grid, widgets::TextBox& editor, std::int32_t allowance) {
    const float grid_left = grid.Left();
    const std::int32_t cell_left = grid.CellLeft();
    const float grid_top = grid.Top();
    const std::int32_t cell_top = grid.CellTop();
    const std::int32_t cell_width = grid.CellWidth();
    const std::int32_t cell_height = grid.CellHeight();

    const std::int32_t width = EditorWidth(cell_width, allowance);
    const double top = CellEdge(grid_top, cell_top);
    const float left = static_cast<float>(CellEdge(grid_left, cell_left));
    editor.Move(left, top, width, cell_height);
}

void PlaceDropDownOverCell(widgets::Grid& grid, widgets::DropDown& editor, std::int32_t allowance) {
    const float grid_left = grid.Left();
    const std::int32_t cell_left = grid.CellLeft();
    editor.SetLeft(static_cast<float>(CellEdge(grid_left, cell_left)));

    const float grid_top = grid.Top();
    const std::int32_t cell_top = grid.CellTop();
    editor.SetTop(static_cast<float>(CellEdge(grid_top, cell_top)));

    const std::int32_t cell_width = grid.CellWidth();
    editor.SetWidth(static_cast<float>(EditorWidth(cell_width, allowance)));
}

void ShowMessageUnderCell(widgets::Grid& grid, widgets::Container& surface, std::int32_t allowance,
                          std::u16string_view text) {
    const float grid_left = grid.Left();
    const std::int32_t cell_left = grid.CellLeft();
    const float grid_top = grid.Top();
    const std::int32_t cell_top = grid.CellTop();
    const std::int32_t cell_height = grid.CellHeight();
    const std::int32_t width = EditorWidth(grid.CellWidth(), allowance);
    const double top = CellEdge(grid_top, cell_top) + static_cast<double>(cell_height);
    surface.ShowMessage(static_cast<float>(CellEdge(grid_left, cell_left)), top, width, text);
}

}  // namespace orvane
