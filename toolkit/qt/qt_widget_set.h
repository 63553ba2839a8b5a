// The control's widgets made of Qt widgets: the toolkit of the control's library
// (widgets::CreateToolkitWidgets, control/widgets/widget_set.h).
//
// The control's window is a surface widget made as a child of the container's window,
// a Qt widget named by its window handle (comrt/window.h); inside it lie, at their
// design-time layout and in stacking order, the group selector, the grid, the text
// editor and the drop-down editor. The surface and the widgets in it belong to the
// container's widget until the control takes them away (Container::Destroy).
#pragma once

#include <control/widgets/design_layout.h>
#include <control/widgets/widget_set.h>

class QWidget;

namespace orvane::qt {

using DesignTimeLayout = widgets::DesignTimeLayout;

// The widgets of one control in the Qt widget `parent` (null: a top-level surface that
// the adapter owns, for tests), its window at position (pixels of parent). Fails with
// comrt::com_error (E_OUTOFMEMORY, a widget's failure).
widgets::WidgetSet CreateQtWidgets(QWidget* parent, const RECT& position);

}  // namespace orvane::qt
