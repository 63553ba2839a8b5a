// A fake windowing system: windows in the process's window table (comrt/window.h), each
// with a procedure chain and style bits, through which a test sends any message.
//
// The windows are entered in the table as a toolkit enters its own, so the platform's
// window functions (SetWindowLongPtrA, CallWindowProcA, GetWindowLongA, SendMessageA)
// reach them with no registration. A window's original procedure is a recording default
// procedure: it logs `<window>.proc(<message>)`, keeps the message in received(), and
// answers with the window's handler (the toolkit's own handling, e.g. the container's
// Resize) or, with none, with the window's chosen default result. It finds the fake's
// record of the window as the window's object in the table.
#pragma once

#include <functional>
#include <map>
#include <memory>
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

class FakeWindowSystem final {
public:
    using Handler = std::function<LRESULT(UINT msg, WPARAM wParam, LPARAM lParam)>;

    explicit FakeWindowSystem(CallLog& log);
    // Takes every window it made out of the table.
    ~FakeWindowSystem();
    FakeWindowSystem(const FakeWindowSystem&) = delete;
    FakeWindowSystem& operator=(const FakeWindowSystem&) = delete;

    // A new window named name (for the log), with the original procedure in its chain.
    HWND create_window(std::string name, LONG style = 0);
    // Takes the window out of the table: the platform's functions fail on it from now on.
    void destroy_window(HWND hWnd);

    // The toolkit's own handling of the window's messages, run by its original procedure.
    void set_handler(HWND hWnd, Handler handler);
    // What the original procedure returns when the window has no handler (a handler may
    // answer with it too).
    void set_default_result(HWND hWnd, LRESULT result);
    LRESULT default_result(HWND hWnd) const;

    // Delivers a message at the window's current procedure (SendMessageA) and returns its
    // result; 0 for an unknown window.
    LRESULT send_message(HWND hWnd, UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);

    // The window's current procedure (null for an unknown window).
    WNDPROC window_proc(HWND hWnd) const;
    // The procedure every window starts with.
    static WNDPROC original_proc() noexcept;

    LONG style(HWND hWnd) const;
    void set_style(HWND hWnd, LONG style);

    // The messages that reached the window's original procedure, in order.
    const std::vector<Message>& received(HWND hWnd) const;

private:
    struct Window {
        FakeWindowSystem* system = nullptr;
        std::string name;
        LRESULT default_result = 0;
        Handler handler;
        std::vector<Message> received;
    };

    static LRESULT CALLBACK OriginalProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);
    Window* find(HWND hWnd);
    const Window* find(HWND hWnd) const;

    CallLog& log_;
    // Held by address: each window's entry in the table names its record.
    std::map<OLE_HANDLE, std::unique_ptr<Window>> windows_;
};

}  // namespace orvane::fakes
