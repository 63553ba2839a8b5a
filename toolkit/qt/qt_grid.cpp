// The grid of the widget contract (qt_grid.h).
#include <toolkit/qt/qt_grid.h>

#include <QHeaderView>

#include <toolkit/qt/appearance.h>
#include <toolkit/qt/qt_strings.h>
#include <toolkit/qt/units.h>

namespace orvane::qt {
namespace {

[[noreturn]] void FailInvalidValue() { comrt::raise(comrt::runtime_error::invalid_property_value, kErrorSource); }

// A row or column put accepts 0 to count - 1, and 0 when the count is 0.
void CheckPosition(std::int32_t position, int count) {
    if (position < 0 || (position >= count && position != 0)) FailInvalidValue();
}

}  // namespace

QtGrid::QtGrid(QWidget* parent, float left, float top, float width, float height)
    : view_(new GridView(parent)), left_(left), top_(top) {
    GridView& view = live();
    view.setGeometry(PixelsX(view, left), PixelsY(view, top), PixelsX(view, width), PixelsY(view, height));
    view.show();  // with its parent
}

QtGrid::~QtGrid() {
    if (GridView* view = view_.get()) view->setEventSink(nullptr);
}

void QtGrid::SetEventSink(widgets::GridEvents* sink) noexcept {
    if (GridView* view = view_.get()) view->setEventSink(sink);
}

// ---- cells -------------------------------------------------------------------------------

std::u16string QtGrid::Text() {
    GridView& view = live();
    if (!view.cells().holds(view.row(), view.col())) return {};
    return std::u16string(view.cells().text(view.row(), view.col()));
}

void QtGrid::SetText(std::u16string_view text) {
    GridView& view = live();
    if (!view.cells().holds(view.row(), view.col())) FailInvalidValue();
    view.cells().setText(view.row(), view.col(), text);
}

void QtGrid::SetRows(std::int32_t rows) {
    GridView& view = live();
    if (rows < 0) FailInvalidValue();
    view.setCounts(rows, view.cells().cols());
}

void QtGrid::SetCols(std::int32_t cols) {
    GridView& view = live();
    if (cols < 0) FailInvalidValue();
    view.setCounts(view.cells().rows(), cols);
}

std::int32_t QtGrid::Row() { return live().row(); }

void QtGrid::SetRow(std::int32_t row) {
    GridView& view = live();
    CheckPosition(row, view.cells().rows());
    view.moveTo(row, view.col());
}

std::int32_t QtGrid::Col() { return live().col(); }

void QtGrid::SetCol(std::int32_t col) {
    GridView& view = live();
    CheckPosition(col, view.cells().cols());
    view.moveTo(view.row(), col);
}

std::int32_t QtGrid::CellLeft() {
    GridView& view = live();
    return WholeTwipsX(view, view.currentCellRect().left());
}

std::int32_t QtGrid::CellTop() {
    GridView& view = live();
    return WholeTwipsY(view, view.currentCellRect().top());
}

std::int32_t QtGrid::CellWidth() {
    GridView& view = live();
    return WholeTwipsX(view, view.currentCellRect().width());
}

std::int32_t QtGrid::CellHeight() {
    GridView& view = live();
    return WholeTwipsY(view, view.currentCellRect().height());
}

bool QtGrid::CellVisible() {
    GridView& view = live();
    if (!view.cells().holds(view.row(), view.col())) return false;
    // Rows only: the columns always fit the grid's width.
    const QRect cell = view.currentCellRect();
    return cell.bottom() >= 0 && cell.top() < view.viewport()->height();
}

void QtGrid::SetFocus() { live().setFocus(Qt::OtherFocusReason); }

void QtGrid::SetRowHeightMin(std::int32_t height) {
    GridView& view = live();
    if (height < 0) FailInvalidValue();
    view.setMinimumRowHeight(PixelsY(view, height));
}

void QtGrid::SetCellAlignment(std::int16_t alignment) {
    GridView& view = live();
    if (!view.cells().holds(view.row(), view.col())) FailInvalidValue();
    view.cells().setAlignment(view.row(), view.col(), alignment);
}

void QtGrid::SetCellChoice(bool choice) {
    GridView& view = live();
    if (!view.cells().holds(view.row(), view.col())) FailInvalidValue();
    view.cells().setChoice(view.row(), view.col(), choice);
}

void QtGrid::FillRows(std::int32_t first, std::span<const widgets::GridRow> rows) {
    CellModel& cells = live().cells();
    for (const widgets::GridRow& row : rows) {
        if (!cells.holds(first, 1)) FailInvalidValue();
        cells.setText(first, 0, row.name);
        cells.setAlignment(first, 0, 0);
        cells.setText(first, 1, row.value);
        cells.setAlignment(first, 1, 0);
        cells.setChoice(first, 1, row.choice);
        ++first;
    }
}

std::int32_t QtGrid::ColWidth(std::int32_t col) {
    GridView& view = live();
    if (col < 0 || col >= view.cells().cols())
        comrt::raise(comrt::runtime_error::subscript_out_of_range, kErrorSource);
    return WholeTwipsX(view, view.columnWidth(col));
}

void QtGrid::SetColWidth(std::int32_t col, std::int32_t width) {
    GridView& view = live();
    if (col < 0 || col >= view.cells().cols())
        comrt::raise(comrt::runtime_error::subscript_out_of_range, kErrorSource);
    if (width < 0) FailInvalidValue();
    view.resizeColumn(col, PixelsX(view, width));
}

OLE_HANDLE QtGrid::hWnd() { return widgets::ToHandle(live().windowHandle()); }

// ---- appearance and placement -------------------------------------------------------------

void QtGrid::SetBackColor(OLE_COLOR color) {
    GridView& view = live();
    SetPaletteRoles(view, {QPalette::Base, QPalette::Window}, ToQColor(color, view));
}

void QtGrid::SetForeColor(OLE_COLOR color) {
    GridView& view = live();
    SetPaletteRoles(view, {QPalette::Text, QPalette::WindowText}, ToQColor(color, view));
}

void QtGrid::SetFont(const widgets::FontRef& font) {
    GridView& view = live();
    view.setFont(ToQFont(font.get()));
    font_ = font;
}

void QtGrid::SetAccessibleName(std::u16string_view name) { live().setAccessibleName(ToQString(name)); }

void QtGrid::SetColumnName(std::int32_t col, std::u16string_view name) {
    GridView& view = live();
    if (col < 0 || col >= view.cells().cols())
        comrt::raise(comrt::runtime_error::subscript_out_of_range, kErrorSource);
    view.cells().setColumnName(col, ToQString(name));
}

float QtGrid::Left() {
    live();
    return left_;
}

void QtGrid::SetLeft(float left) {
    GridView& view = live();
    view.move(PixelsX(view, left), view.y());
    left_ = left;
}

float QtGrid::Top() {
    live();
    return top_;
}

void QtGrid::SetTop(float top) {
    GridView& view = live();
    view.move(view.x(), PixelsY(view, top));
    top_ = top;
}

void QtGrid::SetWidth(float width) {
    GridView& view = live();
    if (!(width >= 0)) FailInvalidValue();
    view.resize(PixelsX(view, width), view.height());
}

void QtGrid::SetHeight(float height) {
    GridView& view = live();
    if (!(height >= 0)) FailInvalidValue();
    view.resize(view.width(), PixelsY(view, height));
}

void QtGrid::SetTabStop(bool tab_stop) {
    live().setFocusPolicy(tab_stop ? Qt::StrongFocus : Qt::ClickFocus);
}

}  // namespace orvane::qt
