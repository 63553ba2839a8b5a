// Windows: the process's one window table.
//
// On this platform the windows are the toolkit's own objects (the widgets of the one Qt
// of the process). comrt gives each window that a component hands to another a 32-bit
// handle, carried in an HWND as on the platform, so that a container can name the window
// a control is to live in without any C++ object crossing between their libraries.
//
// Besides the window's object, the table keeps what the platform keeps of every window,
// and the platform's functions read and change it by handle, from any library:
//
//   GWLP_WNDPROC   the window's procedure: where every message to it enters (SendMessageA).
//                  A window made with a procedure (ComrtCreateWindowHandleEx) starts with
//                  that one, the toolkit's own handling of its messages; SetWindowLongPtrA
//                  puts another in front, which passes messages on with CallWindowProcA.
//                  A window made by ComrtCreateWindowHandle has no procedure and takes none.
//   GWL_STYLE      the window's style bits. Bits that follow the window's own state (a
//                  shown vertical scroll bar: WS_VSCROLL) come from the window itself, through
//                  the style procedure it was made with (COMRTSTYLEPROC).
//   GWLP_USERDATA  a pointer-sized value for the window's user, 0 until set.
//
// comrt never looks inside a window's object. Handles are unique in the process and never
// reused while the process lives (they count up from 0x10000 in steps of 4). The table is
// shared by every thread and needs no registration: a window's procedures run on the thread
// that calls SendMessageA or CallWindowProcA, which for the toolkit's windows is always their
// user-interface thread.
#pragma once

#include <comrt/wintypes.h>

// On Windows windows are the system's own, with the system's handles and functions (user32):
// there is no table.
#ifndef _WIN32

// Indices of SetWindowLongPtrA, GetWindowLongPtrA and GetWindowLongA.
#define GWLP_WNDPROC (-4)
#define GWL_STYLE (-16)
#define GWLP_USERDATA (-21)

// Style bits.
#define WS_VSCROLL 0x00200000L

// Messages.
#define WM_NULL 0x0000
#define WM_SIZE 0x0005
#define WM_PAINT 0x000F

// The style a window reports: given the bits stored for it (as last set with GWL_STYLE),
// returns them with those that follow the window's own state put in. Called by
// GetWindowLongA, GetWindowLongPtrA and SetWindowLongPtrA for GWL_STYLE, outside the
// table's lock, so it may itself look windows up. Must not throw.
typedef LONG(CALLBACK* COMRTSTYLEPROC)(HWND hWnd, LONG stored);

// Gives window (the toolkit's object; not null) a new handle, with no procedure and style 0.
//   out: *phwnd, the handle; null on failure.
//   S_OK; E_INVALIDARG for a null argument; E_OUTOFMEMORY.
WINUSERAPI HRESULT WINAPI ComrtCreateWindowHandle(void* window, HWND* phwnd);

// Gives window (not null) a new handle, with its own handling of messages as its
// procedure (lpfnWndProc; not null), the style bits dwStyle, and optionally a style
// procedure for the bits that follow its state (lpfnStyleProc; null: the stored bits are
// the style).
//   out: *phwnd, the handle; null on failure.
//   S_OK; E_INVALIDARG for a null window, procedure or out-parameter; E_OUTOFMEMORY.
WINUSERAPI HRESULT WINAPI ComrtCreateWindowHandleEx(void* window, WNDPROC lpfnWndProc, LONG dwStyle,
                                                    COMRTSTYLEPROC lpfnStyleProc, HWND* phwnd);

// Takes a handle out of the table: from now on it names no window, and everything kept
// for it is gone.
//   S_OK; E_HANDLE for a handle that names no window.
WINUSERAPI HRESULT WINAPI ComrtDestroyWindowHandle(HWND hwnd);

// The window a handle names.
//   out: *window, the toolkit's object; null on failure.
//   S_OK; E_INVALIDARG for a null window; E_HANDLE for a handle that names no window.
WINUSERAPI HRESULT WINAPI ComrtGetWindowObject(HWND hwnd, void** window);

// TRUE when hWnd names a window.
WINUSERAPI BOOL WINAPI IsWindow(HWND hWnd);

// SetWindowLongPtrA: in hWnd, nIndex, dwNewLong.
//   GWLP_WNDPROC: makes dwNewLong (a WNDPROC, not null) the window's procedure and returns
//     the one it replaced.
//   GWL_STYLE: stores the style bits and returns the style the window reported before.
//   GWLP_USERDATA: stores the value and returns the one it replaced (0 the first time).
//   Failure (unknown window, another index, a null procedure, a window without a
//   procedure for GWLP_WNDPROC): 0, nothing changed.
WINUSERAPI LONG_PTR WINAPI SetWindowLongPtrA(HWND hWnd, int nIndex, LONG_PTR dwNewLong);

// GetWindowLongPtrA: in hWnd, nIndex (GWLP_WNDPROC, GWL_STYLE or GWLP_USERDATA).
//   Success: the window's current procedure, its style, its user data.
//   Failure (unknown window, another index): 0.
WINUSERAPI LONG_PTR WINAPI GetWindowLongPtrA(HWND hWnd, int nIndex);

// GetWindowLongA: in hWnd, nIndex (GWL_STYLE: the 32-bit values only, as on 64-bit Windows).
//   Success: the window's style bits.
//   Failure (unknown window, another index, GWLP_WNDPROC and GWLP_USERDATA included): 0.
WINUSERAPI LONG WINAPI GetWindowLongA(HWND hWnd, int nIndex);

// CallWindowProcA: in lpPrevWndFunc, then the message's window, number and parameters,
// passed on unchanged.
//   Result: what lpPrevWndFunc returned for the message; 0 when lpPrevWndFunc is null.
WINUSERAPI LRESULT WINAPI CallWindowProcA(WNDPROC lpPrevWndFunc, HWND hWnd, UINT Msg, WPARAM wParam,
                                          LPARAM lParam);

// SendMessageA: delivers a message at the window's current procedure, on the calling
// thread, and returns its result. The procedure is read once, before the call, so the
// call may change the window's procedure or destroy the window.
//   Result: the procedure's; 0 for an unknown window or one without a procedure.
WINUSERAPI LRESULT WINAPI SendMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam);
#endif  // !_WIN32
