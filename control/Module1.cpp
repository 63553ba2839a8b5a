// The editor-tracking window hook (Module1.h).
#include <control/Module1.h>

#include <map>

#include <comrt/error.h>
#include <control/editor_placement.h>
#include <control/widgets/window_procs.h>

namespace orvane {
namespace {

// The records whose hook is installed, by the window they hooked; per thread, like the
// windows themselves.
thread_local std::map<OLE_HANDLE, std::shared_ptr<EditorTrackingRecord>> hooked_records;

bool IsSet(VARIANT_BOOL flag) noexcept { return flag != 0; }

void Forget(const EditorTrackingRecord& record) noexcept {
    for (auto it = hooked_records.begin(); it != hooked_records.end(); ++it) {
        if (it->second.get() == &record) {
            hooked_records.erase(it);
            return;
        }
    }
}

// Steps 3 and 4 of the window procedure: the active editors back over the current cell,
// the text editor first. The widget references are held for the length of the step, so
// a handler that rewrites the record meanwhile cannot pull a widget away.
void ReplaceEditors(const EditorTrackingRecord& record) {
    if (IsSet(record.text_editor_active)) {
        const std::shared_ptr<widgets::Grid> grid = record.grid;
        const std::shared_ptr<widgets::TextBox> editor = record.text_editor;
        if (!grid || !editor) comrt::raise(comrt::runtime_error::object_not_set);
        const std::int32_t allowance = ScrollBarAllowance(*grid);
        MoveTextEditorOverCell(*grid, *editor, allowance);
    }
    if (IsSet(record.drop_down_editor_active)) {
        const std::shared_ptr<widgets::Grid> grid = record.grid;
        const std::shared_ptr<widgets::DropDown> editor = record.drop_down_editor;
        if (!grid || !editor) comrt::raise(comrt::runtime_error::object_not_set);
        const std::int32_t allowance = ScrollBarAllowance(*grid);
        PlaceDropDownOverCell(*grid, *editor, allowance);
    }
}

void Report(const EditorTrackingRecord& record, HRESULT hr) noexcept {
    if (!record.report_error) return;
    try {
        record.report_error(hr);
    } catch (...) {
        // The error channel itself failed; the window procedure still returns normally.
    }
}

}  // namespace

void InstallEditorHook(const std::shared_ptr<EditorTrackingRecord>& record) noexcept {
    if (!record || IsSet(record->hook_installed)) return;
    const OLE_HANDLE window = record->control_window;
    try {
        // Registered before the replacement, so that a message arriving during it finds
        // the record; a window hooked by another record is left to that one.
        if (!hooked_records.try_emplace(window, record).second) return;
    } catch (...) {
        return;  // out of memory: the hook stays uninstalled
    }

    const LONG_PTR previous = SetWindowLongPtrA(widgets::ToHwnd(window), GWLP_WNDPROC,
                                                reinterpret_cast<LONG_PTR>(&EditorHookWindowProc));
    if (previous == 0) {
        hooked_records.erase(window);
        return;
    }
    record->previous_window_proc = reinterpret_cast<WNDPROC>(previous);
    record->hook_installed = VARIANT_TRUE;
}

void RemoveEditorHook(EditorTrackingRecord& record) noexcept {
    if (record.previous_window_proc) {
        SetWindowLongPtrA(widgets::ToHwnd(record.control_window), GWLP_WNDPROC,
                          reinterpret_cast<LONG_PTR>(record.previous_window_proc));
    }
    record.hook_installed = VARIANT_FALSE;
    Forget(record);
}

LRESULT CALLBACK EditorHookWindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) noexcept {
    // Held for the whole message: the control's own handling may remove the hook.
    const std::shared_ptr<EditorTrackingRecord> record = HookedEditorTrackingRecord(widgets::ToHandle(hWnd));
    if (!record) return 0;

    const LRESULT result = CallWindowProcA(record->previous_window_proc, hWnd, uMsg, wParam, lParam);
    if (uMsg != WM_PAINT && uMsg != WM_SIZE) return result;
    // A hook removed while the message was handled no longer moves anything.
    if (!IsSet(record->hook_installed)) return result;

    try {
        ReplaceEditors(*record);
    } catch (...) {
        Report(*record, comrt::to_hresult());
    }
    return result;
}

std::shared_ptr<EditorTrackingRecord> HookedEditorTrackingRecord(OLE_HANDLE window) noexcept {
    const auto it = hooked_records.find(window);
    return it == hooked_records.end() ? nullptr : it->second;
}

}  // namespace orvane
