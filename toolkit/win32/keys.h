// The system's keys as the widget contract's KeyDown events give them
// (control/widgets/contract.h, keys::).
#pragma once

#include <cstdint>

#include <comrt/wintypes.h>

namespace orvane::win32 {

// The virtual-key code of a key the control acts on (the letter F only with Ctrl); 0 for
// every other key.
std::int16_t VirtualKey(WPARAM vk) noexcept;

// The shift state of the key being handled: keys::kShift | kCtrl | kAlt.
std::int16_t ShiftState() noexcept;

// Raises sink->KeyDown for a key the control acts on (vk from WM_KEYDOWN or
// WM_SYSKEYDOWN). True when the sink handled it (set the key to 0): the window must do
// nothing more with it.
template <typename Sink>
bool RaiseKeyDown(Sink* sink, WPARAM vk) noexcept {
    std::int16_t key = VirtualKey(vk);
    if (!sink || key == 0) return false;
    sink->KeyDown(key, ShiftState());
    return key == 0;
}

}  // namespace orvane::win32
