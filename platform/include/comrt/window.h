// Window handles.
//
// On this platform the windows are the toolkit's own objects (the widgets of the one Qt
// of the process). comrt gives each window that a component hands to another a 32-bit
// handle, carried in an HWND as on the platform, so that a container can name the window
// a control is to live in without any C++ object crossing between their libraries.
// comrt never looks inside a window: it only keeps the table.
//
// Handles are unique in the process and never reused while the process lives (they
// count up from 0x10000 in steps of 4). The table is shared by every thread; a window
// belongs to the thread of its toolkit.
#pragma once

#include <comrt/wintypes.h>

// On Windows windows are the system's own, with the system's handles: there is no table.
#ifndef _WIN32

// Gives window (the toolkit's object; not null) a new handle.
//   out: *phwnd, the handle; null on failure.
//   S_OK; E_INVALIDARG for a null argument; E_OUTOFMEMORY.
WINUSERAPI HRESULT WINAPI ComrtCreateWindowHandle(void* window, HWND* phwnd);

// Takes a handle out of the table: from now on it names no window.
//   S_OK; E_HANDLE for a handle that names no window.
WINUSERAPI HRESULT WINAPI ComrtDestroyWindowHandle(HWND hwnd);

// The window a handle names.
//   out: *window, the toolkit's object; null on failure.
//   S_OK; E_INVALIDARG for a null window; E_HANDLE for a handle that names no window.
WINUSERAPI HRESULT WINAPI ComrtGetWindowObject(HWND hwnd, void** window);

// TRUE when hWnd names a window.
WINUSERAPI BOOL WINAPI IsWindow(HWND hWnd);
#endif  // !_WIN32
