// The module the toolkit's windows belong to, and its window classes.
#pragma once

#include <comrt/wintypes.h>

namespace orvane::win32 {

// The instance handle of the module this code is linked into (the control's DLL, or a
// program), not the process's main program.
HINSTANCE ModuleInstance() noexcept;

// Registers a window class of the toolkit in ModuleInstance() once: one pointer of extra
// window bytes (the window's adapter, WindowObject / SetWindowObject), the arrow cursor,
// no background brush (the procedure paints). Fails with com_error (the system's error).
void EnsureWindowClass(const wchar_t* name, WNDPROC procedure);

// The object a window of the toolkit's own classes belongs to (null before
// WM_NCCREATE and after the object let go of it).
void* WindowObject(HWND hwnd) noexcept;
void SetWindowObject(HWND hwnd, void* object) noexcept;

}  // namespace orvane::win32
