// What the adapters over the system's own controls (EDIT, COMBOBOX) share: the window,
// subclassed to see its messages first; its colours, which its parent (the surface)
// reflects back to it from WM_CTLCOLOR*; the notifications of WM_COMMAND, which the
// surface reflects too; its font; and the focus leaving the control.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include <control/widgets/contract.h>
#include <toolkit/win32/appearance.h>
#include <toolkit/win32/family.h>

namespace orvane::win32 {

class ChildControl : public std::enable_shared_from_this<ChildControl> {
public:
    // Makes a window of the system class `window_class` as a child of parent, hidden or
    // shown, with the design-time font, and subclasses it.
    ChildControl(FamilyRef family, const wchar_t* window_class, DWORD style, HWND parent, OLE_COLOR back,
                 OLE_COLOR fore);
    virtual ~ChildControl();
    ChildControl(const ChildControl&) = delete;
    ChildControl& operator=(const ChildControl&) = delete;

    // The adapter of a window made by this class; null for any other window.
    static ChildControl* From(HWND window) noexcept;

    // The window, or null once it is gone.
    HWND window() const noexcept { return window_; }
    // The window; one that is gone fails with E_HANDLE.
    HWND live() const;

    // A WM_COMMAND notification of the window, reflected by its parent.
    virtual void command(WORD /*code*/) {}
    // The answer to a WM_CTLCOLOR* message about the window, reflected by its parent.
    HBRUSH colour(HDC dc) noexcept { return colours_.apply(dc); }

    // Pixels of the window on its parent.
    RECT placement() const;

protected:
    // The window's messages, first; Default passes one on to the control's own handling.
    virtual LRESULT message(UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT Default(UINT msg, WPARAM wParam, LPARAM lParam) noexcept;

    void setColours(OLE_COLOR back, OLE_COLOR fore);
    void setBack(OLE_COLOR colour);
    void setFore(OLE_COLOR colour);
    void setFont(const widgets::FontRef& font);
    void setAccessibleName(std::u16string_view name);
    // Whether events may be raised: the control did not take the windows away.
    bool raising() const noexcept { return !family_->gone; }

    FamilyRef family_;
    Colours colours_;
    widgets::FontRef font_;
    std::u16string accessible_name_;
    bool annotated_ = false;  // told assistive technology something (accessibility.h)

public:
    const std::u16string& accessibleName() const noexcept { return accessible_name_; }

private:
    static LRESULT CALLBACK Subclass(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                     DWORD_PTR data);
    void detach() noexcept;

    HWND window_ = nullptr;
};

// Text of the system's W functions and of the contract (both UTF-16).
inline const wchar_t* Wide(const std::u16string& text) noexcept { return reinterpret_cast<const wchar_t*>(text.c_str()); }
std::u16string WindowText(HWND window);

}  // namespace orvane::win32
