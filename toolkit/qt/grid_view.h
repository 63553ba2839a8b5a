// The grid's widget: a QTableView over a CellModel, two columns, no headers, no frame
// (so that the grid's client area, in which cell rectangles are given, is the viewport).
//
// The current cell is the grid's own (row(), col()), not the view's: code moves it in
// O(1) without scrolling or painting, and the view's current index is brought in line
// once, when control returns to the event loop or when geometry is asked for
// (catchUp). A move by the user (a click, an arrow key) starts in the view and becomes
// the grid's current cell at once. Either way LeaveCell is raised while row() and col()
// still name the old cell, EnterCell once they name the new one.
//
// Scroll is raised when a scroll bar's value changes, except while the view catches up
// with a move made by code (it may scroll the current cell into view; the editors of the
// old cell were closed by that move's LeaveCell). MouseDown is raised for every press
// on the viewport, after the cell events that the press causes.
//
// Catching up is cheap when nothing changed: the view's layout is redone only after
// something that moves cells happened (a change of counts, of a row height or column
// width, of the view's size, font or style); scrolling needs no layout, as cell
// rectangles are read from the view's headers each time. A change of focus repaints the
// current cell alone (only it draws the focus), not the whole viewport.
#pragma once

#include <cstdint>
#include <memory>

#include <QTableView>

class QHelpEvent;
class QMouseEvent;

#include <control/widgets/grid.h>
#include <toolkit/qt/cell_model.h>
#include <toolkit/qt/table_window.h>

namespace orvane::qt {

class GridView final : public QTableView, public TableWindow {
    Q_OBJECT

public:
    explicit GridView(QWidget* parent);
    ~GridView() override;

    void setEventSink(widgets::GridEvents* sink) noexcept { sink_ = sink; }

    CellModel& cells() noexcept { return model_; }
    HWND windowHandle() const noexcept { return handle_; }

    // The current cell. moveTo raises LeaveCell and EnterCell around the change when the
    // cell changes; the view catches up later.
    int row() const noexcept { return row_; }
    int col() const noexcept { return col_; }
    void moveTo(int row, int col);
    // New counts; a current cell left outside moves to the last remaining row (column),
    // with the cell events of a move. Fails as CellModel::setCounts; counts beyond its
    // limits fail before any event.
    void setCounts(int rows, int cols);

    // Brings the view's current index and its layout (scroll bars included) in line
    // with the grid now.
    void catchUp();
    // The current cell's rectangle in the viewport (inside its grid lines), after
    // catchUp; an empty rectangle when the current cell names no cell, and one of no
    // width (height) at the cell's place when its column (row) has no width (height).
    QRect currentCellRect();
    // Whether the vertical scroll bar shows (after catchUp).
    bool showsVerticalScrollBar();

    // A column's new width, laid out and repainted within the current frame.
    void resizeColumn(int col, int pixels);

    // Rows are max(the font's natural row height, minimum) pixels high.
    void setMinimumRowHeight(int pixels);

    // The width of the drop-down glyph in a cell whose value is picked from a list.
    int choiceGlyphWidth() const;

protected:
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void updateGeometries() override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    // Repaints what the focus changes: the current cell's ring and its row's highlight.
    void updateCurrentRowLook();
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    // TableWindow: the grid's window answers no message of its own.
    LRESULT handleMessage(UINT msg, WPARAM wParam, LPARAM lParam) noexcept override;
    LONG liveStyle() noexcept override;

    // How far from the split between the columns (pixels) the pointer takes hold of it.
    static constexpr int kSplitGrip = 3;
    bool dragSplit(QMouseEvent& event);
    void showCellTip(QHelpEvent& event);
    void scheduleCatchUp();
    bool scrollsBySomeRows(const QModelIndex& target) const;
    void paintPendingBeforeScroll();
    void markLayoutStale() noexcept { layout_stale_ = true; }
    void updateRowHeight();
    void raiseScroll();

    CellModel model_;
    HWND handle_ = nullptr;
    widgets::GridEvents* sink_ = nullptr;
    int row_ = 0;
    int col_ = 0;
    int minimum_row_height_ = 0;
    bool catch_up_posted_ = false;
    bool catching_up_ = false;
    bool layout_stale_ = true;  // the view's layout may lag behind its cells or its size
    bool dragging_split_ = false;
    bool scrolled_unpainted_ = false;  // the viewport scrolled since it last painted
};

}  // namespace orvane::qt
