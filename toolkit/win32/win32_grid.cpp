// The grid of the widget contract (win32_grid.h).
#include <toolkit/win32/win32_grid.h>

#include <windowsx.h>

#include <algorithm>
#include <cstdlib>
#include <new>
#include <utility>

#include <control/widgets/window_procs.h>

#include <toolkit/win32/accessibility.h>
#include <toolkit/win32/errors.h>
#include <toolkit/win32/grid_accessible.h>
#include <toolkit/win32/keys.h>
#include <toolkit/win32/module.h>
#include <toolkit/win32/units.h>

namespace orvane::win32 {
namespace {

constexpr const wchar_t* kGridClass = L"Orvane.Grid";
constexpr int kDefaultColumnWidth = 100;  // pixels
constexpr int kRowPadding = 4;            // pixels above and below the text together
constexpr int kSplitGrip = 3;             // pixels either side of the split that take hold of it
// The most cells the grid holds: beyond, a count fails with E_OUTOFMEMORY before any event.
constexpr long long kMaxCells = 1LL << 24;

std::int16_t MouseShift(WPARAM wParam) noexcept {
    namespace keys = widgets::keys;
    std::int16_t shift = 0;
    if (wParam & MK_SHIFT) shift |= keys::kShift;
    if (wParam & MK_CONTROL) shift |= keys::kCtrl;
    if (GetKeyState(VK_MENU) < 0) shift |= keys::kAlt;
    return shift;
}

}  // namespace

Win32Grid::Win32Grid(FamilyRef family, HWND parent, float left, float top, float width, float height)
    : family_(std::move(family)), left_(left), top_(top) {
    EnsureWindowClass(kGridClass, &Procedure);
    font_ = DesignTimeFont();
    window_ = CreateWindowExW(0, kGridClass, L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_CLIPSIBLINGS, PixelsX(left),
                              PixelsY(top), PixelsX(width), PixelsY(height), parent, nullptr, ModuleInstance(), this);
    if (!window_) throw comrt::com_error(HRESULT_FROM_WIN32(GetLastError()));
    updateRowHeight();
}

Win32Grid::~Win32Grid() {
    disconnectAccessible();
    if (!window_) return;
    if (!accessible_name_.empty()) ClearAnnotations(window_);
    SetWindowObject(window_, nullptr);
}

HWND Win32Grid::live() const {
    if (!window_ || family_->gone) FailGone();
    return window_;
}

std::u16string Win32Grid::columnName(int col) const {
    return col >= 0 && col < static_cast<int>(column_names_.size()) ? column_names_[static_cast<std::size_t>(col)]
                                                                      : std::u16string();
}

// ---- layout ------------------------------------------------------------------------------------

int Win32Grid::columnLeft(int col) const noexcept {
    int left = 0;
    for (int c = 0; c < col && c < static_cast<int>(col_widths_.size()); ++c) left += col_widths_[static_cast<std::size_t>(c)];
    return left;
}

RECT Win32Grid::cellRect(int row, int col) const noexcept {
    const int left = columnLeft(col);
    const int width = col >= 0 && col < static_cast<int>(col_widths_.size()) ? col_widths_[static_cast<std::size_t>(col)] : 0;
    const int top = (row - top_row_) * row_height_;
    return RECT{left, top, left + width, top + row_height_};
}

bool Win32Grid::cellAt(POINT at, int& row, int& col) const noexcept {
    if (at.y < 0 || at.x < 0) return false;
    row = top_row_ + at.y / row_height_;
    if (row >= cells_.rows()) return false;
    int left = 0;
    for (col = 0; col < cells_.cols(); ++col) {
        const int right = left + col_widths_[static_cast<std::size_t>(col)];
        if (at.x < right) return true;
        left = right;
    }
    return false;
}

int Win32Grid::pageRows() const noexcept { return std::max(1, client_height_ / row_height_); }

void Win32Grid::updateScrollBar() noexcept {
    if (!window_) return;
    top_row_ = std::clamp(top_row_, 0, std::max(0, cells_.rows() - pageRows()));
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    info.nMin = 0;
    info.nMax = std::max(0, cells_.rows() - 1);
    info.nPage = static_cast<UINT>(cells_.rows() > 0 ? pageRows() : 1);
    info.nPos = top_row_;
    // The bar shows or hides at once (WS_VSCROLL); it is painted with the next paint, so
    // that filling the grid row by row draws no bar in between.
    SetScrollInfo(window_, SB_VERT, &info, FALSE);
    invalidateBar();
}

void Win32Grid::updateRowHeight() noexcept {
    row_height_ = std::max({LineHeight(FontHandle(font_.get())) + kRowPadding, row_height_min_, 1});
    updateScrollBar();
    invalidateAll();
}

// A grid filled row by row invalidates itself once until it paints again, and a row out
// of view not at all.
void Win32Grid::invalidateAll() noexcept {
    if (invalid_ || !window_) return;
    InvalidateRect(window_, nullptr, FALSE);
    invalid_ = true;
}

void Win32Grid::invalidateBar() noexcept {
    if (bar_invalid_ || !window_) return;
    RedrawWindow(window_, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_NOCHILDREN);
    bar_invalid_ = true;
}

void Win32Grid::invalidateRow(int row) noexcept {
    if (invalid_ || !window_ || row < top_row_ || (row - top_row_) * row_height_ >= client_height_) return;
    RECT rect = cellRect(row, 0);
    rect.left = 0;
    rect.right = client_width_;
    InvalidateRect(window_, &rect, FALSE);
}

void Win32Grid::scrollTo(int top_row, bool user) {
    top_row = std::clamp(top_row, 0, std::max(0, cells_.rows() - pageRows()));
    if (top_row == top_row_) return;
    top_row_ = top_row;
    SetScrollPos(window_, SB_VERT, top_row_, FALSE);
    invalidateBar();
    invalidateAll();
    if (user && raising()) sink_->Scroll();
}

void Win32Grid::showCurrentRow(bool user) {
    const int page = pageRows();
    if (row_ < top_row_) scrollTo(row_, user);
    else if (row_ >= top_row_ + page) scrollTo(row_ - page + 1, user);
}

// ---- the current cell --------------------------------------------------------------------------

void Win32Grid::moveTo(int row, int col) {
    if (row == row_ && col == col_) return;
    const FamilyRef family = family_;  // an event may take the windows away
    if (raising()) sink_->LeaveCell();
    if (family->gone) return;
    invalidateRow(row_);
    row_ = row;
    col_ = col;
    invalidateRow(row_);
    if (window_ && GetFocus() == window_) notifyCurrentRow(EVENT_OBJECT_FOCUS);
    if (raising()) sink_->EnterCell();
}

void Win32Grid::selectCell(int row, int col, bool focus) {
    if (gone() || !cells_.holds(row, col)) return;
    const FamilyRef family = family_;
    if (focus && GetFocus() != window_) ::SetFocus(window_);
    if (family->gone || !window_) return;
    moveTo(row, col);
    if (!family->gone && window_) showCurrentRow(true);
}

// ---- assistive technology ----------------------------------------------------------------------

LRESULT Win32Grid::accessibleObject(WPARAM flags) {
    if (!accessible_) accessible_ = comrt::attach(new GridAccessible(this));
    return LresultFromObject(kIAccessible, flags, static_cast<IAccessible*>(accessible_.get()));
}

void Win32Grid::disconnectAccessible() noexcept {
    if (const auto accessible = std::exchange(accessible_, nullptr)) accessible->disconnect();
}

// The row's object is child row + 1 of the grid's client object.
void Win32Grid::notifyCurrentRow(DWORD event) const noexcept {
    if (cells_.holds(row_, col_)) NotifyWinEvent(event, window_, OBJID_CLIENT, row_ + 1);
}

void Win32Grid::checkCurrentCell() const {
    if (!cells_.holds(row_, col_)) FailInvalidValue();
}

std::u16string Win32Grid::Text() {
    live();
    return cells_.holds(row_, col_) ? cells_.at(row_, col_).text : std::u16string();
}

void Win32Grid::SetText(std::u16string_view text) {
    live();
    checkCurrentCell();
    std::u16string& cell = cells_.at(row_, col_).text;
    if (cell == text) return;
    cell.assign(text);
    invalidateRow(row_);
    // Only a row in view is announced: a fill of the grid says nothing of the rows below.
    if (row_ >= top_row_ && (row_ - top_row_) * row_height_ < client_height_) notifyCurrentRow(EVENT_OBJECT_VALUECHANGE);
}

void Win32Grid::SetRows(std::int32_t rows) {
    live();
    if (rows < 0) FailInvalidValue();
    if (static_cast<long long>(rows) * std::max(cells_.cols(), 1) > kMaxCells) throw comrt::com_error(E_OUTOFMEMORY);
    const int row = row_ >= rows ? std::max(rows - 1, 0) : row_;
    const bool moves = row != row_;
    const FamilyRef family = family_;
    if (moves && raising()) sink_->LeaveCell();
    if (family->gone) return;
    try {
        cells_.setRows(rows);
    } catch (const std::bad_alloc&) {
        throw comrt::com_error(E_OUTOFMEMORY);
    }
    row_ = row;
    updateScrollBar();
    invalidateAll();
    if (moves && raising()) sink_->EnterCell();
}

void Win32Grid::SetCols(std::int32_t cols) {
    live();
    if (cols < 0) FailInvalidValue();
    if (static_cast<long long>(cols) * std::max(cells_.rows(), 1) > kMaxCells) throw comrt::com_error(E_OUTOFMEMORY);
    const int col = col_ >= cols ? std::max(cols - 1, 0) : col_;
    const bool moves = col != col_;
    const FamilyRef family = family_;
    if (moves && raising()) sink_->LeaveCell();
    if (family->gone) return;
    try {
        cells_.setCols(cols);
        col_widths_.resize(static_cast<std::size_t>(cols), kDefaultColumnWidth);
        column_names_.resize(static_cast<std::size_t>(cols));
    } catch (const std::bad_alloc&) {
        throw comrt::com_error(E_OUTOFMEMORY);
    }
    col_ = col;
    invalidateAll();
    if (moves && raising()) sink_->EnterCell();
}

std::int32_t Win32Grid::Row() {
    live();
    return row_;
}

void Win32Grid::SetRow(std::int32_t row) {
    live();
    if (row < 0 || (row >= cells_.rows() && !(row == 0 && cells_.rows() == 0))) FailInvalidValue();
    moveTo(row, col_);
    if (window_) showCurrentRow(false);
}

std::int32_t Win32Grid::Col() {
    live();
    return col_;
}

void Win32Grid::SetCol(std::int32_t col) {
    live();
    if (col < 0 || (col >= cells_.cols() && !(col == 0 && cells_.cols() == 0))) FailInvalidValue();
    moveTo(row_, col);
}

std::int32_t Win32Grid::CellLeft() {
    live();
    return WholeTwipsX(cellRect(row_, col_).left);
}

std::int32_t Win32Grid::CellTop() {
    live();
    return WholeTwipsY(cellRect(row_, col_).top);
}

std::int32_t Win32Grid::CellWidth() {
    live();
    const RECT cell = cellRect(row_, col_);
    return WholeTwipsX(cell.right - cell.left);
}

std::int32_t Win32Grid::CellHeight() {
    live();
    return WholeTwipsY(row_height_);
}

bool Win32Grid::CellVisible() {
    const HWND window = live();
    if (!cells_.holds(row_, col_) || row_ < top_row_) return false;
    RECT client{};
    GetClientRect(window, &client);
    return cellRect(row_, col_).top < client.bottom;
}

void Win32Grid::SetRowHeightMin(std::int32_t height) {
    live();
    if (height < 0) FailInvalidValue();
    row_height_min_ = PixelsY(height);
    updateRowHeight();
}

void Win32Grid::SetCellAlignment(std::int16_t alignment) {
    live();
    checkCurrentCell();
    cells_.at(row_, col_).alignment = alignment;
    invalidateRow(row_);
}

void Win32Grid::SetCellChoice(bool choice) {
    live();
    checkCurrentCell();
    cells_.at(row_, col_).choice = choice;
    invalidateRow(row_);
}

std::int32_t Win32Grid::ColWidth(std::int32_t col) {
    live();
    if (col < 0 || col >= cells_.cols()) Fail(comrt::runtime_error::subscript_out_of_range);
    return WholeTwipsX(col_widths_[static_cast<std::size_t>(col)]);
}

void Win32Grid::SetColWidth(std::int32_t col, std::int32_t width) {
    live();
    if (col < 0 || col >= cells_.cols()) Fail(comrt::runtime_error::subscript_out_of_range);
    if (width < 0) FailInvalidValue();
    col_widths_[static_cast<std::size_t>(col)] = PixelsX(width);
    invalidateAll();
}

OLE_HANDLE Win32Grid::hWnd() { return widgets::ToHandle(live()); }

void Win32Grid::SetBackColor(OLE_COLOR color) {
    live();
    colours_.setBack(color);
    invalidateAll();
}

void Win32Grid::SetForeColor(OLE_COLOR color) {
    live();
    colours_.setFore(color);
    invalidateAll();
}

void Win32Grid::SetFont(const widgets::FontRef& font) {
    live();
    FontHandle(font.get());
    font_ = font;
    updateRowHeight();
}

float Win32Grid::Left() {
    live();
    return left_;
}

void Win32Grid::SetLeft(float left) {
    const HWND window = live();
    const int x = PixelsX(left);
    SetWindowPos(window, nullptr, x, PixelsY(top_), 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    left_ = left;
}

float Win32Grid::Top() {
    live();
    return top_;
}

void Win32Grid::SetTop(float top) {
    const HWND window = live();
    const int y = PixelsY(top);
    SetWindowPos(window, nullptr, PixelsX(left_), y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    top_ = top;
}

void Win32Grid::SetWidth(float width) {
    const HWND window = live();
    if (!(width >= 0)) FailInvalidValue();
    RECT place{};
    GetWindowRect(window, &place);
    SetWindowPos(window, nullptr, 0, 0, PixelsX(width), place.bottom - place.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32Grid::SetHeight(float height) {
    const HWND window = live();
    if (!(height >= 0)) FailInvalidValue();
    RECT place{};
    GetWindowRect(window, &place);
    SetWindowPos(window, nullptr, 0, 0, place.right - place.left, PixelsY(height),
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32Grid::SetTabStop(bool tab_stop) {
    const HWND window = live();
    const LONG_PTR style = GetWindowLongPtrW(window, GWL_STYLE);
    SetWindowLongPtrW(window, GWL_STYLE, tab_stop ? (style | WS_TABSTOP) : (style & ~static_cast<LONG_PTR>(WS_TABSTOP)));
}

void Win32Grid::SetFocus() { ::SetFocus(live()); }

void Win32Grid::SetAccessibleName(std::u16string_view name) {
    const HWND window = live();
    accessible_name_.assign(name);
    AnnotateName(window, accessible_name_);
}

void Win32Grid::SetColumnName(std::int32_t col, std::u16string_view name) {
    live();
    if (col < 0 || col >= cells_.cols()) Fail(comrt::runtime_error::subscript_out_of_range);
    column_names_[static_cast<std::size_t>(col)].assign(name);
}

// ---- the window ----------------------------------------------------------------------------------

LRESULT CALLBACK Win32Grid::Procedure(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
        // The window is the adapter's from its first message on, before CreateWindowExW
        // returns it.
        auto* created = static_cast<Win32Grid*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        SetWindowObject(hwnd, created);
        created->window_ = hwnd;
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
    auto* self = static_cast<Win32Grid*>(WindowObject(hwnd));
    if (!self) return DefWindowProcW(hwnd, msg, wParam, lParam);
    if (msg == WM_NCDESTROY) {
        self->disconnectAccessible();
        if (!self->accessible_name_.empty()) ClearAnnotations(hwnd);
        SetWindowObject(hwnd, nullptr);
        self->window_ = nullptr;
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
    // An event may let go of the adapter: it stays until the message is handled.
    const auto keep = self->weak_from_this().lock();
    const FamilyRef family = self->family_;
    LRESULT result = 0;
    try {
        result = self->handle(msg, wParam, lParam);
    } catch (...) {
        result = DefWindowProcW(hwnd, msg, wParam, lParam);
    }
    if (msg == WM_KILLFOCUS) family->focusLeaving(reinterpret_cast<HWND>(wParam));
    return result;
}

LRESULT Win32Grid::handle(UINT msg, WPARAM wParam, LPARAM lParam) {
    const HWND hwnd = window_;
    switch (msg) {
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT:
        paint();
        return 0;
    case WM_SIZE:
        client_width_ = LOWORD(lParam);
        client_height_ = HIWORD(lParam);
        updateScrollBar();
        invalidateAll();
        return 0;
    case WM_NCPAINT:
        bar_invalid_ = false;
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    case WM_GETDLGCODE: {
        // Enter and Escape are the control's (KeyDown), not a dialog's default buttons; Tab
        // stays the dialog's, which moves the focus.
        const auto* key = reinterpret_cast<const MSG*>(lParam);
        const bool wanted = key && key->message == WM_KEYDOWN && (key->wParam == VK_RETURN || key->wParam == VK_ESCAPE);
        return DLGC_WANTARROWS | DLGC_WANTCHARS | (wanted ? DLGC_WANTMESSAGE : 0);
    }
    case WM_KEYDOWN:
        onKeyDown(wParam);
        return 0;
    case WM_SYSKEYDOWN:
        // Alt with a key the control acts on; any other stays the system's (Alt+F4).
        if (RaiseKeyDown(raising() ? sink_ : nullptr, wParam)) return 0;
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    case WM_CHAR:
        onChar(wParam);
        return 0;
    case WM_VSCROLL:
        onVScroll(LOWORD(wParam), HIWORD(wParam));
        return 0;
    case WM_MOUSEWHEEL: {
        UINT lines = 3;
        SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
        wheel_rest_ += GET_WHEEL_DELTA_WPARAM(wParam);
        const int notches = wheel_rest_ / WHEEL_DELTA;
        wheel_rest_ %= WHEEL_DELTA;
        const int rows = lines == WHEEL_PAGESCROLL ? pageRows() : static_cast<int>(lines);
        if (notches != 0) scrollTo(top_row_ - notches * rows, true);
        return 0;
    }
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        if (msg == WM_LBUTTONDOWN && dragSplit(msg, lParam)) return 0;
        onMouseDown(msg, wParam, lParam);
        return 0;
    case WM_MOUSEMOVE:
    case WM_LBUTTONUP:
        dragSplit(msg, lParam);
        return 0;
    case WM_CAPTURECHANGED:
        dragging_split_ = false;
        return 0;
    case WM_SETCURSOR: {
        POINT at{};
        GetCursorPos(&at);
        ScreenToClient(hwnd, &at);
        if (LOWORD(lParam) == HTCLIENT && cells_.cols() >= 2 && std::abs(at.x - columnLeft(1)) <= kSplitGrip) {
            SetCursor(LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_SIZEWE)));
            return TRUE;
        }
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
    case WM_GETOBJECT:
        // The client area is the grid's table; every other object is the system's.
        // A thread without COM cannot marshal it: the system's own object answers then.
        if (static_cast<LONG>(static_cast<DWORD>(lParam)) == OBJID_CLIENT) {
            const LRESULT object = accessibleObject(wParam);
            if (SUCCEEDED(static_cast<HRESULT>(object))) return object;
        }
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    case WM_SETFOCUS:
        invalidateRow(row_);
        notifyCurrentRow(EVENT_OBJECT_FOCUS);
        if (raising() && GetKeyState(VK_TAB) < 0) sink_->TabbedInto();
        return 0;
    case WM_KILLFOCUS:
        invalidateRow(row_);
        return 0;
    default:
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

void Win32Grid::onVScroll(WORD request, int position16) {
    const int page = pageRows();
    switch (request) {
    case SB_LINEUP: scrollTo(top_row_ - 1, true); break;
    case SB_LINEDOWN: scrollTo(top_row_ + 1, true); break;
    case SB_PAGEUP: scrollTo(top_row_ - page, true); break;
    case SB_PAGEDOWN: scrollTo(top_row_ + page, true); break;
    case SB_TOP: scrollTo(0, true); break;
    case SB_BOTTOM: scrollTo(cells_.rows(), true); break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: {
        // The message carries 16 bits of the position; a drag of the bar's thumb knows all
        // 32 of them.
        SCROLLINFO info{};
        info.cbSize = sizeof info;
        info.fMask = SIF_TRACKPOS;
        GetScrollInfo(window_, SB_VERT, &info);
        const int position = (info.nTrackPos & 0xFFFF) == position16 ? info.nTrackPos : position16;
        scrollTo(position, true);
        break;
    }
    default: break;
    }
}

void Win32Grid::onKeyDown(WPARAM vk) {
    if (vk == VK_TAB) {
        // Tab moves the focus on to the next widget of the control that takes it.
        family_->tabFrom(window_, GetKeyState(VK_SHIFT) < 0);
        return;
    }
    const FamilyRef family = family_;
    if (RaiseKeyDown(raising() ? sink_ : nullptr, vk) || family->gone) return;
    if (cells_.rows() == 0 || cells_.cols() == 0) return;
    const bool ctrl = GetKeyState(VK_CONTROL) < 0;
    const int page = pageRows();
    int row = row_, col = col_;
    switch (vk) {
    case VK_UP: --row; break;
    case VK_DOWN: ++row; break;
    case VK_PRIOR: row -= page; break;
    case VK_NEXT: row += page; break;
    case VK_LEFT: --col; break;
    case VK_RIGHT: ++col; break;
    case VK_HOME: (ctrl ? row : col) = 0; break;
    case VK_END: (ctrl ? row : col) = ctrl ? cells_.rows() - 1 : cells_.cols() - 1; break;
    default: return;
    }
    row = std::clamp(row, 0, cells_.rows() - 1);
    col = std::clamp(col, 0, cells_.cols() - 1);
    moveTo(row, col);
    if (!family->gone && window_) showCurrentRow(true);
}

void Win32Grid::onChar(WPARAM character) {
    if (character < 0x20 || character == 0x7F || character > 0xFFFF) return;
    if (GetKeyState(VK_CONTROL) < 0 || GetKeyState(VK_MENU) < 0) return;
    if (!raising()) return;
    std::int16_t typed = static_cast<std::int16_t>(character);
    sink_->KeyPress(typed);
}

void Win32Grid::onMouseDown(UINT msg, WPARAM wParam, LPARAM lParam) {
    const POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    const FamilyRef family = family_;
    if (GetFocus() != window_) ::SetFocus(window_);
    int row = 0, col = 0;
    if (!family->gone && cellAt(at, row, col)) {
        moveTo(row, col);
        if (!family->gone && window_) showCurrentRow(true);
    }
    if (!raising()) return;
    const std::int16_t button = msg == WM_RBUTTONDOWN ? 2 : msg == WM_MBUTTONDOWN ? 4 : 1;
    sink_->MouseDown(button, MouseShift(wParam), static_cast<float>(TwipsX(at.x)), static_cast<float>(TwipsY(at.y)));
}

// The split between the name and the value column is the user's to drag: a press near it
// takes hold of it, each move gives the name column its new width and tells the control
// (ColumnResized), which sizes the rest.
bool Win32Grid::dragSplit(UINT msg, LPARAM lParam) {
    const int x = GET_X_LPARAM(lParam);
    switch (msg) {
    case WM_LBUTTONDOWN:
        if (cells_.cols() < 2 || std::abs(x - columnLeft(1)) > kSplitGrip) return false;
        dragging_split_ = true;
        SetCapture(window_);
        return true;
    case WM_MOUSEMOVE: {
        if (!dragging_split_) return false;
        RECT client{};
        GetClientRect(window_, &client);
        const int width = std::clamp(x, 0, static_cast<int>(client.right));
        if (width == col_widths_[0]) return true;
        col_widths_[0] = width;
        invalidateAll();
        if (raising()) sink_->ColumnResized();
        return true;
    }
    case WM_LBUTTONUP:
        if (!dragging_split_) return false;
        dragging_split_ = false;
        ReleaseCapture();
        return true;
    default:
        return false;
    }
}

}  // namespace orvane::win32
