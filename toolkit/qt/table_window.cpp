// The toolkit's windows in the window table (table_window.h).
#include <toolkit/qt/table_window.h>

#include <QWidget>

#include <comrt/error.h>

namespace orvane::qt {
namespace {

// The style bits a window reports of its own state.
constexpr LONG kLiveStyleBits = WS_VSCROLL;

}  // namespace

WNDPROC TableWindow::originalProc() noexcept { return &ownHandling; }

HWND TableWindow::enterWindowTable(QWidget& self, LONG style) {
    // The table holds the widget: a container's ComrtGetWindowObject gets a QWidget
    // whatever window of this toolkit it names.
    HWND hWnd = nullptr;
    comrt::check(ComrtCreateWindowHandleEx(&self, &ownHandling, style, &reportedStyle, &hWnd));
    return hWnd;
}

void TableWindow::leaveWindowTable(HWND hWnd) noexcept {
    if (hWnd) ComrtDestroyWindowHandle(hWnd);
}

LRESULT CALLBACK TableWindow::ownHandling(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    TableWindow* window = find(hWnd);
    return window ? window->handleMessage(msg, wParam, lParam) : 0;
}

LONG CALLBACK TableWindow::reportedStyle(HWND hWnd, LONG stored) {
    TableWindow* window = find(hWnd);
    const LONG live = window ? window->liveStyle() & kLiveStyleBits : 0;
    return (stored & ~kLiveStyleBits) | live;
}

TableWindow* TableWindow::find(HWND hWnd) noexcept {
    void* object = nullptr;
    if (FAILED(ComrtGetWindowObject(hWnd, &object))) return nullptr;
    // Reached only for handles this toolkit gave out (its procedures are the windows' own),
    // and a handle is never reused, so the object is a QWidget that is a TableWindow.
    return dynamic_cast<TableWindow*>(static_cast<QWidget*>(object));
}

}  // namespace orvane::qt
