// Readable values for test messages: HRESULTs in hex, UTF-16 text as printable ASCII or as
// UTF-8.
#pragma once

#include <string>
#include <string_view>

#include <comrt/text.h>

namespace pg_testing {

// "0x800A0009".
std::string Hex(HRESULT hr);

// UTF-16 as printable ASCII, every other code unit as \uXXXX: what a message shows of
// text that may hold anything.
std::string Printable(comrt::olestring_view text);
// A BSTR by its stored length (embedded NULs included); a null BSTR is empty.
std::string Printable(BSTR text);

// UTF-16 as UTF-8. Throws comrt::com_error for text that is no valid UTF-16.
std::string Utf8(comrt::olestring_view text);
std::string Utf8(BSTR text);

}  // namespace pg_testing
