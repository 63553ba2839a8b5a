// The fake windowing system: its windows in the process's window table, each with its
// procedure chain.
#include <tests/fakes/fake_window_system.h>

#include <cstdio>

#include <comrt/error.h>

namespace orvane::fakes {

FakeWindowSystem::FakeWindowSystem(CallLog& log) : log_(log) {}

FakeWindowSystem::~FakeWindowSystem() {
    for (const auto& [handle, window] : windows_) ComrtDestroyWindowHandle(widgets::ToHwnd(handle));
}

HWND FakeWindowSystem::create_window(std::string name, LONG style) {
    auto window = std::make_unique<Window>();
    window->system = this;
    window->name = std::move(name);
    HWND hWnd = nullptr;
    comrt::check(ComrtCreateWindowHandleEx(window.get(), &OriginalProc, style, nullptr, &hWnd));
    windows_.emplace(widgets::ToHandle(hWnd), std::move(window));
    return hWnd;
}

void FakeWindowSystem::destroy_window(HWND hWnd) { ComrtDestroyWindowHandle(hWnd); }

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
    return SendMessageA(hWnd, msg, wParam, lParam);
}

WNDPROC FakeWindowSystem::window_proc(HWND hWnd) const {
    return reinterpret_cast<WNDPROC>(GetWindowLongPtrA(hWnd, GWLP_WNDPROC));
}

WNDPROC FakeWindowSystem::original_proc() noexcept { return &OriginalProc; }

LONG FakeWindowSystem::style(HWND hWnd) const { return GetWindowLongA(hWnd, GWL_STYLE); }

void FakeWindowSystem::set_style(HWND hWnd, LONG style) { SetWindowLongPtrA(hWnd, GWL_STYLE, style); }

const std::vector<Message>& FakeWindowSystem::received(HWND hWnd) const {
    static const std::vector<Message> none;
    const Window* window = find(hWnd);
    return window ? window->received : none;
}

LRESULT CALLBACK FakeWindowSystem::OriginalProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    void* object = nullptr;
    if (FAILED(ComrtGetWindowObject(hWnd, &object))) return 0;
    Window& window = *static_cast<Window*>(object);

    char entry[32];
    std::snprintf(entry, sizeof entry, ".proc(0x%04X)", static_cast<unsigned>(msg));
    window.system->log_.add(window.name + entry);
    window.received.push_back(Message{msg, wParam, lParam});
    // The handler may re-enter the window system; copy it so that it outlives a change.
    const Handler handler = window.handler;
    return handler ? handler(msg, wParam, lParam) : window.default_result;
}

// The fake's record of a window while the table names it.
FakeWindowSystem::Window* FakeWindowSystem::find(HWND hWnd) {
    const auto it = windows_.find(widgets::ToHandle(hWnd));
    return it == windows_.end() || !IsWindow(hWnd) ? nullptr : it->second.get();
}

const FakeWindowSystem::Window* FakeWindowSystem::find(HWND hWnd) const {
    const auto it = windows_.find(widgets::ToHandle(hWnd));
    return it == windows_.end() || !IsWindow(hWnd) ? nullptr : it->second.get();
}

}  // namespace orvane::fakes
