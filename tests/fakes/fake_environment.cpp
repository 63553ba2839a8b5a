// The shared environment of the fakes and their common base.
#include <tests/fakes/fake_environment.h>

#include <comrt/error.h>

namespace orvane::fakes {

FakeEnvironment::FakeEnvironment() = default;
FakeEnvironment::~FakeEnvironment() = default;

bool FakeEnvironment::move_focus(Focusable* widget) {
    if (focus_ == widget) return false;
    Focusable* previous = focus_;
    focus_ = widget;
    if (previous) previous->focus_lost();
    return true;
}

FakeBase::FakeBase(std::shared_ptr<FakeEnvironment> env, std::string name)
    : env_(std::move(env)), name_(std::move(name)) {}

void FakeBase::record(std::string_view key, std::string_view entry) {
    // A widget whose window was destroyed is gone: every member fails, nothing is logged.
    if (window_gone_ && *window_gone_) throw comrt::com_error(E_HANDLE);
    std::string line = name_ + "." + std::string(entry);
    const std::optional<HRESULT> failure = plan_.next_call(key);
    if (failure) {
        line += " (failed)";
        env_->count_injected_failure();
    }
    env_->log().add(std::move(line));
    if (failure) throw comrt::com_error(*failure);
}

void FakeBase::record_put(std::string_view member, std::string_view value) {
    std::string key(member);
    key += '=';
    record(key, key + std::string(value));
}

void FakeBase::record_call(std::string_view method, std::string_view args) {
    record(method, std::string(method) + "(" + std::string(args) + ")");
}

}  // namespace orvane::fakes
