// Where the control's widgets lie when they are made: the design-time layout every toolkit
// starts from (widgets::CreateToolkitWidgets).
#pragma once

namespace orvane::widgets {

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

}  // namespace orvane::widgets
