// The container surface of the widget contract (control/widgets/container.h): the
// control's own window, of a window class of the toolkit's, a child of the container's
// window; the control's other windows are its children.
//
// Its window procedure is the surface's own handling: WM_SIZE raises Resize, WM_PAINT
// paints the back colour, and the notifications (WM_COMMAND) and colour requests
// (WM_CTLCOLOR*) of the child controls go back to their adapters. A procedure put in front
// with SetWindowLongPtrA and chaining with CallWindowProcA sees every message around it.
#pragma once

#include <memory>
#include <string>

#include <control/widgets/container.h>
#include <toolkit/win32/appearance.h>
#include <toolkit/win32/family.h>

namespace orvane::win32 {

class Win32Surface final : public widgets::Container, public std::enable_shared_from_this<Win32Surface> {
public:
    // Makes the window in parent at (left, top), at the design-time size (twips), with
    // the design-time colours (button face, button text) and font.
    Win32Surface(FamilyRef family, HWND parent, int left, int top, float width, float height);
    ~Win32Surface() override;
    Win32Surface(const Win32Surface&) = delete;
    Win32Surface& operator=(const Win32Surface&) = delete;

    // The window, or null once it is gone.
    HWND window() const noexcept { return window_; }
    // The message line's window (a STATIC), or null.
    HWND messageLine() const noexcept { return message_; }

    void SetEventSink(widgets::ContainerEvents* sink) noexcept override;
    float ScaleWidth() override;
    float ScaleHeight() override;
    OLE_HANDLE hWnd() override;
    OLE_COLOR BackColor() override;
    void SetBackColor(OLE_COLOR color) override;
    OLE_COLOR ForeColor() override;
    void SetForeColor(OLE_COLOR color) override;
    widgets::FontRef Font() override;
    void SetFont(const widgets::FontRef& font) override;
    void SetObjectRect(const RECT& position) override;
    // The message line is a STATIC child (dark red on pale red), which takes no focus and
    // lets the mouse through (it answers HTTRANSPARENT); showing it raises the system's
    // alert event for assistive technology.
    void ShowMessage(float left, double top, std::int32_t width, std::u16string_view text) override;
    void HideMessage() override;
    void SetVisible(bool visible) override;
    void Destroy() noexcept override;

private:
    static LRESULT CALLBACK Procedure(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT handle(UINT msg, WPARAM wParam, LPARAM lParam);
    HWND live() const;
    void paint() noexcept;

    FamilyRef family_;
    HWND window_ = nullptr;
    HWND message_ = nullptr;
    Colours colours_{0x8000000F, 0x80000012};
    OLE_COLOR back_color_ = 0x8000000F;
    OLE_COLOR fore_color_ = 0x80000012;
    widgets::FontRef font_;
    bool resized_ = false;  // SetObjectRect raised Resize once
    HBRUSH message_brush_ = nullptr;
};

}  // namespace orvane::win32
