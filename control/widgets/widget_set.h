// The widgets of one control, as whoever sites the control hands them over.
//
// The control holds each of them for its whole life and never creates or destroys one;
// shared ownership lets the control's editor tracking hold counted references to the
// grid and the two editors.
#pragma once

#include <memory>

#include <control/widgets/container.h>
#include <control/widgets/drop_down.h>
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
    // The toolkit's window procedures over these widgets' windows. The window hook
    // reaches it through the thread's registration (SetCurrentWindowSystem in
    // window_procs.h), which must name it while the control's hook is installed.
    std::shared_ptr<WindowSystem> window_system;
};

}  // namespace orvane::widgets
