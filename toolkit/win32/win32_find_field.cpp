// The find field of the widget contract (win32_find_field.h).
#include <toolkit/win32/win32_find_field.h>

#include <toolkit/win32/accessibility.h>
#include <toolkit/win32/editor_keys.h>
#include <toolkit/win32/errors.h>
#include <toolkit/win32/units.h>

namespace orvane::win32 {
namespace {

constexpr COLORREF kMissColour = RGB(0xA4, 0x00, 0x0F);

}  // namespace

Win32FindField::Win32FindField(FamilyRef family, HWND parent)
    : ChildControl(std::move(family), L"EDIT", ES_AUTOHSCROLL | ES_LEFT | WS_BORDER | WS_TABSTOP, parent,
                   COLOR_WINDOW | 0x80000000u, COLOR_WINDOWTEXT | 0x80000000u) {}

int Win32FindField::heightPixels() const noexcept {
    return LineHeight(FontHandle(font_.get())) + 2 * GetSystemMetrics(SM_CYBORDER) + 4;
}

std::u16string Win32FindField::Text() { return WindowText(live()); }

void Win32FindField::SetText(std::u16string_view text) {
    const HWND window = live();
    const std::u16string value(text);
    setting_text_ = true;
    SetWindowTextW(window, Wide(value));
    setting_text_ = false;
    SendMessageW(window, EM_SETSEL, value.size(), static_cast<LPARAM>(value.size()));
}

void Win32FindField::SetVisible(bool visible) {
    const HWND window = live();
    if (visible) ShowWindow(window, SW_SHOWNA);
    else family_->hideKeepingFocus(window);
}

void Win32FindField::Move(float left, float top, float width) {
    const HWND window = live();
    if (!(width >= 0)) FailInvalidValue();
    MoveWindow(window, PixelsX(left), PixelsY(top), PixelsX(width), heightPixels(), TRUE);
}

float Win32FindField::Height() {
    live();
    return static_cast<float>(TwipsY(heightPixels()));
}

void Win32FindField::SetStatus(std::u16string_view status, bool found) {
    const HWND window = live();
    status_.assign(status);
    found_ = found;
    // The margin keeps the typed text clear of the status.
    int width = 0;
    if (!status_.empty()) {
        HDC dc = GetDC(window);
        const HGDIOBJ old = SelectObject(dc, FontHandle(font_.get()));
        SIZE size{};
        GetTextExtentPoint32W(dc, Wide(status_), static_cast<int>(status_.size()), &size);
        SelectObject(dc, old);
        ReleaseDC(window, dc);
        width = size.cx + 6;
    }
    SendMessageW(window, EM_SETMARGINS, EC_RIGHTMARGIN, MAKELPARAM(0, width));
    InvalidateRect(window, nullptr, TRUE);
    AnnotateDescription(window, status_);
    annotated_ = true;
}

void Win32FindField::SetFocus() {
    const HWND window = live();
    ::SetFocus(window);
    SendMessageW(window, EM_SETSEL, 0, -1);
}

void Win32FindField::command(WORD code) {
    if (code == EN_CHANGE && !setting_text_ && raising() && sink_) sink_->Change();
}

void Win32FindField::paintStatus() noexcept {
    const HWND window = this->window();
    if (status_.empty()) return;
    RECT client{};
    GetClientRect(window, &client);
    client.right -= 3;
    HDC dc = GetDC(window);
    const HGDIOBJ old = SelectObject(dc, FontHandle(font_.get()));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, found_ ? GetSysColor(COLOR_GRAYTEXT) : kMissColour);
    DrawTextW(dc, Wide(status_), static_cast<int>(status_.size()), &client,
              DT_RIGHT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(dc, old);
    ReleaseDC(window, dc);
}

LRESULT Win32FindField::message(UINT msg, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (msg == WM_KEYDOWN && wParam == VK_TAB) {
        // Tab leaves the field for the next widget, as it leaves any field of a form.
        family_->tabFrom(window(), GetKeyState(VK_SHIFT) < 0);
        return 0;
    }
    if (HandleEditorKey(raising() ? sink_ : nullptr, swallow_char_, msg, wParam, &result)) return result;
    result = Default(msg, wParam, lParam);
    if (msg == WM_PAINT) paintStatus();
    return result;
}

}  // namespace orvane::win32
