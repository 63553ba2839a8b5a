// The editor hook: a window procedure put in front of the control's own window that keeps
// an open in-place editor over the grid's current cell while the window repaints or
// changes size. The grid moves its cells under the editor on both, and to the widget
// contract the editor is a sibling of the grid, not part of it, so nothing else would move
// it along. (A toolkit may host it inside the grid, where a scroll moves it with its cell;
// the hook's placement then finds it in place and moves nothing.)
//
// One EditorTracking per control window. The control owns its tracking state (a
// shared_ptr), fills it when it initialises, and hands it to InstallEditorHook, which
// replaces the window procedure of the control window with EditorHookWindowProc and keeps
// a reference to the state until RemoveEditorHook. The hook finds the state where the
// platform keeps data for a window's user: the control window's GWLP_USERDATA names it
// while the hook is installed (the toolkit leaves that slot of its windows to their
// user). So any number of controls on one thread each install, track and remove their
// own hook, and nothing is kept per thread; nothing is locked.
//
// Everything here runs on the user-interface thread that owns the control's window, and
// calls the platform's window functions (control/widgets/window_procs.h).
#pragma once

#include <functional>
#include <memory>
#include <string>

#include <comrt/wintypes.h>
#include <control/editing_state.h>
#include <control/widgets/container.h>
#include <control/widgets/drop_down.h>
#include <control/widgets/grid.h>
#include <control/widgets/text_box.h>

namespace orvane {

// What the window hook of one control works with: the control's window and widgets, and
// a reference to the control's editing state, which says which editor follows the
// current cell and what message goes under it.
struct EditorTracking {
    // Set by InstallEditorHook once the window procedure is replaced, cleared by
    // RemoveEditorHook. Only those two write it.
    bool hook_installed = false;
    // The control's editing state (its flags and refusal message); null: nothing follows.
    std::shared_ptr<const EditingState> editing;
    // The control's own window (the container's hWnd), whose procedure is replaced.
    OLE_HANDLE control_window = 0;
    // The widgets the hook reads and moves, held for as long as the tracking state is.
    std::shared_ptr<widgets::Grid> grid;
    std::shared_ptr<widgets::TextBox> text_editor;
    std::shared_ptr<widgets::DropDown> drop_down_editor;
    std::shared_ptr<widgets::Container> surface;
    // The procedure EditorHookWindowProc replaced, to which every message is passed on
    // and which RemoveEditorHook puts back. Written only by a successful install.
    WNDPROC previous_window_proc = nullptr;
    // The hook's own reference to this state, from InstallEditorHook to RemoveEditorHook
    // (the window's user data names the state by address only). Only those two write it.
    std::shared_ptr<EditorTracking> hook_reference;
    // Optional: receives the status of a failure while the hook re-places an editor
    // (the control's error channel). Must not throw; if it does, the exception is
    // dropped.
    std::function<void(HRESULT)> report_error;
};

// Installs the editor hook on tracking->control_window.
//   Already installed (hook_installed set): returns; nothing changes, in particular
//   the stored previous procedure stays.
//   Otherwise: the control window's GWLP_USERDATA is set to the state, then
//   SetWindowLongPtrA(control window, GWLP_WNDPROC, EditorHookWindowProc); its result
//   becomes previous_window_proc and hook_installed becomes true.
//   A replacement that fails (SetWindowLongPtrA returns 0), a null tracking state, a
//   handle that names no window, and a window whose user data is taken (another state's
//   hook is installed on it) leave the hook uninstalled: hook_installed stays false and
//   nothing is stored. Never throws.
void InstallEditorHook(const std::shared_ptr<EditorTracking>& tracking) noexcept;

// Removes the editor hook of tracking: SetWindowLongPtrA(control window, GWLP_WNDPROC,
// previous_window_proc), whose result is ignored, then hook_installed = false, the
// window's user data cleared if it names this state, and the hook's reference dropped
// (a state whose hook is never removed lives on). The window handle, the previous
// procedure and the widget references stay. It does not test hook_installed (the caller
// calls it while the flag is set); with no previous procedure stored (the hook was never
// installed) there is nothing to restore and the window is left alone. Never throws.
void RemoveEditorHook(EditorTracking& tracking) noexcept;

// The replacement window procedure. For every message it first passes the message,
// unchanged, to the previous procedure of the window's tracking state (CallWindowProcA),
// so the control has laid itself out and painted before an editor moves, and remembers
// the result. After WM_PAINT and WM_SIZE (and no other message, WM_NULL included) it
// moves each active editor back over the grid's current cell: the text editor first (one
// Move), then the drop-down editor (Left, Top, Width), each with the scroll-bar allowance
// read afresh (editor_placement.h), and with an active editor the message under it. It always returns the previous procedure's result. A
// failing grid or editor call ends the re-placement at that call and goes to the state's
// report_error; nothing escapes into the windowing system. A window that no hook tracks
// gets 0.
LRESULT CALLBACK EditorHookWindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) noexcept;

// The tracking state whose hook is installed on window, or null.
std::shared_ptr<EditorTracking> HookedEditorTracking(OLE_HANDLE window) noexcept;

}  // namespace orvane
