// The window-procedure functions: each forwards to the window system registered for the
// calling thread, and fails as the platform function does when none is registered.
#include <control/widgets/window_procs.h>

namespace orvane::widgets {
namespace {

thread_local WindowSystem* current_system = nullptr;

}  // namespace

WindowSystem* SetCurrentWindowSystem(WindowSystem* system) noexcept {
    WindowSystem* previous = current_system;
    current_system = system;
    return previous;
}

WindowSystem* CurrentWindowSystem() noexcept { return current_system; }

}  // namespace orvane::widgets

LONG_PTR WINAPI SetWindowLongPtrA(HWND hWnd, int nIndex, LONG_PTR dwNewLong) noexcept {
    orvane::widgets::WindowSystem* system = orvane::widgets::CurrentWindowSystem();
    return system ? system->SetWindowLongPtr(hWnd, nIndex, dwNewLong) : 0;
}

LRESULT WINAPI CallWindowProcA(WNDPROC lpPrevWndFunc, HWND hWnd, UINT Msg, WPARAM wParam,
                               LPARAM lParam) noexcept {
    orvane::widgets::WindowSystem* system = orvane::widgets::CurrentWindowSystem();
    return system ? system->CallWindowProc(lpPrevWndFunc, hWnd, Msg, wParam, lParam) : 0;
}

LONG WINAPI GetWindowLongA(HWND hWnd, int nIndex) noexcept {
    orvane::widgets::WindowSystem* system = orvane::widgets::CurrentWindowSystem();
    return system ? system->GetWindowLong(hWnd, nIndex) : 0;
}
