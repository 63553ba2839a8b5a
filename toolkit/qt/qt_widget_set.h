// The control's widgets made of Qt widgets: the toolkit of the control's library
// (widgets::CreateToolkitWidgets, control/widgets/widget_set.h).
//
// The control's window is a surface widget made as a child of the container's window,
// a Qt widget named by its window handle (comrt/window.h); inside it lie, at their
// design-time layout and in stacking order, the group selector, the grid, the text
// editor and the drop-down editor. The surface and the widgets in it belong to the
// container's widget until the control takes them away (Container::Destroy).
#pragma once

#include <control/widgets/widget_set.h>

class QWidget;

namespace orvane::qt {

// Design-time layout of the control (twips): the control, the selector, the grid, the
// text editor (empty until an edit opens) and the drop-down editor. The lists' heights
// are their own.
struct DesignTimeLayout {
    static constexpr float kWidth = 4800, kHeight = 3975;
    static constexpr float kSelectorLeft = 120, kSelectorTop = 120, kSelectorWidth = 4575;
    static constexpr float kGridLeft = 120, kGridTop = 480, kGridWidth = 4575, kGridHeight = 2175;
    static constexpr float kTextLeft = 840, kTextTop = 3000, kTextWidth = 1335, kTextHeight = 285;
    static constexpr float kDropDownLeft = 2640, kDropDownTop = 3120, kDropDownWidth = 1815;
    static constexpr int kGridRows = 2, kGridCols = 2;
};

// The widgets of one control in the Qt widget `parent` (null: a top-level surface that
// the adapter owns, for tests), its window at position (pixels of parent). Fails with
// comrt::com_error (E_OUTOFMEMORY, a widget's failure).
widgets::WidgetSet CreateQtWidgets(QWidget* parent, const RECT& position);

}  // namespace orvane::qt
