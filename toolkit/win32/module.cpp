// The module and its window classes (module.h).
#include <toolkit/win32/module.h>

#include <comrt/error.h>

namespace orvane::win32 {

HINSTANCE ModuleInstance() noexcept {
    static const HINSTANCE instance = [] {
        HMODULE module = nullptr;
        GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                           reinterpret_cast<LPCWSTR>(&ModuleInstance), &module);
        return module;
    }();
    return instance;
}

void EnsureWindowClass(const wchar_t* name, WNDPROC procedure) {
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof existing;
    if (GetClassInfoExW(ModuleInstance(), name, &existing)) return;
    WNDCLASSEXW window_class{};
    window_class.cbSize = sizeof window_class;
    window_class.lpfnWndProc = procedure;
    window_class.cbWndExtra = sizeof(void*);
    window_class.hInstance = ModuleInstance();
    window_class.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    window_class.lpszClassName = name;
    if (!RegisterClassExW(&window_class) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        throw comrt::com_error(HRESULT_FROM_WIN32(GetLastError()));
}

void* WindowObject(HWND hwnd) noexcept { return reinterpret_cast<void*>(GetWindowLongPtrW(hwnd, 0)); }

void SetWindowObject(HWND hwnd, void* object) noexcept {
    SetWindowLongPtrW(hwnd, 0, reinterpret_cast<LONG_PTR>(object));
}

}  // namespace orvane::win32
