// The window-procedure service over the toolkit's own windows (control/widgets/
// window_procs.h): a table of 32-bit window handles, each window with its procedure
// chain and its style bits.
//
// A window enters the table with the handling the toolkit gives its messages (its
// original procedure, which the chain ends in). Every message to a window enters at its
// current procedure: SetWindowLongPtr(GWLP_WNDPROC) puts a procedure in front, which
// chains on with CallWindowProc. WS_VSCROLL in a window's style follows the window
// itself (a grid showing its vertical scroll bar); the other style bits are kept as set.
//
// One service per user-interface thread, shared by every control sited on that thread:
// each control registers it as its thread's window system, and a registration names one
// service for all of them. The handles are those of the process's one window table
// (comrt/window.h), where each names its widget: unique in the process, never reused.
#pragma once

#include <map>
#include <memory>

class QWidget;


#include <control/widgets/window_procs.h>

namespace orvane::qt {

class QtWindowSystem final : public widgets::WindowSystem {
public:
    // What a window of the table does by itself.
    class Window {
    public:
        // The toolkit's own handling of a message (the window's original procedure).
        virtual LRESULT handleMessage(UINT msg, WPARAM wParam, LPARAM lParam) noexcept = 0;
        // Style bits that follow the window's state: WS_VSCROLL or 0.
        virtual LONG liveStyle() noexcept { return 0; }

    protected:
        ~Window() = default;
    };

    // The service of the calling thread, made on first use and kept while anyone holds it.
    static std::shared_ptr<QtWindowSystem> forCurrentThread();
    // The procedure every window starts with: the window's own handling.
    static WNDPROC originalProc() noexcept;

    ~QtWindowSystem() override;
    QtWindowSystem(const QtWindowSystem&) = delete;
    QtWindowSystem& operator=(const QtWindowSystem&) = delete;

    // Enters window, whose widget is `widget`, into the table with the given style bits and
    // returns its new handle, which the process's window table (comrt/window.h) maps to
    // `widget`. The window must stay alive until removeWindow.
    HWND addWindow(QWidget& widget, Window& window, LONG style = 0);
    // Takes a window out of the table; messages to it fail from now on.
    void removeWindow(HWND hWnd) noexcept;
    // Delivers a message at the window's current procedure and returns its result; 0 for
    // a window not in the table.
    LRESULT sendMessage(HWND hWnd, UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) noexcept;
    // The window's current procedure; null for a window not in the table.
    WNDPROC windowProc(HWND hWnd) const noexcept;

    // ---- widgets::WindowSystem ----------------------------------------------------------
    LONG_PTR SetWindowLongPtr(HWND hWnd, int nIndex, LONG_PTR newLong) noexcept override;
    LRESULT CallWindowProc(WNDPROC prevProc, HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) noexcept override;
    LONG GetWindowLong(HWND hWnd, int nIndex) noexcept override;

private:
    QtWindowSystem() = default;

    struct Entry {
        Window* window = nullptr;
        WNDPROC proc = nullptr;
        LONG style = 0;  // without the live bits
    };
    static LRESULT CALLBACK ownHandling(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);
    Entry* find(HWND hWnd) noexcept;
    const Entry* find(HWND hWnd) const noexcept;
    LONG styleOf(Entry& entry) noexcept;

    std::map<OLE_HANDLE, Entry> windows_;
};

}  // namespace orvane::qt
