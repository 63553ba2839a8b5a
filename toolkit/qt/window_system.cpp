// The window-procedure service over the toolkit's windows (window_system.h).
#include <toolkit/qt/window_system.h>

#include <comrt/error.h>
#include <comrt/window.h>

namespace orvane::qt {
namespace {

// The style bits a window reports of its own state.
constexpr LONG kLiveStyleBits = WS_VSCROLL;

thread_local std::weak_ptr<QtWindowSystem> thread_service;
thread_local QtWindowSystem* thread_service_raw = nullptr;

}  // namespace

std::shared_ptr<QtWindowSystem> QtWindowSystem::forCurrentThread() {
    if (std::shared_ptr<QtWindowSystem> service = thread_service.lock()) return service;
    std::shared_ptr<QtWindowSystem> service(new QtWindowSystem());
    thread_service = service;
    thread_service_raw = service.get();
    return service;
}

WNDPROC QtWindowSystem::originalProc() noexcept { return &ownHandling; }

QtWindowSystem::~QtWindowSystem() {
    if (thread_service_raw == this) thread_service_raw = nullptr;
}

HWND QtWindowSystem::addWindow(QWidget& widget, Window& window, LONG style) {
    // The process's one window table gives the handle, so that it names this widget for
    // everyone (a container's ComrtGetWindowObject, IsWindow) and no other window.
    HWND hWnd = nullptr;
    comrt::check(ComrtCreateWindowHandle(&widget, &hWnd));
    try {
        windows_.emplace(widgets::ToHandle(hWnd), Entry{&window, &ownHandling, style & ~kLiveStyleBits});
    } catch (...) {
        ComrtDestroyWindowHandle(hWnd);
        throw;
    }
    return hWnd;
}

void QtWindowSystem::removeWindow(HWND hWnd) noexcept {
    if (windows_.erase(widgets::ToHandle(hWnd)) != 0) ComrtDestroyWindowHandle(hWnd);
}

LRESULT QtWindowSystem::sendMessage(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) noexcept {
    const Entry* entry = find(hWnd);
    if (!entry || !entry->proc) return 0;
    const WNDPROC proc = entry->proc;  // the call may change the table
    return proc(hWnd, msg, wParam, lParam);
}

WNDPROC QtWindowSystem::windowProc(HWND hWnd) const noexcept {
    const Entry* entry = find(hWnd);
    return entry ? entry->proc : nullptr;
}

LONG_PTR QtWindowSystem::SetWindowLongPtr(HWND hWnd, int nIndex, LONG_PTR newLong) noexcept {
    Entry* entry = find(hWnd);
    if (!entry) return 0;
    switch (nIndex) {
    case GWLP_WNDPROC: {
        if (newLong == 0) return 0;  // a window always has a procedure
        const WNDPROC previous = entry->proc;
        entry->proc = reinterpret_cast<WNDPROC>(newLong);
        return reinterpret_cast<LONG_PTR>(previous);
    }
    case GWL_STYLE: {
        const LONG previous = styleOf(*entry);
        entry->style = static_cast<LONG>(newLong) & ~kLiveStyleBits;
        return previous;
    }
    default:
        return 0;
    }
}

LRESULT QtWindowSystem::CallWindowProc(WNDPROC prevProc, HWND hWnd, UINT msg, WPARAM wParam,
                                       LPARAM lParam) noexcept {
    return prevProc ? prevProc(hWnd, msg, wParam, lParam) : 0;
}

LONG QtWindowSystem::GetWindowLong(HWND hWnd, int nIndex) noexcept {
    Entry* entry = find(hWnd);
    if (!entry || nIndex != GWL_STYLE) return 0;
    return styleOf(*entry);
}

LRESULT CALLBACK QtWindowSystem::ownHandling(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    QtWindowSystem* service = thread_service_raw;
    Entry* entry = service ? service->find(hWnd) : nullptr;
    return entry ? entry->window->handleMessage(msg, wParam, lParam) : 0;
}

QtWindowSystem::Entry* QtWindowSystem::find(HWND hWnd) noexcept {
    const auto it = windows_.find(widgets::ToHandle(hWnd));
    return it == windows_.end() ? nullptr : &it->second;
}

const QtWindowSystem::Entry* QtWindowSystem::find(HWND hWnd) const noexcept {
    const auto it = windows_.find(widgets::ToHandle(hWnd));
    return it == windows_.end() ? nullptr : &it->second;
}

LONG QtWindowSystem::styleOf(Entry& entry) noexcept {
    return entry.style | (entry.window->liveStyle() & kLiveStyleBits);
}

}  // namespace orvane::qt
