// Window procedures: the platform functions the control's window hook calls by name, as
// 64-bit Windows has them, and the toolkit service behind them.
//
// A window has a chain of procedures. Its original procedure is the toolkit's own
// handling of the window (for the control's surface: its painting, and the resize layout
// of the control). SetWindowLongPtrA(hWnd, GWLP_WNDPROC, proc) makes proc the window's
// procedure and returns the one it replaced; the new procedure chains to the old one
// with CallWindowProcA. Every message to the window enters at its current procedure.
//
// Window handles are 32-bit values from the toolkit's handle table, never pointers. An
// HWND carries such a value; widgets report it as an OLE_HANDLE (ToHwnd / ToHandle).
//
// The three functions forward to the WindowSystem registered for the calling thread
// (SetCurrentWindowSystem). They run on the user-interface thread that owns the
// windows, like everything else of the control.
#pragma once

#include <comrt/wintypes.h>

#define GWLP_WNDPROC (-4)
#define GWL_STYLE (-16)

#define WS_VSCROLL 0x00200000L

#define WM_NULL 0x0000
#define WM_SIZE 0x0005
#define WM_PAINT 0x000F

namespace orvane::widgets {

// The window-procedure operations a toolkit provides over its own windows. A call on an
// unknown window, or with an index the operation does not support, fails the way the
// platform function does (a result of 0) and changes nothing. None of them throws.
class WindowSystem {
public:
    virtual ~WindowSystem() = default;

    // nIndex GWLP_WNDPROC: makes newLong (a WNDPROC) the window's procedure and returns
    // the procedure it replaced; GWL_STYLE: sets the style bits and returns the old ones.
    // 0 on failure.
    virtual LONG_PTR SetWindowLongPtr(HWND hWnd, int nIndex, LONG_PTR newLong) noexcept = 0;
    // Passes a message to the procedure prevProc for hWnd and returns its result; 0 when
    // prevProc is null.
    virtual LRESULT CallWindowProc(WNDPROC prevProc, HWND hWnd, UINT msg, WPARAM wParam,
                                   LPARAM lParam) noexcept = 0;
    // nIndex GWL_STYLE: the window's style bits (WS_VSCROLL while it shows a vertical
    // scroll bar). 0 on failure.
    virtual LONG GetWindowLong(HWND hWnd, int nIndex) noexcept = 0;
};

// Registers the window system of the calling thread (null unregisters) and returns the
// one registered before. The caller keeps ownership; the service must stay alive while
// it is registered. Registration is per thread and per library that links this code.
WindowSystem* SetCurrentWindowSystem(WindowSystem* system) noexcept;
// The window system registered for the calling thread, or null.
WindowSystem* CurrentWindowSystem() noexcept;

// Registers a window system for the calling thread for the lifetime of this object and
// restores the previous registration afterwards.
class ScopedWindowSystem {
public:
    explicit ScopedWindowSystem(WindowSystem& system) noexcept
        : previous_(SetCurrentWindowSystem(&system)) {}
    ~ScopedWindowSystem() { SetCurrentWindowSystem(previous_); }
    ScopedWindowSystem(const ScopedWindowSystem&) = delete;
    ScopedWindowSystem& operator=(const ScopedWindowSystem&) = delete;

private:
    WindowSystem* previous_;
};

// The same window in its two carriers. Handles are 32-bit values sign-extended into
// the pointer-sized HWND, as on the platform.
inline HWND ToHwnd(OLE_HANDLE handle) noexcept {
    return reinterpret_cast<HWND>(static_cast<LONG_PTR>(static_cast<LONG>(handle)));
}
inline OLE_HANDLE ToHandle(HWND hWnd) noexcept {
    return static_cast<OLE_HANDLE>(reinterpret_cast<LONG_PTR>(hWnd));
}

}  // namespace orvane::widgets

// SetWindowLongPtrA: in hWnd, nIndex (GWLP_WNDPROC or GWL_STYLE), dwNewLong.
//   Success: the value replaced (for GWLP_WNDPROC the previous procedure).
//   Failure (no window system registered on this thread, unknown window, unsupported
//   index): 0, nothing changed.
LONG_PTR WINAPI SetWindowLongPtrA(HWND hWnd, int nIndex, LONG_PTR dwNewLong) noexcept;

// CallWindowProcA: in lpPrevWndFunc, then the message's window, number and parameters,
// passed on unchanged.
//   Result: what lpPrevWndFunc returned for the message; 0 when lpPrevWndFunc is null or
//   no window system is registered on this thread.
LRESULT WINAPI CallWindowProcA(WNDPROC lpPrevWndFunc, HWND hWnd, UINT Msg, WPARAM wParam,
                               LPARAM lParam) noexcept;

// GetWindowLongA: in hWnd, nIndex (GWL_STYLE).
//   Success: the 32-bit value (the window's style bits).
//   Failure (no window system registered on this thread, unknown window, unsupported
//   index): 0.
LONG WINAPI GetWindowLongA(HWND hWnd, int nIndex) noexcept;
