// Qt's keys as the widget contract's KeyDown events give them: the platform's
// virtual-key codes and shift state (control/widgets/contract.h, keys::).
#pragma once

#include <cstdint>

#include <toolkit/qt/delivery.h>

class QKeyEvent;

namespace orvane::qt {

// The virtual-key code of the keys the control acts on (Tab and Shift+Tab both as kTab,
// Enter and the keypad's Enter as kReturn, the letter F only with Ctrl); 0 for every
// other key.
std::int16_t VirtualKey(const QKeyEvent& event) noexcept;

// The shift state of a key event: keys::kShift | kCtrl | kAlt.
std::int16_t ShiftState(const QKeyEvent& event) noexcept;

// Raises sink.KeyDown for a key the control acts on. True when the sink handled it
// (set the key to 0): the widget must do nothing more with the event.
template <typename Sink>
bool RaiseKeyDown(Sink* sink, const QKeyEvent& event) noexcept {
    std::int16_t key = VirtualKey(event);
    if (!sink || key == 0) return false;
    Deliver([&] { sink->KeyDown(key, ShiftState(event)); });
    return key == 0;
}

}  // namespace orvane::qt
