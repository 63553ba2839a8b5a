// The control's widgets made of the system's windows (win32_widget_set.h).
#include <toolkit/win32/win32_widget_set.h>

#include <comrt/error.h>
#include <toolkit/win32/family.h>
#include <toolkit/win32/win32_drop_down.h>
#include <toolkit/win32/win32_find_field.h>
#include <toolkit/win32/win32_grid.h>
#include <toolkit/win32/win32_surface.h>
#include <toolkit/win32/win32_text_box.h>

namespace orvane::win32 {

widgets::WidgetSet CreateWin32Widgets(HWND parent, const RECT& position) {
    if (!IsWindow(parent)) throw comrt::com_error(E_HANDLE);
    using Layout = widgets::DesignTimeLayout;
    auto family = std::make_shared<Family>();
    auto surface = std::make_shared<Win32Surface>(family, parent, position.left, position.top, Layout::kWidth,
                                                  Layout::kHeight);
    const HWND window = surface->window();
    // Made in stacking order: the editors float over the grid.
    auto selector = std::make_shared<Win32DropDown>(family, window, Layout::kSelectorLeft, Layout::kSelectorTop,
                                                    Layout::kSelectorWidth, true);
    auto find_field = std::make_shared<Win32FindField>(family, window);
    auto grid = std::make_shared<Win32Grid>(family, window, Layout::kGridLeft, Layout::kGridTop, Layout::kGridWidth,
                                            Layout::kGridHeight);
    grid->SetCols(Layout::kGridCols);
    grid->SetRows(Layout::kGridRows);
    auto text_editor = std::make_shared<Win32TextBox>(family, window, Layout::kTextLeft, Layout::kTextTop,
                                                      Layout::kTextWidth, Layout::kTextHeight);
    auto drop_down_editor = std::make_shared<Win32DropDown>(family, window, Layout::kDropDownLeft,
                                                            Layout::kDropDownTop, Layout::kDropDownWidth, false);
    // The editors float over the grid: in front of it in the stacking order.
    for (HWND editor : {text_editor->window(), drop_down_editor->window()})
        SetWindowPos(editor, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    // An editor that hides with the focus leaves it to the grid, inside the control.
    family->focus_keeper = grid->window();
    // Shown with its container's window; the control sizes it with SetObjectRect.
    ShowWindow(window, SW_SHOWNA);
    return {surface, grid, text_editor, selector, drop_down_editor, find_field};
}

}  // namespace orvane::win32

namespace orvane::widgets {

WidgetSet CreateToolkitWidgets(HWND parent, const RECT& position) { return win32::CreateWin32Widgets(parent, position); }

}  // namespace orvane::widgets
