// What the programs that host orvane.dll in the system's ATL host window share: a frame
// window holding an AtlAxWin (created with the control's ProgID as its text), a message loop
// that gives the control its keys first as containers do, late-bound calls, groups made
// through tessel.dll by their ProgID, and failures that end the program with a message.
#pragma once

#include <comrt/com.h>
#include <comrt/resource.h>

#include <string>
#include <utility>
#include <vector>

namespace hosting {

extern HWND g_frame;                                     // the frame window
extern HWND g_host;                                      // the ATL host window, filling the frame
extern const char* g_picture;                            // a failure photographs the frame there
extern comrt::ComPtr<IOleInPlaceActiveObject> g_active;  // the control, for its keys

// Prints "FAIL: what" (photographing the frame when g_picture is set) and exits with 1.
[[noreturn]] void Fail(const std::string& what);
// Fail with what and hr's value when hr is a failure.
void Check(HRESULT hr, const char* what);
std::string Narrow(const std::wstring& text);

// Calls member `name` of `object` late bound with `args` in the order written.
comrt::Variant Call(IDispatch* object, const wchar_t* name, WORD flags, std::vector<VARIANT> args = {});
// Arguments by value; each holds what it is given without a reference of its own.
VARIANT Text(const comrt::Bstr& text);
VARIANT Short(SHORT value);
VARIANT Object(IDispatch* object);

// A group of Tessel's: its name, (name, value) items of free text, then, when `choices` is
// not empty, one drop-down item "Colour" holding the first choice.
comrt::ComPtr<IDispatch> MakeGroup(const wchar_t* name, const std::vector<std::pair<std::wstring, std::wstring>>& items,
                                   const std::vector<std::wstring>& choices);
// The value of item `index` (from 1) of a group, as the host reads it.
std::wstring ItemValue(IDispatch* group, LONG index);

// The message loop for `ms` milliseconds.
void Pump(DWORD ms);
// A shown frame of width x height holding the control in AtlAxWin; the control's IUnknown.
comrt::ComPtr<IUnknown> OpenHost(int width, int height);
// Closes the frame, and with it the host window and the control's site.
void CloseHost();
// The client area of a window as a 24-bit BMP file.
void SaveBitmap(HWND window, const char* path);

}  // namespace hosting
