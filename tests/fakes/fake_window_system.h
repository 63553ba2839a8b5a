// A fake windowing system: a handle table of windows, each with a procedure chain and
// style bits, through which a test sends any message.
//
// A window's original procedure is a recording default procedure: it logs
// `<window>.proc(<message>)`, keeps the message in received(), and answers with the
// window's handler (the toolkit's own handling, e.g. the container's Resize) or, with
// none, with the window's chosen default result. It finds its window system as the one
// registered for the calling thread, so only one fake window system may be current.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include <control/widgets/window_procs.h>
#include <tests/fakes/fake_recording.h>

namespace orvane::fakes {

struct Message {
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
};

class FakeWindowSystem final : public widgets::WindowSystem {
public:
    using Handler = std::function<LRESULT(UINT msg, WPARAM wParam, LPARAM lParam)>;

    explicit FakeWindowSystem(CallLog& log);

    // A new window named name (for the log), with the original procedure in its chain.
    HWND create_window(std::string name, LONG style = 0);

    // The toolkit's own handling of the window's messages, run by its original procedure.
    void set_handler(HWND hWnd, Handler handler);
    // What the original procedure returns when the window has no handler (a handler may
    // answer with it too).
    void set_default_result(HWND hWnd, LRESULT result);
    LRESULT default_result(HWND hWnd) const;

    // Delivers a message at the window's current procedure and returns its result; 0 for
    // an unknown window.
    LRESULT send_message(HWND hWnd, UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);

    // The window's current procedure (null for an unknown window).
    WNDPROC window_proc(HWND hWnd) const;
    // The procedure every window starts with.
    static WNDPROC original_proc() noexcept;

    LONG style(HWND hWnd) const;
    void set_style(HWND hWnd, LONG style);

    // The messages that reached the window's original procedure, in order.
    const std::vector<Message>& received(HWND hWnd) const;

    // The n-th call of operation ("SetWindowLongPtr", "CallWindowProc", "GetWindowLong")
    // from now fails as the platform function does: it returns 0 and changes nothing.
    void fail_at(std::string operation, int nth);

    // ---- WindowSystem --------------------------------------------------------------
    LONG_PTR SetWindowLongPtr(HWND hWnd, int nIndex, LONG_PTR newLong) noexcept override;
    LRESULT CallWindowProc(WNDPROC prevProc, HWND hWnd, UINT msg, WPARAM wParam,
                           LPARAM lParam) noexcept override;
    LONG GetWindowLong(HWND hWnd, int nIndex) noexcept override;

private:
    struct Window {
        std::string name;
        WNDPROC proc = nullptr;
        LONG style = 0;
        LRESULT default_result = 0;
        Handler handler;
        std::vector<Message> received;
    };

    static LRESULT CALLBACK OriginalProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);
    Window* find(HWND hWnd);
    const Window* find(HWND hWnd) const;

    CallLog& log_;
    std::map<OLE_HANDLE, Window> windows_;
    OLE_HANDLE next_handle_ = 0x100;
    FailurePlan failures_;
};

}  // namespace orvane::fakes
