// The keys of the control's one-line editors (the text box and the find field).
#pragma once

#include <toolkit/win32/keys.h>

namespace orvane::win32 {

// Raises KeyDown for WM_KEYDOWN / WM_SYSKEYDOWN and swallows what a handled key would
// still do: its character (WM_CHAR), or the menu an Alt key would open. Tab, Enter and
// Escape make no character in a one-line editor either way. Returns true with *result
// set when the message is handled here.
template <typename Sink>
bool HandleEditorKey(Sink* sink, bool& swallow_char, UINT msg, WPARAM wParam, LRESULT* result) {
    switch (msg) {
    case WM_GETDLGCODE:
        // Every key is the editor's: a dialog manager takes neither Tab nor Enter from it.
        *result = DLGC_WANTALLKEYS | DLGC_WANTCHARS | DLGC_HASSETSEL;
        return true;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        swallow_char = false;
        if (RaiseKeyDown(sink, wParam)) {
            swallow_char = true;
            *result = 0;
            return true;
        }
        return false;
    case WM_CHAR:
    case WM_SYSCHAR:
        if (swallow_char || wParam == '\t' || wParam == '\r' || wParam == 0x1B) {
            swallow_char = false;
            *result = 0;
            return true;
        }
        return false;
    default:
        return false;
    }
}

}  // namespace orvane::win32
