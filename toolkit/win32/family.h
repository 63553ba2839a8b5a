// What the windows of one control share: whether the control took them away, and the
// surface's window and event sink, to which a focus leaving the control is reported.
#pragma once

#include <memory>

#include <control/widgets/container.h>

namespace orvane::win32 {

struct Family {
    // Set by Container::Destroy before the windows go: from then on every member fails
    // with E_HANDLE and no event is raised, not even for the focus the windows lose.
    bool gone = false;
    HWND surface = nullptr;
    widgets::ContainerEvents* sink = nullptr;
    // Where an editor that hides with the focus leaves it (the grid), inside the control.
    HWND focus_keeper = nullptr;

    // For a window of the control losing the focus to `to`: raises ExitFocus when `to`
    // is a window of the same top-level window outside the control. A focus going to
    // another top-level window, or to none (another program activated), moves no
    // focus in this sense.
    void focusLeaving(HWND to) const noexcept;
    // Hides window, handing the focus to the focus keeper first when the window holds it.
    void hideKeepingFocus(HWND window) const noexcept;
    // Moves the focus from window to the next (or previous) window of the control that
    // the Tab key stops at, as a dialog's Tab does.
    void tabFrom(HWND window, bool backwards) const noexcept;
};

using FamilyRef = std::shared_ptr<Family>;

}  // namespace orvane::win32
