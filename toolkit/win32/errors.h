// The run-time errors the toolkit's adapters fail with (comrt::com_error), under the
// control's error source.
#pragma once

#include <comrt/error.h>

namespace orvane::win32 {

// Raises run-time error e with the control's source.
[[noreturn]] void Fail(comrt::runtime_error e);
// CTL_E_INVALIDPROPERTYVALUE (380).
[[noreturn]] void FailInvalidValue();
// A widget whose window is gone: E_HANDLE.
[[noreturn]] void FailGone();

}  // namespace orvane::win32
