// In-place objects: windows in windows, laid out as the platform declares them.
#pragma once

#include <comrt/unknwn.h>

#ifdef _WIN32
COMRT_SYSTEM_INTERFACE_ID(IOleWindow);
COMRT_SYSTEM_INTERFACE_ID(IOleInPlaceObject);
#else
// A rectangle in device pixels: left and top inclusive, right and bottom exclusive.
struct RECT {
    LONG left;
    LONG top;
    LONG right;
    LONG bottom;
};
using LPRECT = RECT*;
using LPCRECT = const RECT*;

// An object with a window.
struct IOleWindow : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetWindow(HWND* phwnd) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL fEnterMode) noexcept = 0;
};
COMRT_INTERFACE_ID(IOleWindow, "00000114-0000-0000-C000-000000000046");

// An object active in place inside its container's window.
struct IOleInPlaceObject : IOleWindow {
    // Leaves the container's window: the object's window and everything in it go.
    virtual HRESULT STDMETHODCALLTYPE InPlaceDeactivate() noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE UIDeactivate() noexcept = 0;
    // Moves the object's window to lprcPosRect (pixels of the container's window);
    // lprcClipRect is the visible part of it.
    virtual HRESULT STDMETHODCALLTYPE SetObjectRects(LPCRECT lprcPosRect, LPCRECT lprcClipRect) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE ReactivateAndUndo() noexcept = 0;
};
COMRT_INTERFACE_ID(IOleInPlaceObject, "00000113-0000-0000-C000-000000000046");

#define INPLACE_E_NOTUNDOABLE _HRESULT_TYPEDEF_(0x800401A0L)
#endif  // _WIN32
