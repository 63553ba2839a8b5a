// The recording side of the fakes: the call log they share and the plans that make a
// chosen call fail.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <comrt/error.h>

namespace orvane::fakes {

// The calls and events of every fake, in order.
class CallLog {
public:
    void add(std::string entry);
    const std::vector<std::string>& entries() const noexcept { return entries_; }
    // The entries that start with prefix, in order (e.g. "text_editor." or "grid.Cell").
    std::vector<std::string> starting_with(std::string_view prefix) const;
    void clear() noexcept { entries_.clear(); }
    // A disabled log records nothing (for long fills).
    void set_enabled(bool enabled) noexcept { enabled_ = enabled; }

private:
    std::vector<std::string> entries_;
    bool enabled_ = true;
};

// Which calls of which members are to fail.
class FailurePlan {
public:
    // The n-th call of member from now (n >= 1) fails with hr.
    void fail_at(std::string member, int nth, HRESULT hr);
    // Counts one call of member; the status it must fail with, if it is due to fail.
    std::optional<HRESULT> next_call(std::string_view member);
    // Calls of member so far.
    long calls(std::string_view member) const;

private:
    std::map<std::string, long, std::less<>> counts_;
    std::map<std::string, std::map<long, HRESULT>, std::less<>> armed_;
};

// The failures of a contract member that rejects its argument.
[[noreturn]] inline void fail_invalid_value() { throw comrt::com_error(CTL_E_INVALIDPROPERTYVALUE); }
[[noreturn]] inline void fail_runtime(comrt::runtime_error error) {
    throw comrt::com_error(comrt::runtime_hresult(error));
}

// Log formatting of values.
std::string format_value(float value);
std::string format_value(double value);
std::string format_value(long long value);
std::string format_value(bool value);
std::string format_color(OLE_COLOR value);
std::string format_value(std::u16string_view text);  // as UTF-8 (comrt::to_utf8)

}  // namespace orvane::fakes
