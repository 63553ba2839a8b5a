// The window table (comrt/window.h): one for the process, under a mutex. Each handle, a
// 32-bit value, maps to the window's entry:
//
//   object      the toolkit's window, handed back by ComrtGetWindowObject
//   proc        the current procedure (GWLP_WNDPROC); null for a window made without one
//   style       the style bits as last set (GWL_STYLE), before the style procedure
//   style_proc  the window's own part of its style, or null
//   user_data   GWLP_USERDATA
//
// No procedure is called under the lock: a procedure reads what it needs from the table
// and then runs, so it may itself use the table (chain on, re-hook, destroy its window).
#include <comrt/window.h>

#include <atomic>
#include <mutex>
#include <optional>
#include <unordered_map>

namespace {

struct WindowEntry {
    void* object = nullptr;
    WNDPROC proc = nullptr;
    LONG style = 0;
    COMRTSTYLEPROC style_proc = nullptr;
    LONG_PTR user_data = 0;
};

struct WindowTable {
    std::mutex mutex;
    std::unordered_map<ULONG, WindowEntry> windows;
};

WindowTable& table() {
    static WindowTable instance;
    return instance;
}

ULONG handle_value(HWND hwnd) { return static_cast<ULONG>(reinterpret_cast<ULONG_PTR>(hwnd)); }

// Handles count up in steps of 4 from 0x10000, skipping 0 if they ever wrap around.
std::atomic<ULONG> next_handle{0x10000};

HRESULT add_window(const WindowEntry& entry, HWND* phwnd) try {
    WindowTable& windows = table();
    const std::lock_guard guard(windows.mutex);
    ULONG handle = 0;
    while (handle == 0 || windows.windows.count(handle) != 0) handle = next_handle.fetch_add(4);
    windows.windows.emplace(handle, entry);
    // Sign-extended into the pointer-sized carrier, as on the platform.
    *phwnd = reinterpret_cast<HWND>(static_cast<LONG_PTR>(static_cast<LONG>(handle)));
    return S_OK;
} catch (...) {
    return E_OUTOFMEMORY;
}

// A copy of the window's entry, or none for a handle that names no window.
std::optional<WindowEntry> find_window(HWND hwnd) {
    WindowTable& windows = table();
    const std::lock_guard guard(windows.mutex);
    const auto it = windows.windows.find(handle_value(hwnd));
    if (it == windows.windows.end()) return std::nullopt;
    return it->second;
}

// The style the window reports, called outside the lock.
LONG reported_style(HWND hwnd, const WindowEntry& entry) {
    return entry.style_proc ? entry.style_proc(hwnd, entry.style) : entry.style;
}

}  // namespace

WINUSERAPI HRESULT WINAPI ComrtCreateWindowHandle(void* window, HWND* phwnd) {
    if (!phwnd) return E_INVALIDARG;
    *phwnd = nullptr;
    if (!window) return E_INVALIDARG;
    return add_window(WindowEntry{window}, phwnd);
}

WINUSERAPI HRESULT WINAPI ComrtCreateWindowHandleEx(void* window, WNDPROC lpfnWndProc, LONG dwStyle,
                                                    COMRTSTYLEPROC lpfnStyleProc, HWND* phwnd) {
    if (!phwnd) return E_INVALIDARG;
    *phwnd = nullptr;
    if (!window || !lpfnWndProc) return E_INVALIDARG;
    return add_window(WindowEntry{window, lpfnWndProc, dwStyle, lpfnStyleProc}, phwnd);
}

WINUSERAPI HRESULT WINAPI ComrtDestroyWindowHandle(HWND hwnd) {
    WindowTable& windows = table();
    const std::lock_guard guard(windows.mutex);
    return windows.windows.erase(handle_value(hwnd)) != 0 ? S_OK : E_HANDLE;
}

WINUSERAPI HRESULT WINAPI ComrtGetWindowObject(HWND hwnd, void** window) {
    if (!window) return E_INVALIDARG;
    *window = nullptr;
    const std::optional<WindowEntry> entry = find_window(hwnd);
    if (!entry) return E_HANDLE;
    *window = entry->object;
    return S_OK;
}

WINUSERAPI BOOL WINAPI IsWindow(HWND hWnd) { return find_window(hWnd) ? TRUE : FALSE; }

WINUSERAPI LONG_PTR WINAPI SetWindowLongPtrA(HWND hWnd, int nIndex, LONG_PTR dwNewLong) {
    // The style reported before the change is read first, outside the lock.
    LONG previous_style = 0;
    if (nIndex == GWL_STYLE) {
        const std::optional<WindowEntry> before = find_window(hWnd);
        if (!before) return 0;
        previous_style = reported_style(hWnd, *before);
    }

    WindowTable& windows = table();
    const std::lock_guard guard(windows.mutex);
    const auto it = windows.windows.find(handle_value(hWnd));
    if (it == windows.windows.end()) return 0;
    WindowEntry& entry = it->second;
    switch (nIndex) {
    case GWLP_WNDPROC: {
        // A window keeps a procedure; one made without any takes none.
        if (dwNewLong == 0 || !entry.proc) return 0;
        const WNDPROC previous = entry.proc;
        entry.proc = reinterpret_cast<WNDPROC>(dwNewLong);
        return reinterpret_cast<LONG_PTR>(previous);
    }
    case GWL_STYLE:
        entry.style = static_cast<LONG>(dwNewLong);
        return previous_style;
    case GWLP_USERDATA: {
        const LONG_PTR previous = entry.user_data;
        entry.user_data = dwNewLong;
        return previous;
    }
    default:
        return 0;
    }
}

WINUSERAPI LONG_PTR WINAPI GetWindowLongPtrA(HWND hWnd, int nIndex) {
    const std::optional<WindowEntry> entry = find_window(hWnd);
    if (!entry) return 0;
    switch (nIndex) {
    case GWLP_WNDPROC:
        return reinterpret_cast<LONG_PTR>(entry->proc);
    case GWL_STYLE:
        return reported_style(hWnd, *entry);
    case GWLP_USERDATA:
        return entry->user_data;
    default:
        return 0;
    }
}

WINUSERAPI LONG WINAPI GetWindowLongA(HWND hWnd, int nIndex) {
    if (nIndex != GWL_STYLE) return 0;
    return static_cast<LONG>(GetWindowLongPtrA(hWnd, nIndex));
}

WINUSERAPI LRESULT WINAPI CallWindowProcA(WNDPROC lpPrevWndFunc, HWND hWnd, UINT Msg, WPARAM wParam,
                                          LPARAM lParam) {
    return lpPrevWndFunc ? lpPrevWndFunc(hWnd, Msg, wParam, lParam) : 0;
}

WINUSERAPI LRESULT WINAPI SendMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
    const std::optional<WindowEntry> entry = find_window(hWnd);
    if (!entry || !entry->proc) return 0;
    return entry->proc(hWnd, Msg, wParam, lParam);
}
