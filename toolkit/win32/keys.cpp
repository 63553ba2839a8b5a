// Keys as virtual-key codes (keys.h).
#include <toolkit/win32/keys.h>

#include <control/widgets/contract.h>

namespace orvane::win32 {

std::int16_t VirtualKey(WPARAM vk) noexcept {
    namespace keys = widgets::keys;
    switch (vk) {
    case VK_TAB: return keys::kTab;
    case VK_RETURN: return keys::kReturn;
    case VK_ESCAPE: return keys::kEscape;
    case VK_PRIOR: return keys::kPageUp;
    case VK_NEXT: return keys::kPageDown;
    case VK_END: return keys::kEnd;
    case VK_HOME: return keys::kHome;
    case VK_LEFT: return keys::kLeft;
    case VK_UP: return keys::kUp;
    case VK_RIGHT: return keys::kRight;
    case VK_DOWN: return keys::kDown;
    case VK_F2: return keys::kF2;
    case VK_F3: return keys::kF3;
    case VK_F4: return keys::kF4;
    // The letter only as Ctrl+F, which finds: letters are text everywhere else.
    case 'F': return (GetKeyState(VK_CONTROL) < 0) ? keys::kF : 0;
    default: return 0;
    }
}

std::int16_t ShiftState() noexcept {
    namespace keys = widgets::keys;
    std::int16_t state = 0;
    if (GetKeyState(VK_SHIFT) < 0) state |= keys::kShift;
    if (GetKeyState(VK_CONTROL) < 0) state |= keys::kCtrl;
    if (GetKeyState(VK_MENU) < 0) state |= keys::kAlt;
    return state;
}

}  // namespace orvane::win32
