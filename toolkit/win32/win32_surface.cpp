// The container surface of the widget contract (win32_surface.h).
#include <toolkit/win32/win32_surface.h>

#include <algorithm>
#include <cstdint>

#include <control/widgets/window_procs.h>

#include <toolkit/win32/child_control.h>
#include <toolkit/win32/errors.h>
#include <toolkit/win32/module.h>
#include <toolkit/win32/units.h>

namespace orvane::win32 {
namespace {

constexpr const wchar_t* kSurfaceClass = L"Orvane.Surface";
// An error's colours, about 7:1 apart, whatever the control's own colours are.
constexpr COLORREF kMessageText = RGB(0xA4, 0x00, 0x0F);
constexpr COLORREF kMessageBack = RGB(0xFD, 0xE7, 0xE9);

}  // namespace

Win32Surface::Win32Surface(FamilyRef family, HWND parent, int left, int top, float width, float height)
    : family_(std::move(family)) {
    EnsureWindowClass(kSurfaceClass, &Procedure);
    window_ = CreateWindowExW(WS_EX_CONTROLPARENT, kSurfaceClass, L"", WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS,
                              left, top, PixelsX(width), PixelsY(height), parent, nullptr, ModuleInstance(), this);
    if (!window_) throw comrt::com_error(HRESULT_FROM_WIN32(GetLastError()));
    family_->surface = window_;
    font_ = DesignTimeFont();
    message_ = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | SS_LEFT | SS_NOPREFIX | WS_BORDER, 0, 0, 0, 0, window_,
                               nullptr, ModuleInstance(), nullptr);
    if (message_) SendMessageW(message_, WM_SETFONT, reinterpret_cast<WPARAM>(FontHandle(font_.get())), FALSE);
    message_brush_ = CreateSolidBrush(kMessageBack);
}

Win32Surface::~Win32Surface() {
    Destroy();
    if (message_brush_) DeleteObject(message_brush_);
}

HWND Win32Surface::live() const {
    if (!window_ || family_->gone) FailGone();
    return window_;
}

LRESULT CALLBACK Win32Surface::Procedure(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
        // The window is the adapter's from its first message on, before CreateWindowExW
        // returns it.
        auto* created = static_cast<Win32Surface*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        SetWindowObject(hwnd, created);
        created->window_ = hwnd;
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
    auto* self = static_cast<Win32Surface*>(WindowObject(hwnd));
    if (!self) return DefWindowProcW(hwnd, msg, wParam, lParam);
    if (msg == WM_NCDESTROY) {
        SetWindowObject(hwnd, nullptr);
        self->window_ = nullptr;
        self->message_ = nullptr;
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
    // An event may let go of the adapter: it stays until the message is handled.
    const auto keep = self->weak_from_this().lock();
    try {
        return self->handle(msg, wParam, lParam);
    } catch (...) {
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

LRESULT Win32Surface::handle(UINT msg, WPARAM wParam, LPARAM lParam) {
    const HWND hwnd = window_;
    switch (msg) {
    case WM_SIZE:
        if (!family_->gone && family_->sink) family_->sink->Resize();
        return 0;
    case WM_ERASEBKGND:
        return 1;  // WM_PAINT paints everything
    case WM_PAINT:
        paint();
        return 0;
    case WM_COMMAND:
        if (ChildControl* child = ChildControl::From(reinterpret_cast<HWND>(lParam))) child->command(HIWORD(wParam));
        return 0;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORSTATIC: {
        const auto dc = reinterpret_cast<HDC>(wParam);
        const auto child = reinterpret_cast<HWND>(lParam);
        if (child && child == message_) {
            SetTextColor(dc, kMessageText);
            SetBkColor(dc, kMessageBack);
            return reinterpret_cast<LRESULT>(message_brush_);
        }
        if (ChildControl* control = ChildControl::From(child)) return reinterpret_cast<LRESULT>(control->colour(dc));
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
    case WM_KILLFOCUS:
        family_->focusLeaving(reinterpret_cast<HWND>(wParam));
        return 0;
    case WM_SETFOCUS:
        // The surface itself takes no input: the focus goes on to the grid.
        if (family_->focus_keeper && IsWindowVisible(family_->focus_keeper)) SetFocus(family_->focus_keeper);
        return 0;
    case WM_MOUSEWHEEL:
        // The wheel over the editors (which pass it on to their parent) scrolls the grid.
        if (family_->focus_keeper) return SendMessageW(family_->focus_keeper, msg, wParam, lParam);
        return 0;
    default:
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

void Win32Surface::paint() noexcept {
    PAINTSTRUCT paint{};
    HDC dc = BeginPaint(window_, &paint);
    if (!dc) return;
    FillRect(dc, &paint.rcPaint, colours_.backBrush());
    EndPaint(window_, &paint);
}

void Win32Surface::SetEventSink(widgets::ContainerEvents* sink) noexcept { family_->sink = sink; }

float Win32Surface::ScaleWidth() {
    RECT client{};
    GetClientRect(live(), &client);
    return static_cast<float>(TwipsX(client.right));
}

float Win32Surface::ScaleHeight() {
    RECT client{};
    GetClientRect(live(), &client);
    return static_cast<float>(TwipsY(client.bottom));
}

OLE_HANDLE Win32Surface::hWnd() { return widgets::ToHandle(live()); }

OLE_COLOR Win32Surface::BackColor() {
    live();
    return back_color_;
}

void Win32Surface::SetBackColor(OLE_COLOR color) {
    const HWND window = live();
    colours_.setBack(color);
    back_color_ = color;
    InvalidateRect(window, nullptr, TRUE);
}

OLE_COLOR Win32Surface::ForeColor() {
    live();
    return fore_color_;
}

void Win32Surface::SetForeColor(OLE_COLOR color) {
    const HWND window = live();
    colours_.setFore(color);
    fore_color_ = color;
    InvalidateRect(window, nullptr, TRUE);
}

widgets::FontRef Win32Surface::Font() {
    live();
    return font_;
}

void Win32Surface::SetFont(const widgets::FontRef& font) {
    const HWND window = live();
    const HFONT handle = FontHandle(font.get());
    if (message_) SendMessageW(message_, WM_SETFONT, reinterpret_cast<WPARAM>(handle), TRUE);
    font_ = font;
    InvalidateRect(window, nullptr, TRUE);
}

void Win32Surface::SetObjectRect(const RECT& position) {
    const HWND window = live();
    if (position.right < position.left || position.bottom < position.top) FailInvalidValue();
    // Any coordinates a container passes, clamped to what a window can have: the size is
    // taken in 64 bits, where no difference of two LONGs overflows.
    static constexpr LONG kMax = 32767;
    const auto coordinate = [](LONG c) { return static_cast<int>(std::clamp<LONG>(c, -kMax, kMax)); };
    const auto extent = [](LONG from, LONG to) {
        return static_cast<int>(std::min<std::int64_t>(std::int64_t{to} - from, kMax));
    };
    const int width = extent(position.left, position.right), height = extent(position.top, position.bottom);
    RECT before{};
    GetClientRect(window, &before);
    const bool same_size = before.right == width && before.bottom == height;
    // A new size reaches the window's procedure as WM_SIZE from the move itself; the first
    // placement lays the control out in any case.
    SetWindowPos(window, nullptr, coordinate(position.left), coordinate(position.top), width, height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    if (same_size && !resized_ && window_) SendMessageW(window, WM_SIZE, SIZE_RESTORED, MAKELPARAM(width, height));
    resized_ = true;
}

void Win32Surface::ShowMessage(float left, double top, std::int32_t width, std::u16string_view text) {
    live();
    if (width < 0) FailInvalidValue();
    const std::u16string line(text);
    const int x = PixelsX(left), y = PixelsY(top), cx = PixelsX(width);
    SetWindowTextW(message_, Wide(line));
    // As high as its text needs at that width.
    RECT bounds{0, 0, std::max(cx - 8, 1), 0};
    HDC dc = GetDC(message_);
    const HGDIOBJ old = SelectObject(dc, FontHandle(font_.get()));
    DrawTextW(dc, Wide(line), static_cast<int>(line.size()), &bounds, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
    SelectObject(dc, old);
    ReleaseDC(message_, dc);
    SetWindowPos(message_, HWND_TOP, x, y, cx, bounds.bottom + 4, SWP_NOACTIVATE | SWP_SHOWWINDOW);
    NotifyWinEvent(EVENT_SYSTEM_ALERT, message_, OBJID_CLIENT, CHILDID_SELF);
}

void Win32Surface::HideMessage() {
    live();
    ShowWindow(message_, SW_HIDE);
}

void Win32Surface::SetVisible(bool visible) { ShowWindow(live(), visible ? SW_SHOWNA : SW_HIDE); }

void Win32Surface::Destroy() noexcept {
    if (family_->gone) return;
    family_->gone = true;
    family_->sink = nullptr;
    if (window_) DestroyWindow(window_);
    window_ = nullptr;
    message_ = nullptr;
}

}  // namespace orvane::win32
