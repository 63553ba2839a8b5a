// Qt's keys as virtual-key codes (keys.h).
#include <toolkit/qt/keys.h>

#include <QKeyEvent>

#include <control/widgets/contract.h>

namespace orvane::qt {

std::int16_t VirtualKey(const QKeyEvent& event) noexcept {
    namespace keys = widgets::keys;
    switch (event.key()) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab: return keys::kTab;
    case Qt::Key_Return:
    case Qt::Key_Enter: return keys::kReturn;
    case Qt::Key_Escape: return keys::kEscape;
    case Qt::Key_PageUp: return keys::kPageUp;
    case Qt::Key_PageDown: return keys::kPageDown;
    case Qt::Key_End: return keys::kEnd;
    case Qt::Key_Home: return keys::kHome;
    case Qt::Key_Left: return keys::kLeft;
    case Qt::Key_Up: return keys::kUp;
    case Qt::Key_Right: return keys::kRight;
    case Qt::Key_Down: return keys::kDown;
    case Qt::Key_F2: return keys::kF2;
    case Qt::Key_F3: return keys::kF3;
    // The letter only as Ctrl+F, which finds: letters are text everywhere else.
    case Qt::Key_F: return (event.modifiers() & Qt::ControlModifier) ? keys::kF : 0;
    case Qt::Key_F4: return keys::kF4;
    default: return 0;
    }
}

std::int16_t ShiftState(const QKeyEvent& event) noexcept {
    namespace keys = widgets::keys;
    const Qt::KeyboardModifiers modifiers = event.modifiers();
    std::int16_t state = 0;
    // Backtab is Shift+Tab whether or not the shift modifier comes with it.
    if (modifiers & Qt::ShiftModifier || event.key() == Qt::Key_Backtab) state |= keys::kShift;
    if (modifiers & Qt::ControlModifier) state |= keys::kCtrl;
    if (modifiers & Qt::AltModifier) state |= keys::kAlt;
    return state;
}

}  // namespace orvane::qt
