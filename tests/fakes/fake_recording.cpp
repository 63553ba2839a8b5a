// Call log, failure plans and value formatting of the fakes.
#include <tests/fakes/fake_recording.h>

#include <comrt/text.h>

#include <charconv>
#include <cstdio>

namespace orvane::fakes {

void CallLog::add(std::string entry) {
    if (enabled_) entries_.push_back(std::move(entry));
}

std::vector<std::string> CallLog::starting_with(std::string_view prefix) const {
    std::vector<std::string> found;
    for (const std::string& entry : entries_) {
        if (std::string_view(entry).substr(0, prefix.size()) == prefix) found.push_back(entry);
    }
    return found;
}

void FailurePlan::fail_at(std::string member, int nth, HRESULT hr) {
    const long due = calls(member) + (nth < 1 ? 1 : nth);
    armed_[std::move(member)][due] = hr;
}

std::optional<HRESULT> FailurePlan::next_call(std::string_view member) {
    auto count = counts_.find(member);
    if (count == counts_.end()) count = counts_.emplace(std::string(member), 0).first;
    const long call = ++count->second;

    const auto armed = armed_.find(member);
    if (armed == armed_.end()) return std::nullopt;
    const auto due = armed->second.find(call);
    if (due == armed->second.end()) return std::nullopt;
    const HRESULT hr = due->second;
    armed->second.erase(due);
    return hr;
}

long FailurePlan::calls(std::string_view member) const {
    const auto count = counts_.find(member);
    return count == counts_.end() ? 0 : count->second;
}

namespace {

template <typename T>
std::string shortest(T value) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

}  // namespace

std::string format_value(float value) { return shortest(value); }
std::string format_value(double value) { return shortest(value); }
std::string format_value(long long value) { return shortest(value); }
std::string format_value(bool value) { return value ? "true" : "false"; }

std::string format_color(OLE_COLOR value) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "0x%08X", static_cast<unsigned>(value));
    return buffer;
}

std::string format_value(std::u16string_view text) { return comrt::to_utf8(text); }

}  // namespace orvane::fakes
