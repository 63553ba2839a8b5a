// The text box of the widget contract (win32_text_box.h).
#include <toolkit/win32/win32_text_box.h>

#include <algorithm>

#include <toolkit/win32/editor_keys.h>
#include <toolkit/win32/errors.h>
#include <toolkit/win32/units.h>

namespace orvane::win32 {

Win32TextBox::Win32TextBox(FamilyRef family, HWND parent, float left, float top, float width, float height)
    : ChildControl(std::move(family), L"EDIT", ES_AUTOHSCROLL | ES_LEFT | WS_TABSTOP, parent, COLOR_WINDOW | 0x80000000u,
                   COLOR_WINDOWTEXT | 0x80000000u) {
    MoveWindow(window(), PixelsX(left), PixelsY(top), PixelsX(width), PixelsY(height), FALSE);
}

std::u16string Win32TextBox::Text() { return WindowText(live()); }

void Win32TextBox::SetText(std::u16string_view text) {
    const HWND window = live();
    const std::u16string value(text);
    SetWindowTextW(window, Wide(value));
    SendMessageW(window, EM_SETSEL, 0, 0);
}

void Win32TextBox::SetVisible(bool visible) {
    const HWND window = live();
    if (visible) ShowWindow(window, SW_SHOWNA);
    else family_->hideKeepingFocus(window);
}

void Win32TextBox::Move(float left, double top, std::int32_t width, std::int32_t height) {
    const HWND window = live();
    if (width < 0 || height < 0) FailInvalidValue();
    const int x = PixelsX(left), y = PixelsY(top), cx = PixelsX(width), cy = PixelsY(height);
    MoveWindow(window, x, y, cx, cy, TRUE);
}

void Win32TextBox::SetTabIndex(std::int16_t index) {
    live();
    if (index < 0) FailInvalidValue();
    tab_index_ = index;
}

void Win32TextBox::SetBorderStyle(std::int16_t style) {
    const HWND window = live();
    if (style != 0 && style != 1) FailInvalidValue();
    const LONG_PTR current = GetWindowLongPtrW(window, GWL_STYLE);
    SetWindowLongPtrW(window, GWL_STYLE, style == 1 ? (current | WS_BORDER) : (current & ~static_cast<LONG_PTR>(WS_BORDER)));
    SetWindowPos(window, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

void Win32TextBox::SetSelStart(std::int32_t start) {
    const HWND window = live();
    if (start < 0) FailInvalidValue();
    DWORD from = 0, to = 0;
    SendMessageW(window, EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
    const std::int32_t length = GetWindowTextLengthW(window);
    const std::int32_t new_start = std::min(start, length);
    const std::int32_t new_length = std::min(static_cast<std::int32_t>(to - from), length - new_start);
    SendMessageW(window, EM_SETSEL, static_cast<WPARAM>(new_start), new_start + std::max(new_length, 0));
}

void Win32TextBox::SetSelLength(std::int32_t length) {
    const HWND window = live();
    if (length < 0) FailInvalidValue();
    DWORD from = 0, to = 0;
    SendMessageW(window, EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
    const std::int32_t text_length = GetWindowTextLengthW(window);
    const std::int32_t start = std::min(static_cast<std::int32_t>(from), text_length);
    SendMessageW(window, EM_SETSEL, static_cast<WPARAM>(start), start + std::min(length, text_length - start));
}

void Win32TextBox::SetFocus() {
    const HWND window = live();
    if (GetFocus() != window) ::SetFocus(window);
}

void Win32TextBox::ZOrder(std::int16_t position) {
    const HWND window = live();
    if (position != 0 && position != 1) FailInvalidValue();
    SetWindowPos(window, position == 0 ? HWND_TOP : HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

LRESULT Win32TextBox::message(UINT msg, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    widgets::TextBoxEvents* sink = raising() ? sink_ : nullptr;
    if (HandleEditorKey(sink, swallow_char_, msg, wParam, &result)) return result;
    switch (msg) {
    case WM_SETFOCUS:
        result = Default(msg, wParam, lParam);
        if (sink) sink->GotFocus();
        return result;
    case WM_KILLFOCUS:
        result = Default(msg, wParam, lParam);
        if (sink) sink->LostFocus();
        return result;
    default:
        return Default(msg, wParam, lParam);
    }
}

}  // namespace orvane::win32
