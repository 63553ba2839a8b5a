// An editor over the grid: it lies in the grid's viewport, as an item view's editors do, so
// that scrolling moves it with the cell's pixels; the control still places it in the
// surface's coordinates. The focus stays inside the control while it hides, the wheel
// over it scrolls the grid, and input it leaves alone goes past the grid.
//
// Hiding the widget that holds the focus makes Qt pass the focus along the window's focus
// chain, which leads out of the control into the host's widgets: they would see the focus
// for an instant, and keep it when nothing moved it back. An editor hides through
// HideKeepingFocus instead, which first gives the focus to the widget that keeps it inside
// the control (the grid).
#pragma once

#include <QPoint>
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

// Moves editor into viewport (a descendant of the editor's parent), keeping its place in
// the window, its visibility and its place in the focus chain.
void MoveIntoViewport(QWidget& editor, QWidget& viewport);

// Where the editor's parent lies on the surface the control places it on: (0, 0) while
// the editor lies on the surface itself (or the surface is gone).
QPoint ParentOffset(const QWidget& editor, const QWidget* surface);

// A key or mouse event that an editor in a scroll area's viewport left unhandled goes on
// to the scroll area's parent, where it went while the editors lay beside the grid,
// rather than up into the grid, which would move its cell or raise its MouseDown. True
// when the event was passed on (it is accepted then).
bool PassPastScrollArea(QWidget& editor, QEvent& event);

}  // namespace orvane::qt
