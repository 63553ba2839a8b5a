// The editor hook (editor_hook.h).
#include <control/editor_hook.h>

#include <map>

#include <comrt/error.h>
#include <control/editor_placement.h>
#include <control/widgets/window_procs.h>

namespace orvane {
namespace {

// The tracking states whose hook is installed, by the window they hooked; per thread,
// like the windows themselves.
thread_local std::map<OLE_HANDLE, std::shared_ptr<EditorTracking>> hooked_windows;

void Forget(const EditorTracking& tracking) noexcept {
    for (auto it = hooked_windows.begin(); it != hooked_windows.end(); ++it) {
        if (it->second.get() == &tracking) {
            hooked_windows.erase(it);
            return;
        }
    }
}

// The active editors back over the current cell, the text editor first. The widget
// references are held while an editor moves, so a handler that rewrites the tracking
// state meanwhile cannot pull a widget away.
void ReplaceEditors(const EditorTracking& tracking) {
    if (tracking.text_editor_active) {
        const std::shared_ptr<widgets::Grid> grid = tracking.grid;
        const std::shared_ptr<widgets::TextBox> editor = tracking.text_editor;
        if (!grid || !editor) comrt::raise(comrt::runtime_error::object_not_set, kErrorSource);
        const std::int32_t allowance = ScrollBarAllowance(*grid);
        MoveTextEditorOverCell(*grid, *editor, allowance);
    }
    if (tracking.drop_down_editor_active) {
        const std::shared_ptr<widgets::Grid> grid = tracking.grid;
        const std::shared_ptr<widgets::DropDown> editor = tracking.drop_down_editor;
        if (!grid || !editor) comrt::raise(comrt::runtime_error::object_not_set, kErrorSource);
        const std::int32_t allowance = ScrollBarAllowance(*grid);
        PlaceDropDownOverCell(*grid, *editor, allowance);
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
    const OLE_HANDLE window = tracking->control_window;
    try {
        // Registered before the replacement, so that a message arriving during it finds
        // the tracking state; a window hooked for another control is left to that one.
        if (!hooked_windows.try_emplace(window, tracking).second) return;
    } catch (...) {
        return;  // out of memory: the hook stays uninstalled
    }

    const LONG_PTR previous = SetWindowLongPtrA(widgets::ToHwnd(window), GWLP_WNDPROC,
                                                reinterpret_cast<LONG_PTR>(&EditorHookWindowProc));
    if (previous == 0) {
        hooked_windows.erase(window);
        return;
    }
    tracking->previous_window_proc = reinterpret_cast<WNDPROC>(previous);
    tracking->hook_installed = true;
}

void RemoveEditorHook(EditorTracking& tracking) noexcept {
    if (tracking.previous_window_proc) {
        SetWindowLongPtrA(widgets::ToHwnd(tracking.control_window), GWLP_WNDPROC,
                          reinterpret_cast<LONG_PTR>(tracking.previous_window_proc));
    }
    tracking.hook_installed = false;
    Forget(tracking);
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
    const auto it = hooked_windows.find(window);
    return it == hooked_windows.end() ? nullptr : it->second;
}

}  // namespace orvane
