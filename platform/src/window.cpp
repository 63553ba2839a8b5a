// Window handles (comrt/window.h): one table for the process, under a mutex.
#include <comrt/window.h>

#include <atomic>
#include <mutex>
#include <unordered_map>

namespace {

struct WindowTable {
    std::mutex mutex;
    std::unordered_map<ULONG, void*> windows;
};

WindowTable& table() {
    static WindowTable instance;
    return instance;
}

ULONG handle_value(HWND hwnd) noexcept { return static_cast<ULONG>(reinterpret_cast<ULONG_PTR>(hwnd)); }

// Handles count up in steps of 4 from 0x10000, skipping 0 if they ever wrap around.
std::atomic<ULONG> next_handle{0x10000};

}  // namespace

WINUSERAPI HRESULT WINAPI ComrtCreateWindowHandle(void* window, HWND* phwnd) try {
    if (!phwnd) return E_INVALIDARG;
    *phwnd = nullptr;
    if (!window) return E_INVALIDARG;
    WindowTable& windows = table();
    const std::lock_guard guard(windows.mutex);
    ULONG handle = 0;
    while (handle == 0 || windows.windows.count(handle) != 0) handle = next_handle.fetch_add(4);
    windows.windows.emplace(handle, window);
    // Sign-extended into the pointer-sized carrier, as on the platform.
    *phwnd = reinterpret_cast<HWND>(static_cast<LONG_PTR>(static_cast<LONG>(handle)));
    return S_OK;
} catch (...) {
    return E_OUTOFMEMORY;
}

WINUSERAPI HRESULT WINAPI ComrtDestroyWindowHandle(HWND hwnd) {
    WindowTable& windows = table();
    const std::lock_guard guard(windows.mutex);
    return windows.windows.erase(handle_value(hwnd)) != 0 ? S_OK : E_HANDLE;
}

WINUSERAPI HRESULT WINAPI ComrtGetWindowObject(HWND hwnd, void** window) {
    if (!window) return E_INVALIDARG;
    *window = nullptr;
    WindowTable& windows = table();
    const std::lock_guard guard(windows.mutex);
    const auto it = windows.windows.find(handle_value(hwnd));
    if (it == windows.windows.end()) return E_HANDLE;
    *window = it->second;
    return S_OK;
}

WINUSERAPI BOOL WINAPI IsWindow(HWND hWnd) {
    WindowTable& windows = table();
    const std::lock_guard guard(windows.mutex);
    return windows.windows.count(handle_value(hWnd)) != 0 ? TRUE : FALSE;
}
