// Readable values for test messages (testing/text.h).
#include <testing/text.h>

#include <cstdio>

#include <comrt/resource.h>
#include <comrt/text.h>

namespace pg_testing {

std::string Hex(HRESULT hr) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(hr));
    return text;
}

std::string Printable(comrt::olestring_view text) {
    std::string out;
    out.reserve(text.size());
    for (const OLECHAR c : text) {
        if (c >= 0x20 && c < 0x7f) {
            out += static_cast<char>(c);
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04X", static_cast<unsigned>(c));
            out += escaped;
        }
    }
    return out;
}

std::string Printable(BSTR text) { return Printable(comrt::Bstr::view_of(text)); }

std::string Utf8(comrt::olestring_view text) { return comrt::to_utf8(text); }

std::string Utf8(BSTR text) { return comrt::to_utf8(comrt::Bstr::view_of(text)); }

}  // namespace pg_testing
