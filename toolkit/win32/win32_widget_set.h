// The control's widgets made of the system's windows: the toolkit of the control's
// library on Windows (widgets::CreateToolkitWidgets, control/widgets/widget_set.h).
//
// The control's window is a surface window made as a child of the container's window;
// inside it lie, at their design-time layout and in stacking order, the group selector,
// the grid, the text editor and the drop-down editor, and the hidden find field. Every
// window is made on the calling thread, the control's user-interface thread.
#pragma once

#include <control/widgets/design_layout.h>
#include <control/widgets/widget_set.h>

namespace orvane::win32 {

// The widgets of one control in the window parent, its window at position (pixels of
// parent). Fails with comrt::com_error (E_HANDLE for a parent that is no window, the
// system's error when a window cannot be made).
widgets::WidgetSet CreateWin32Widgets(HWND parent, const RECT& position);

}  // namespace orvane::win32
