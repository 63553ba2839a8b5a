// The fake windowing system: windows in a handle table, each with its procedure chain.
#include <tests/fakes/fake_window_system.h>

#include <cstdio>

namespace orvane::fakes {

FakeWindowSystem::FakeWindowSystem(CallLog& log) : log_(log) {}

HWND FakeWindowSystem::create_window(std::string name, LONG style) {
    const OLE_HANDLE handle = next_handle_;
    next_handle_ += 4;
    Window window;
    window.name = std::move(name);
    window.proc = &OriginalProc;
    window.style = style;
    windows_.emplace(handle, std::move(window));
    return widgets::ToHwnd(handle);
}

void FakeWindowSystem::set_handler(HWND hWnd, Handler handler) {
    if (Window* window = find(hWnd)) window->handler = std::move(handler);
}

void FakeWindowSystem::set_default_result(HWND hWnd, LRESULT result) {
    if (Window* window = find(hWnd)) window->default_result = result;
}

LRESULT FakeWindowSystem::default_result(HWND hWnd) const {
    const Window* window = find(hWnd);
    return window ? window->default_result : 0;
}

LRESULT FakeWindowSystem::send_message(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    const Window* window = find(hWnd);
    if (!window || !window->proc) return 0;
    return window->proc(hWnd, msg, wParam, lParam);
}

WNDPROC FakeWindowSystem::window_proc(HWND hWnd) const {
    const Window* window = find(hWnd);
    return window ? window->proc : nullptr;
}

WNDPROC FakeWindowSystem::original_proc() noexcept { return &OriginalProc; }

LONG FakeWindowSystem::style(HWND hWnd) const {
    const Window* window = find(hWnd);
    return window ? window->style : 0;
}

void FakeWindowSystem::set_style(HWND hWnd, LONG style) {
    if (Window* window = find(hWnd)) window->style = style;
}

const std::vector<Message>& FakeWindowSystem::received(HWND hWnd) const {
    static const std::vector<Message> none;
    const Window* window = find(hWnd);
    return window ? window->received : none;
}

void FakeWindowSystem::fail_at(std::string operation, int nth) {
    failures_.fail_at(std::move(operation), nth, E_FAIL);
}

LONG_PTR FakeWindowSystem::SetWindowLongPtr(HWND hWnd, int nIndex, LONG_PTR newLong) noexcept {
    if (failures_.next_call("SetWindowLongPtr")) return 0;
    Window* window = find(hWnd);
    if (!window) return 0;
    switch (nIndex) {
    case GWLP_WNDPROC: {
        const WNDPROC previous = window->proc;
        window->proc = reinterpret_cast<WNDPROC>(newLong);
        return reinterpret_cast<LONG_PTR>(previous);
    }
    case GWL_STYLE: {
        const LONG previous = window->style;
        window->style = static_cast<LONG>(newLong);
        return previous;
    }
    default:
        return 0;
    }
}

LRESULT FakeWindowSystem::CallWindowProc(WNDPROC prevProc, HWND hWnd, UINT msg, WPARAM wParam,
                                         LPARAM lParam) noexcept {
    if (failures_.next_call("CallWindowProc")) return 0;
    return prevProc ? prevProc(hWnd, msg, wParam, lParam) : 0;
}

LONG FakeWindowSystem::GetWindowLong(HWND hWnd, int nIndex) noexcept {
    if (failures_.next_call("GetWindowLong")) return 0;
    const Window* window = find(hWnd);
    if (!window || nIndex != GWL_STYLE) return 0;
    return window->style;
}

LRESULT CALLBACK FakeWindowSystem::OriginalProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* self = dynamic_cast<FakeWindowSystem*>(widgets::CurrentWindowSystem());
    Window* window = self ? self->find(hWnd) : nullptr;
    if (!window) return 0;

    char entry[32];
    std::snprintf(entry, sizeof entry, ".proc(0x%04X)", static_cast<unsigned>(msg));
    self->log_.add(window->name + entry);
    window->received.push_back(Message{msg, wParam, lParam});
    // The handler may re-enter the window system; copy it so that it outlives a change.
    const Handler handler = window->handler;
    return handler ? handler(msg, wParam, lParam) : window->default_result;
}

FakeWindowSystem::Window* FakeWindowSystem::find(HWND hWnd) {
    const auto it = windows_.find(widgets::ToHandle(hWnd));
    return it == windows_.end() ? nullptr : &it->second;
}

const FakeWindowSystem::Window* FakeWindowSystem::find(HWND hWnd) const {
    const auto it = windows_.find(widgets::ToHandle(hWnd));
    return it == windows_.end() ? nullptr : &it->second;
}

}  // namespace orvane::fakes
