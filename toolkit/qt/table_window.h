// The toolkit's windows in the process's window table (comrt/window.h).
//
// A widget that is a window of the platform (the control's surface, the grid) derives
// from TableWindow and enters itself in the table when it is made: the table gives it its
// 32-bit handle, names the widget by it (ComrtGetWindowObject, for a container or another
// library), and keeps its procedure chain and style bits, which the platform's window
// functions read and change by handle (control/widgets/window_procs.h). Nothing is
// registered per thread: the table is the one place that knows the window.
//
// The window's original procedure, the one its chain ends in, is its own handling of
// messages (handleMessage), found from the handle through the table. Every message to the
// window enters at its current procedure (SendMessageA); a procedure put in front with
// SetWindowLongPtrA(GWLP_WNDPROC) chains on with CallWindowProcA. WS_VSCROLL in a window's
// style follows the window itself (liveStyle: a grid showing its vertical scroll bar);
// the other style bits are kept as set.
#pragma once

#include <control/widgets/window_procs.h>

class QWidget;

namespace orvane::qt {

class TableWindow {
public:
    // The procedure every window starts with: the window's own handling.
    static WNDPROC originalProc() noexcept;

protected:
    ~TableWindow() = default;

    // Enters this window, whose widget is self (the same object: the class derives
    // publicly from both), into the table with the given style bits and returns its new
    // handle. The window must leave the table before it is destroyed. Throws
    // comrt::com_error on failure.
    HWND enterWindowTable(QWidget& self, LONG style = 0);
    // Takes a window out of the table; the platform's functions fail on it from now on.
    static void leaveWindowTable(HWND hWnd) noexcept;

private:
    // The toolkit's own handling of a message (the window's original procedure).
    virtual LRESULT handleMessage(UINT msg, WPARAM wParam, LPARAM lParam) noexcept = 0;
    // Style bits that follow the window's state: WS_VSCROLL or 0.
    virtual LONG liveStyle() noexcept { return 0; }

    static LRESULT CALLBACK ownHandling(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);
    static LONG CALLBACK reportedStyle(HWND hWnd, LONG stored);
    // The window a handle of the table names, or null.
    static TableWindow* find(HWND hWnd) noexcept;
};

}  // namespace orvane::qt
