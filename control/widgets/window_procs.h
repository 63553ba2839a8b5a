// Window procedures: the platform functions the control's window hook calls by name, as
// 64-bit Windows has them.
//
// A window has a chain of procedures. Its original procedure is the toolkit's own
// handling of the window (for the control's surface: its painting, and the resize layout
// of the control). SetWindowLongPtrA(hWnd, GWLP_WNDPROC, proc) makes proc the window's
// procedure and returns the one it replaced; the new procedure chains to the old one
// with CallWindowProcA. Every message to the window enters at its current procedure.
// GetWindowLongA(hWnd, GWL_STYLE) reads the window's style (WS_VSCROLL while a grid shows
// its vertical scroll bar); GWLP_USERDATA keeps a pointer-sized value for the window's user.
//
// The functions are the platform's own: on Windows the system's, here comrt's, over the
// process's one window table (comrt/window.h) in which every toolkit enters its windows.
// Nothing registers them per thread or per library; they run on the user-interface thread
// that owns the windows, like everything else of the control.
//
// Window handles are 32-bit values from that table, never pointers. An HWND carries such
// a value; widgets report it as an OLE_HANDLE (ToHwnd / ToHandle).
#pragma once

#include <comrt/wintypes.h>
#ifndef _WIN32
#include <comrt/window.h>
#endif

namespace orvane::widgets {

// The same window in its two carriers. Handles are 32-bit values sign-extended into
// the pointer-sized HWND, as on the platform.
inline HWND ToHwnd(OLE_HANDLE handle) noexcept {
    return reinterpret_cast<HWND>(static_cast<LONG_PTR>(static_cast<LONG>(handle)));
}
inline OLE_HANDLE ToHandle(HWND hWnd) noexcept {
    return static_cast<OLE_HANDLE>(reinterpret_cast<LONG_PTR>(hWnd));
}

}  // namespace orvane::widgets
