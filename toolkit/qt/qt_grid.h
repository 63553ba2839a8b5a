// The grid of the widget contract (control/widgets/grid.h) over a GridView.
//
// The adapter holds its view through a WidgetHandle: once the view is gone every member
// fails with E_HANDLE.
// Sizes and positions are twips (units.h); Left() and Top() return the values set, which
// the view's pixel position follows.
#pragma once

#include <control/widgets/grid.h>
#include <toolkit/qt/grid_view.h>
#include <toolkit/qt/widget_handle.h>

namespace orvane::qt {

class QtGrid final : public widgets::Grid {
public:
    // Makes the view as a child of parent (owned by it; with no parent, by the adapter),
    // at the design-time place given in twips.
    QtGrid(QWidget* parent, float left, float top, float width, float height);
    ~QtGrid() override;
    QtGrid(const QtGrid&) = delete;
    QtGrid& operator=(const QtGrid&) = delete;

    // The view, or null once it is gone.
    GridView* view() const noexcept { return view_.get(); }

    // ---- widgets::Grid ---------------------------------------------------------------
    void SetEventSink(widgets::GridEvents* sink) noexcept override;
    std::u16string Text() override;
    void SetText(std::u16string_view text) override;
    void SetRows(std::int32_t rows) override;
    void SetCols(std::int32_t cols) override;
    std::int32_t Row() override;
    void SetRow(std::int32_t row) override;
    std::int32_t Col() override;
    void SetCol(std::int32_t col) override;
    std::int32_t CellLeft() override;
    std::int32_t CellTop() override;
    std::int32_t CellWidth() override;
    std::int32_t CellHeight() override;
    void SetRowHeightMin(std::int32_t height) override;
    void SetCellAlignment(std::int16_t alignment) override;
    void SetCellChoice(bool choice) override;
    // Into the cells directly: no move of the current cell, no cell events.
    void FillRows(std::int32_t first, std::span<const widgets::GridRow> rows) override;
    std::int32_t ColWidth(std::int32_t col) override;
    void SetColWidth(std::int32_t col, std::int32_t width) override;
    OLE_HANDLE hWnd() override;
    void SetBackColor(OLE_COLOR color) override;
    void SetForeColor(OLE_COLOR color) override;
    void SetFont(const widgets::FontRef& font) override;
    void SetAccessibleName(std::u16string_view name) override;
    void SetColumnName(std::int32_t col, std::u16string_view name) override;
    float Left() override;
    void SetLeft(float left) override;
    float Top() override;
    void SetTop(float top) override;
    void SetWidth(float width) override;
    void SetHeight(float height) override;
    void SetTabStop(bool tab_stop) override;
    bool CellVisible() override;
    void SetFocus() override;

private:
    GridView& live() const { return view_.live(); }

    WidgetHandle<GridView> view_;
    widgets::FontRef font_;
    float left_;
    float top_;
};

}  // namespace orvane::qt
