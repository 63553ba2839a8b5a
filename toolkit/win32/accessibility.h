// What assistive technology is told about the toolkit's windows beyond what the system's
// own accessible objects say: the names the control gives them, as dynamic annotations of
// the windows' client objects (IAccPropServices).
#pragma once

#include <string>

#include <comrt/wintypes.h>

namespace orvane::win32 {

// Announces name as window's accessible name. Does nothing where the system has no
// annotation service (a thread without COM): the name is then the window's own.
void AnnotateName(HWND window, const std::u16string& name) noexcept;
// Announces description as window's accessible description, as AnnotateName.
void AnnotateDescription(HWND window, const std::u16string& description) noexcept;
// Takes the window's annotations back, before the window goes.
void ClearAnnotations(HWND window) noexcept;

}  // namespace orvane::win32
