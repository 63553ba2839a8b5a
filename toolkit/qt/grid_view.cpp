// The grid's widget (grid_view.h).
#include <toolkit/qt/delivery.h>
#include <toolkit/qt/grid_view.h>

#include <toolkit/qt/keys.h>

#include <algorithm>

#include <QApplication>
#include <QCoreApplication>
#include <QHeaderView>
#include <QHelpEvent>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QToolTip>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPointer>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QSignalBlocker>

#include <comrt/error.h>

#include <toolkit/qt/appearance.h>
#include <toolkit/qt/item_painter.h>
#include <toolkit/qt/units.h>

namespace orvane::qt {
namespace {

// Pixels above and below the text of a row, on top of the font's height.
constexpr int kRowPadding = 4;

std::int16_t ButtonMask(Qt::MouseButton button) noexcept {
    switch (button) {
    case Qt::LeftButton: return 1;
    case Qt::RightButton: return 2;
    case Qt::MiddleButton: return 4;
    default: return 0;
    }
}

std::int16_t ShiftMask(Qt::KeyboardModifiers modifiers) noexcept {
    std::int16_t mask = 0;
    if (modifiers & Qt::ShiftModifier) mask |= 1;
    if (modifiers & Qt::ControlModifier) mask |= 2;
    if (modifiers & Qt::AltModifier) mask |= 4;
    return mask;
}

}  // namespace

namespace {

// Width of the focus ring drawn inside the current cell while the grid has the focus.
constexpr int kFocusRingWidth = 2;

// Draws a cell as the view does, with the first cell of the current row highlighted (the
// row's other cells carry the editors) and a drop-down glyph at the right of a cell whose
// value is picked from a list, so that the user sees it before clicking. While the grid
// has the focus its current cell carries a ring of kFocusRingWidth pixels, in the
// highlighted text's colour on the highlight and in the text's colour elsewhere; without
// the focus the current row's highlight turns to the quiet colour of an inactive one.
class CellDelegate final : public QStyledItemDelegate {
public:
    explicit CellDelegate(GridView* view) : QStyledItemDelegate(view), view_(view) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& given, const QModelIndex& index) const override {
        QStyleOptionViewItem option = given;
        // The style's own focus mark is a thin line that barely shows on the highlight.
        option.state &= ~QStyle::State_HasFocus;
        const bool focused = view_->hasFocus();
        const bool highlighted = index.column() == 0 && index.row() == view_->currentIndex().row();
        if (highlighted) {
            option.state |= QStyle::State_Selected;
            if (!focused) {
                option.palette.setColor(QPalette::Highlight, option.palette.color(QPalette::Midlight));
                option.palette.setColor(QPalette::HighlightedText, option.palette.color(QPalette::Text));
            }
        }
        paintCell(painter, option, index);
        if (!focused || index != view_->currentIndex()) return;
        const QColor ring = option.palette.color(highlighted ? QPalette::HighlightedText : QPalette::Text);
        DrawFocusRing(*painter, option.rect, ring, kFocusRingWidth);
    }

private:
    void paintCell(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
        if (!index.data(CellModel::kChoiceRole).toBool()) return paintItem(painter, option, index);
        const int glyph = std::min(view_->choiceGlyphWidth(), option.rect.width());
        QStyleOptionViewItem text = option;
        text.rect.setRight(option.rect.right() - glyph);
        paintItem(painter, text, index);
        QStyleOption arrow;
        arrow.initFrom(view_);
        arrow.rect = QRect(option.rect.right() - glyph + 1, option.rect.top(), glyph, option.rect.height());
        arrow.rect = arrow.rect.adjusted(glyph / 4, option.rect.height() / 4, -glyph / 4, -option.rect.height() / 4);
        arrow.palette = option.palette;
        view_->style()->drawPrimitive(QStyle::PE_IndicatorArrowDown, &arrow, painter, view_);
    }

    // What QStyledItemDelegate::paint draws, a plain cell laid out once.
    void paintItem(QPainter* painter, const QStyleOptionViewItem& given, const QModelIndex& index) const {
        QStyleOptionViewItem option = given;
        initStyleOption(&option, index);
        if (PaintPlainItem(*painter, option)) return;
        const QWidget* widget = option.widget;
        (widget ? widget->style() : QApplication::style())->drawControl(QStyle::CE_ItemViewItem, &option, painter, widget);
    }

    GridView* view_;
};

}  // namespace

GridView::GridView(QWidget* parent) : QTableView(parent) {
    setModel(&model_);
    setItemDelegate(new CellDelegate(this));
    viewport()->setMouseTracking(true);
    horizontalHeader()->hide();
    verticalHeader()->hide();
    horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    // Column widths are the control's to choose, down to nothing. The header's default
    // minimum section (25 pixels here) would widen narrower columns: a control
    // under 50 pixels wide got columns wider than its grid, and under 25 pixels the name
    // column, read back wider than the control, left the value column a negative width.
    horizontalHeader()->setMinimumSectionSize(0);
    verticalHeader()->setMinimumSectionSize(1);
    setFrameShape(QFrame::NoFrame);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    // No highlight: the current value cell carries its editor, which may be narrower
    // than the cell (the scroll-bar allowance); a highlight would show beside it.
    setSelectionMode(QAbstractItemView::NoSelection);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setTabKeyNavigation(false);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    setFont(DesignTimeFont());
    updateRowHeight();

    // Whatever moves cells makes the next catch-up lay the view out again.
    connect(&model_, &QAbstractItemModel::rowsInserted, this, [this] { markLayoutStale(); });
    connect(&model_, &QAbstractItemModel::rowsRemoved, this, [this] { markLayoutStale(); });
    connect(&model_, &QAbstractItemModel::columnsInserted, this, [this] { markLayoutStale(); });
    connect(&model_, &QAbstractItemModel::columnsRemoved, this, [this] { markLayoutStale(); });
    connect(&model_, &QAbstractItemModel::modelReset, this, [this] { markLayoutStale(); });
    connect(&model_, &QAbstractItemModel::layoutChanged, this, [this] { markLayoutStale(); });
    for (QHeaderView* header : {horizontalHeader(), verticalHeader()}) {
        connect(header, &QHeaderView::sectionResized, this, [this] { markLayoutStale(); });
        connect(header, &QHeaderView::sectionCountChanged, this, [this] { markLayoutStale(); });
    }
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this] { raiseScroll(); });
    connect(horizontalScrollBar(), &QScrollBar::valueChanged, this, [this] { raiseScroll(); });
    handle_ = enterWindowTable(*this);
}

GridView::~GridView() {
    sink_ = nullptr;
    leaveWindowTable(handle_);
}

void GridView::moveTo(int row, int col) {
    if (row == row_ && col == col_) return;
    if (widgets::GridEvents* sink = sink_) Deliver([&] { sink->LeaveCell(); });
    row_ = row;
    col_ = col;
    scheduleCatchUp();
    if (widgets::GridEvents* sink = sink_) Deliver([&] { sink->EnterCell(); });
}

void GridView::setCounts(int rows, int cols) {
    // Counts the model cannot take fail before any event.
    if (!CellModel::fits(rows, cols)) throw comrt::com_error(E_OUTOFMEMORY);
    const int row = row_ >= rows ? std::max(rows - 1, 0) : row_;
    const int col = col_ >= cols ? std::max(cols - 1, 0) : col_;
    const bool moves = row != row_ || col != col_;
    if (moves) {
        if (widgets::GridEvents* sink = sink_) Deliver([&] { sink->LeaveCell(); });
    }
    {
        // Rows or columns taken out from under the view's current index move it; that is
        // no move of the grid's own current cell.
        const QScopedValueRollback<bool> quiet(catching_up_, true);
        model_.setCounts(rows, cols);
    }
    row_ = row;
    col_ = col;
    scheduleCatchUp();
    if (moves) {
        if (widgets::GridEvents* sink = sink_) Deliver([&] { sink->EnterCell(); });
    }
}

void GridView::scheduleCatchUp() {
    if (catch_up_posted_) return;
    catch_up_posted_ = true;
    QMetaObject::invokeMethod(this, &GridView::catchUp, Qt::QueuedConnection);
}

void GridView::catchUp() {
    catch_up_posted_ = false;
    const QModelIndex target = model_.holds(row_, col_) ? model_.index(row_, col_) : QModelIndex();
    if (!layout_stale_ && currentIndex() == target) return;  // in line already
    const QScopedValueRollback<bool> catching(catching_up_, true);
    // Layout first, so that scrolling to the current cell finds the scroll bars' ranges.
    if (layout_stale_) {
        executeDelayedItemsLayout();
        updateGeometries();
    }
    if (currentIndex() == target) return;
    if (target.isValid()) {
        if (scrollsBySomeRows(target)) paintPendingBeforeScroll();
        selectionModel()->setCurrentIndex(target, QItemSelectionModel::NoUpdate);
    } else {
        selectionModel()->clear();
    }
}

// Whether bringing target into view scrolls, by less than half the viewport: a scroll
// whose moved pixels save most of a repaint (a page's scroll repaints nearly all anyway).
bool GridView::scrollsBySomeRows(const QModelIndex& target) const {
    const QRect cell = visualRect(target);
    const int height = viewport()->height();
    const int distance = cell.top() < 0 ? -cell.top() : cell.bottom() - (height - 1);
    return distance > 0 && distance < height / 2;
}

// Qt moves no pixels that are still to be painted: a scroll over a region left dirty (an
// editor closed or moved since the last frame, a cell written) repaints the whole viewport
// instead. What is pending is painted first, a few cells at most, so that the scroll that
// follows moves the rest. Not after a scroll still to be painted (the view's own Page
// Down, say), whose repaint covers the viewport anyway, nor from inside a paint, where
// nothing can be painted.
void GridView::paintPendingBeforeScroll() {
    if (scrolled_unpainted_) return;
    for (const QWidget* widget = this; widget; widget = widget->parentWidget()) {
        if (widget->testAttribute(Qt::WA_WState_InPaintEvent)) return;
    }
    QWidget* top = window();
    if (!top->isVisible()) return;
    QEvent request(QEvent::UpdateRequest);
    QCoreApplication::sendEvent(top, &request);
}

QRect GridView::currentCellRect() {
    catchUp();
    if (!model_.holds(row_, col_)) return {};
    // The view takes the grid line off each cell, which leaves a column (or row) of no
    // width a rectangle one pixel less than nothing. Its inside is empty, not negative:
    // an editor laid over it gets no width rather than one that no widget accepts.
    const QRect cell = visualRect(model_.index(row_, col_));
    return QRect(cell.topLeft(), cell.size().expandedTo(QSize(0, 0)));
}

bool GridView::showsVerticalScrollBar() {
    catchUp();
    return verticalScrollBar()->isVisibleTo(this);
}

void GridView::resizeColumn(int col, int pixels) {
    if (columnWidth(col) == pixels) return;
    // QTableView repaints a resized column from a zero-time timer, that is in a frame of
    // its own after the one a resize of the grid paints anyway: a control resize that
    // sets both columns would paint the viewport (and the editor over it) twice. The
    // layout and the repaint that timer makes are done here instead.
    {
        const QSignalBlocker quiet(horizontalHeader());
        setColumnWidth(col, pixels);
    }
    markLayoutStale();
    updateGeometries();
    viewport()->update();
}

void GridView::setMinimumRowHeight(int pixels) {
    minimum_row_height_ = pixels;
    updateRowHeight();
}

void GridView::updateRowHeight() {
    markLayoutStale();
    const int height = std::max(fontMetrics().height() + kRowPadding, minimum_row_height_);
    if (verticalHeader()->defaultSectionSize() != height) verticalHeader()->setDefaultSectionSize(height);
}

void GridView::raiseScroll() {
    if (catching_up_) return;
    if (widgets::GridEvents* sink = sink_) Deliver([&] { sink->Scroll(); });
}

void GridView::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QTableView::currentChanged(current, previous);
    // The highlight moves with the current row.
    if (previous.isValid() && previous.row() != current.row()) update(model_.index(previous.row(), 0));
    if (current.isValid()) update(model_.index(current.row(), 0));
    if (catching_up_ || !current.isValid()) return;
    moveTo(current.row(), current.column());
}

void GridView::updateGeometries() {
    // Cleared first: a change that this layout itself causes (a scroll bar showing
    // narrows the viewport) leaves it set for one more pass.
    layout_stale_ = false;
    QTableView::updateGeometries();
    // Columns that end within the grid's width (the vertical scroll bar lying over the
    // end of the last one) are not scrolled sideways; the editors leave the bar free.
    if (horizontalScrollBar()->maximum() > 0 && horizontalHeader()->length() <= width())
        horizontalScrollBar()->setRange(0, 0);
}

void GridView::mousePressEvent(QMouseEvent* event) {
    catchUp();
    const QPointer<GridView> alive(this);
    QTableView::mousePressEvent(event);
    if (!alive) return;
    if (widgets::GridEvents* sink = sink_) {
        const QPoint at = event->position().toPoint();
        const float x = static_cast<float>(TwipsX(*this, at.x())), y = static_cast<float>(TwipsY(*this, at.y()));
        Deliver([&] { sink->MouseDown(ButtonMask(event->button()), ShiftMask(event->modifiers()), x, y); });
    }
}

void GridView::mouseDoubleClickEvent(QMouseEvent* event) {
    // The second press of a double click is a press like any other.
    mousePressEvent(event);
}

// The control sees each key first (KeyDown), then each typed character (KeyPress); what
// it leaves alone is the view's own (the arrow and page keys move the current cell).
void GridView::keyPressEvent(QKeyEvent* event) {
    catchUp();
    if (RaiseKeyDown(sink_, *event)) return event->accept();
    const QString text = event->text();
    const bool typed = text.size() == 1 && text.at(0).isPrint() &&
                       !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
    if (typed && sink_) {
        std::int16_t character = static_cast<std::int16_t>(text.at(0).unicode());
        Deliver([&] { sink_->KeyPress(character); });
        if (character == 0) return event->accept();
    }
    // Typing is no search through the rows here.
    if (typed) return event->ignore();
    QTableView::keyPressEvent(event);
}

// Changes of size, font, style and the like are marked after the view's own handling, so
// that the next catch-up lays out again whatever that handling left for later (a scroll
// bar shown or hidden).
void GridView::changeEvent(QEvent* event) {
    QTableView::changeEvent(event);
    if (event->type() == QEvent::FontChange) updateRowHeight();
    markLayoutStale();
}

// The item view's own focus handlers repaint the whole viewport (and the frame) on every
// focus change, which a click that hands the focus on to an editor pays twice. With no
// selection shown and no cell edited in place, only the current cell draws the focus.
void GridView::focusInEvent(QFocusEvent* event) {
    setAttribute(Qt::WA_InputMethodEnabled, false);
    updateCurrentRowLook();
    const bool tabbed = event->reason() == Qt::TabFocusReason || event->reason() == Qt::BacktabFocusReason;
    if (widgets::GridEvents* sink = sink_; sink && tabbed) Deliver([&] { sink->TabbedInto(); });
}

void GridView::focusOutEvent(QFocusEvent*) { updateCurrentRowLook(); }

void GridView::updateCurrentRowLook() {
    const QModelIndex current = currentIndex();
    if (!current.isValid()) return;
    update(current);
    update(model_.index(current.row(), 0));
}

void GridView::resizeEvent(QResizeEvent* event) {
    QTableView::resizeEvent(event);
    markLayoutStale();
}

void GridView::showEvent(QShowEvent* event) {
    QTableView::showEvent(event);
    markLayoutStale();
}

void GridView::scrollContentsBy(int dx, int dy) {
    QTableView::scrollContentsBy(dx, dy);
    scrolled_unpainted_ = true;
}

bool GridView::viewportEvent(QEvent* event) {
    switch (event->type()) {
    case QEvent::Paint:
        scrolled_unpainted_ = false;
        break;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::MouseButtonRelease:
        if (dragSplit(static_cast<QMouseEvent&>(*event))) return true;
        break;
    case QEvent::ToolTip:
        showCellTip(static_cast<QHelpEvent&>(*event));
        return true;
    default:
        break;
    }
    const bool handled = QTableView::viewportEvent(event);
    if (event->type() == QEvent::Resize) markLayoutStale();
    return handled;
}

// The split between the name and the value column is the user's to drag: near it the
// pointer shows a splitter, a press there takes hold of it, and each move gives the name
// column its new width and tells the control (ColumnResized), which sizes the rest.
bool GridView::dragSplit(QMouseEvent& event) {
    if (model_.cols() < 2) return false;
    const int split = columnViewportPosition(1);
    const int x = qRound(event.position().x());
    const bool near = std::abs(x - split) <= kSplitGrip;
    switch (event.type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        if (!near || event.button() != Qt::LeftButton) return false;
        dragging_split_ = true;
        return true;
    case QEvent::MouseMove:
        if (!dragging_split_) {
            if (near) viewport()->setCursor(Qt::SplitHCursor);
            else viewport()->unsetCursor();
            return false;
        }
        setColumnWidth(0, std::clamp(x, 0, viewport()->width()));
        if (widgets::GridEvents* sink = sink_) Deliver([&] { sink->ColumnResized(); });
        return true;
    case QEvent::MouseButtonRelease:
        if (!dragging_split_) return false;
        dragging_split_ = false;
        return true;
    default:
        return false;
    }
}

// A cell too narrow for its text shows the row's whole name and value as a tip.
void GridView::showCellTip(QHelpEvent& event) {
    const QModelIndex index = indexAt(event.pos());
    if (!index.isValid()) return QToolTip::hideText();
    const QString text = index.data().toString();
    const int margin = 2 * (style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1);
    const int room = visualRect(index).width() - (index.data(CellModel::kChoiceRole).toBool() ? choiceGlyphWidth() : 0);
    if (fontMetrics().horizontalAdvance(text) + margin <= room) return QToolTip::hideText();
    const QString name = model_.index(index.row(), 0).data().toString();
    const QString value = model_.cols() > 1 ? model_.index(index.row(), 1).data().toString() : QString();
    QToolTip::showText(event.globalPos(), name + QStringLiteral(": ") + value, viewport(), visualRect(index));
}

int GridView::choiceGlyphWidth() const { return verticalHeader()->defaultSectionSize(); }

LRESULT GridView::handleMessage(UINT, WPARAM, LPARAM) noexcept { return 0; }

LONG GridView::liveStyle() noexcept { return showsVerticalScrollBar() ? WS_VSCROLL : 0; }

}  // namespace orvane::qt
