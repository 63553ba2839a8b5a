// The editor hook (editor_hook.h).
#include <control/editor_hook.h>

#include <comrt/error.h>
#include <control/editor_placement.h>
#include <control/widgets/window_procs.h>

namespace orvane {
namespace {

// The tracking state the window's user data names, while a hook is installed on it.
EditorTracking* TrackingOf(HWND window) noexcept {
    return reinterpret_cast<EditorTracking*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

// The active editors back over the current cell, the text editor first, and the message
// under it. The widget
// references are held while an editor moves, so a handler that rewrites the tracking
// state meanwhile cannot pull a widget away.
void ReplaceEditors(const EditorTracking& tracking) {
    const std::shared_ptr<const EditingState> editing = tracking.editing;
    if (!editing) return;
    if (editing->text_editor_active) {
        const std::shared_ptr<widgets::Grid> grid = tracking.grid;
        const std::shared_ptr<widgets::TextBox> editor = tracking.text_editor;
        if (!grid || !editor) comrt::raise(comrt::runtime_error::object_not_set, kErrorSource);
        const std::int32_t allowance = ScrollBarAllowance(*grid);
        MoveTextEditorOverCell(*grid, *editor, allowance);
    }
    if (editing->drop_down_editor_active) {
        const std::shared_ptr<widgets::Grid> grid = tracking.grid;
        const std::shared_ptr<widgets::DropDown> editor = tracking.drop_down_editor;
        if (!grid || !editor) comrt::raise(comrt::runtime_error::object_not_set, kErrorSource);
        const std::int32_t allowance = ScrollBarAllowance(*grid);
        PlaceDropDownOverCell(*grid, *editor, allowance);
    }
    if (!editing->refusal.empty() && (editing->text_editor_active || editing->drop_down_editor_active)) {
        const std::shared_ptr<widgets::Grid> grid = tracking.grid;
        const std::shared_ptr<widgets::Container> surface = tracking.surface;
        if (!grid || !surface) comrt::raise(comrt::runtime_error::object_not_set, kErrorSource);
        const std::u16string message = editing->refusal;  // a handler may change it meanwhile
        ShowMessageUnderCell(*grid, *surface, ScrollBarAllowance(*grid), message);
    }
}

void Report(const EditorTracking& tracking, HRESULT hr) noexcept {
    if (!tracking.report_error) return;
    try {
        tracking.report_error(hr);
    } catch (...) {
        // The error channel itself failed; the window procedure still returns normally.
    }
}

}  // namespace

void InstallEditorHook(const std::shared_ptr<EditorTracking>& tracking) noexcept {
    if (!tracking || tracking->hook_installed) return;
    const HWND window = widgets::ToHwnd(tracking->control_window);
    // The state goes into the window's user data before the replacement, so that a message
    // arriving during it finds the state; a window hooked for another control (its user
    // data taken) is left to that one.
    if (!IsWindow(window) || GetWindowLongPtrA(window, GWLP_USERDATA) != 0) return;
    tracking->hook_reference = tracking;
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(tracking.get()));

    const LONG_PTR previous = SetWindowLongPtrA(window, GWLP_WNDPROC,
                                                reinterpret_cast<LONG_PTR>(&EditorHookWindowProc));
    if (previous == 0) {
        SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        tracking->hook_reference = nullptr;
        return;
    }
    tracking->previous_window_proc = reinterpret_cast<WNDPROC>(previous);
    tracking->hook_installed = true;
}

void RemoveEditorHook(EditorTracking& tracking) noexcept {
    const HWND window = widgets::ToHwnd(tracking.control_window);
    if (tracking.previous_window_proc)
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(tracking.previous_window_proc));
    tracking.hook_installed = false;
    if (TrackingOf(window) == &tracking) SetWindowLongPtrA(window, GWLP_USERDATA, 0);
    // Dropped last: it may be the state's last reference.
    const std::shared_ptr<EditorTracking> reference = std::move(tracking.hook_reference);
}

LRESULT CALLBACK EditorHookWindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) noexcept {
    // Held for the whole message: the control's own handling may remove the hook.
    const std::shared_ptr<EditorTracking> tracking = HookedEditorTracking(widgets::ToHandle(hWnd));
    if (!tracking) return 0;

    const LRESULT result = CallWindowProcA(tracking->previous_window_proc, hWnd, uMsg, wParam, lParam);
    if (uMsg != WM_PAINT && uMsg != WM_SIZE) return result;
    // A hook removed while the message was handled no longer moves anything.
    if (!tracking->hook_installed) return result;

    try {
        ReplaceEditors(*tracking);
    } catch (...) {
        Report(*tracking, comrt::to_hresult());
    }
    return result;
}

std::shared_ptr<EditorTracking> HookedEditorTracking(OLE_HANDLE window) noexcept {
    EditorTracking* tracking = TrackingOf(widgets::ToHwnd(window));
    return tracking ? tracking->hook_reference : nullptr;
}

}  // namespace orvane
