// An editor over the grid: the focus stays inside the control while it hides, and the
// wheel over it scrolls the grid.
//
// Hiding the widget that holds the focus makes Qt pass the focus along the window's focus
// chain, which leads out of the control into the host's widgets: they would see the focus
// for an instant, and keep it when nothing moved it back. An editor hides through
// HideKeepingFocus instead, which first gives the focus to the widget that keeps it inside
// the control (the grid).
#pragma once

#include <QPointer>
#include <QWheelEvent>
#include <QWidget>

namespace orvane::qt {

// Hides widget; when it or one of its children is its window's focus widget, the keeper
// (if any, and shown) takes the focus first.
void HideKeepingFocus(QWidget& widget, const QPointer<QWidget>& keeper);

// The wheel over an editor that lies over the grid scrolls the grid (target: its
// viewport), as it would over the cell underneath. False when there is no target.
bool ForwardWheel(QWheelEvent& event, const QPointer<QWidget>& target);

}  // namespace orvane::qt
