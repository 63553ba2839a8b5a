// The windows of one control (family.h).
#include <toolkit/win32/family.h>

namespace orvane::win32 {

void Family::focusLeaving(HWND to) const noexcept {
    if (gone || !sink || !to || !surface) return;
    if (to == surface || IsChild(surface, to)) return;
    if (GetAncestor(to, GA_ROOT) != GetAncestor(surface, GA_ROOT)) return;
    sink->ExitFocus();
}

void Family::hideKeepingFocus(HWND window) const noexcept {
    const HWND focus = GetFocus();
    if (focus && (focus == window || IsChild(window, focus)) && focus_keeper && IsWindowVisible(focus_keeper))
        SetFocus(focus_keeper);
    ShowWindow(window, SW_HIDE);
}

void Family::tabFrom(HWND window, bool backwards) const noexcept {
    if (gone || !surface) return;
    if (const HWND next = GetNextDlgTabItem(surface, window, backwards ? TRUE : FALSE)) SetFocus(next);
}

}  // namespace orvane::win32
