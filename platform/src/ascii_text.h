// Names that the registry keeps as plain ASCII (ProgIDs, class and library names,
// threading models): taken from UTF-16 text, and compared as ProgIDs are, ignoring the
// case of ASCII letters.
#pragma once

#include <algorithm>
#include <string>
#include <string_view>

#include <comrt/wintypes.h>

namespace comrt {

// The ASCII text of a NUL-terminated name into out; false for a null name or one holding
// anything beyond ASCII (out then holds the part before it).
inline bool ascii_text(const OLECHAR* name, std::string& out) {
    out.clear();
    if (!name) return false;
    for (; *name; ++name) {
        if (*name > 0x7F) return false;
        out.push_back(static_cast<char>(*name));
    }
    return true;
}

namespace detail {
template <typename Char>
bool equal_ignoring_case(std::basic_string_view<Char> a, std::basic_string_view<Char> b) noexcept {
    const auto lower = [](Char c) { return (c >= 'A' && c <= 'Z') ? static_cast<Char>(c - 'A' + 'a') : c; };
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [&](Char x, Char y) { return lower(x) == lower(y); });
}
}  // namespace detail

// Whether a and b are the same text when A-Z and a-z count as equal.
inline bool equal_ignoring_case(std::string_view a, std::string_view b) noexcept {
    return detail::equal_ignoring_case(a, b);
}
inline bool equal_ignoring_case(std::basic_string_view<OLECHAR> a, std::basic_string_view<OLECHAR> b) noexcept {
    return detail::equal_ignoring_case(a, b);
}

}  // namespace comrt
