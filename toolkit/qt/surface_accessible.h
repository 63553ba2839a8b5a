// What assistive technology reads of the surface: its own child widgets, then the editors
// that lie deeper, in the grid's viewport, where an item view's accessible interface
// (its cells) does not list them. A screen reader walking down from the window finds an
// open editor where it found it while the editors lay on the surface.
#pragma once

namespace orvane::qt {

// Makes Qt's accessibility ask this toolkit for the surface's interface (once per process).
void InstallSurfaceAccessibility();

}  // namespace orvane::qt
