// The widgets of one control, and how a toolkit makes them.
//
// The control holds each of them while it is sited; shared ownership lets the control's
// editor tracking hold counted references to the grid and the two editors.
#pragma once

#include <memory>

#include <control/widgets/container.h>
#include <control/widgets/drop_down.h>
#include <control/widgets/find_field.h>
#include <control/widgets/grid.h>
#include <control/widgets/text_box.h>
#include <control/widgets/window_procs.h>

namespace orvane::widgets {

struct WidgetSet {
    std::shared_ptr<Container> surface;          // the control's own surface
    std::shared_ptr<Grid> grid;                  // the name | value grid
    std::shared_ptr<TextBox> text_editor;        // the in-place text editor
    std::shared_ptr<DropDown> selector;          // the group selector
    std::shared_ptr<DropDown> drop_down_editor;  // the in-place drop-down editor
    std::shared_ptr<FindField> find_field;       // the find field, hidden until opened
};

// Makes the widgets of one control: its window, as a child of the container's window
// parent at position (device pixels of parent), and inside it the selector, the grid and
// the two in-place editors at their design-time layout, and the hidden find field. Their
// windows are in the process's window table (window_procs.h; on Windows they are the
// system's windows), with their procedures and styles. The toolkit linked into the
// control's library provides it. Fails with comrt::com_error: E_HANDLE when parent names
// no window of this toolkit.
using CreateWidgetsFn = WidgetSet (*)(HWND parent, const RECT& position);

// The CreateWidgetsFn of the toolkit linked into the control's library (on Linux the Qt
// one, toolkit/qt/qt_widget_set.cpp; on Windows toolkit/win32/win32_widget_set.cpp).
WidgetSet CreateToolkitWidgets(HWND parent, const RECT& position);

}  // namespace orvane::widgets
