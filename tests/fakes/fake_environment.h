// What the recording doubles of one test share: the call log, the failure plans, the
// record of failed event handlers, the input focus and the fake windowing system.
//
// Conventions of every fake:
// - Contract members (PascalCase, as in control/widgets/) are counted, logged and can
//   be told to fail. Members in snake_case are the test's own view and controls: they
//   are neither logged nor counted and never fail.
// - Log entries read `<fake>.<Member>` for a read, `<fake>.<Member>=<value>` for a write,
//   `<fake>.<Method>(<args>)` for a call, `<fake>:<Event>` for an event raised, and a
//   failing call gets " (failed)" appended.
// - fail_at(member, n, hr) makes the n-th call of member from now fail with hr (once).
//   The member key is the member's name for a read or a call ("Row", "Move"), its name
//   followed by '=' for a write ("Row=", "ColWidth=").
// - A failing member changes nothing and raises nothing. An event handler's failure is
//   recorded in event_failures() and does not fail the member that raised the event.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <comrt/wintypes.h>
#include <tests/fakes/fake_recording.h>
#include <tests/fakes/fake_window_system.h>

namespace orvane::fakes {

// A widget that can hold the input focus.
class Focusable {
public:
    // The focus has moved from this widget to another (or to none).
    virtual void focus_lost() = 0;

protected:
    ~Focusable() = default;
};

struct EventFailure {
    std::string event;  // "<fake>:<Event>"
    HRESULT hr;
};

class FakeEnvironment {
public:
    FakeEnvironment();
    ~FakeEnvironment();
    FakeEnvironment(const FakeEnvironment&) = delete;
    FakeEnvironment& operator=(const FakeEnvironment&) = delete;

    CallLog& log() noexcept { return log_; }
    FakeWindowSystem& windows() noexcept { return windows_; }

    std::vector<EventFailure>& event_failures() noexcept { return event_failures_; }
    // Calls that failed because a fail_at plan made them fail, over every fake so far.
    long injected_failures() const noexcept { return injected_failures_; }
    void count_injected_failure() noexcept { ++injected_failures_; }
    // Told "<fake>:<Event>" after each event's handler has returned (for checks that must
    // run between the handlers of a move, e.g. after LeaveCell and before EnterCell).
    void set_event_observer(std::function<void(std::string_view event)> observer) {
        event_observer_ = std::move(observer);
    }
    const std::function<void(std::string_view)>& event_observer() const noexcept { return event_observer_; }

    // The widget holding the input focus, or null.
    Focusable* focus() const noexcept { return focus_; }
    // Moves the focus to widget (null: to no widget of the control); the widget that had
    // it is told first. Returns false when widget had the focus already.
    bool move_focus(Focusable* widget);

private:
    CallLog log_;
    FakeWindowSystem windows_{log_};
    std::vector<EventFailure> event_failures_;
    long injected_failures_ = 0;
    std::function<void(std::string_view)> event_observer_;
    Focusable* focus_ = nullptr;
};

// The base of every fake widget: counting, logging, failure injection, event raising.
class FakeBase {
public:
    FakeBase(const FakeBase&) = delete;
    FakeBase& operator=(const FakeBase&) = delete;

    const std::string& name() const noexcept { return name_; }
    FakeEnvironment& env() noexcept { return *env_; }
    const FakeEnvironment& env() const noexcept { return *env_; }

    void fail_at(std::string member, int nth, HRESULT hr = E_FAIL) { plan_.fail_at(std::move(member), nth, hr); }
    // The flag of the window this widget lies in: once it is set (the surface was
    // destroyed), every contract member fails with E_HANDLE.
    void set_window_flag(std::shared_ptr<bool> gone) noexcept { window_gone_ = std::move(gone); }
    const std::shared_ptr<bool>& window_flag() const noexcept { return window_gone_; }
    bool window_gone() const noexcept { return window_gone_ && *window_gone_; }
    // Calls of member so far (same keys as fail_at).
    long calls(std::string_view member) const { return plan_.calls(member); }

protected:
    FakeBase(std::shared_ptr<FakeEnvironment> env, std::string name);
    ~FakeBase() = default;

    // One contract call: counts it under key, logs `<name>.<entry>`, and throws
    // com_error when it is due to fail.
    void record(std::string_view key, std::string_view entry);
    void record_get(std::string_view member) { record(member, member); }
    void record_put(std::string_view member, std::string_view value);
    void record_call(std::string_view method, std::string_view args);

    // Raises an event: logs `<name>:<event>`, runs the handler (a callable returning its
    // HRESULT) and records a failing status in the environment.
    template <typename Handler>
    void raise(std::string_view event, Handler&& handler) {
        std::string line = name_ + ":" + std::string(event);
        env_->log().add(line);
        const HRESULT hr = handler();
        if (FAILED(hr)) env_->event_failures().push_back(EventFailure{line, hr});
        if (env_->event_observer()) env_->event_observer()(line);
    }

private:
    std::shared_ptr<FakeEnvironment> env_;
    std::string name_;
    FailurePlan plan_;
    std::shared_ptr<bool> window_gone_;
};

}  // namespace orvane::fakes
