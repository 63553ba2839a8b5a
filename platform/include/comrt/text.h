/// @file
/// UTF-16 text (OLECHAR: char16_t, or wchar_t on Windows) and UTF-8 text (file contents,
/// paths, messages) converted into each other.
///
/// Text that is not well formed converts all the same: each unpaired surrogate, and each
/// maximal piece of a byte sequence that cannot begin or continue a UTF-8 character
/// (overlong forms, encoded surrogates and values above U+10FFFF included), becomes one
/// U+FFFD. Embedded NULs pass through.
#pragma once

#include <string>
#include <string_view>

#include <comrt/error.h>

namespace comrt {

/// Text in the platform's own character type, as BSTRs hold it (std::u16string here).
using olestring = std::basic_string<OLECHAR>;
/// A view of text in the platform's own character type (std::u16string_view here).
using olestring_view = std::basic_string_view<OLECHAR>;

/// UTF-16 to UTF-8.
///
///     in:  text, any sequence of UTF-16 code units.
///     out: out, the UTF-8 form of text (what out held before is replaced; empty on failure).
///     S_OK; E_OUTOFMEMORY when the result does not fit in memory.
HRESULT utf16_to_utf8(olestring_view text, std::string& out) noexcept;

/// UTF-8 to UTF-16.
///
///     in:  text, any sequence of bytes.
///     out: out, the UTF-16 form of text (what out held before is replaced; empty on failure).
///     S_OK; E_OUTOFMEMORY when the result does not fit in memory.
HRESULT utf8_to_utf16(std::string_view text, olestring& out) noexcept;

/// utf16_to_utf8 as a value, for code that reports failures by throwing.
/// @throws com_error E_OUTOFMEMORY.
inline std::string to_utf8(olestring_view text) {
    std::string out;
    check(utf16_to_utf8(text, out));
    return out;
}
/// utf8_to_utf16 as a value, for code that reports failures by throwing.
/// @throws com_error E_OUTOFMEMORY.
inline olestring from_utf8(std::string_view text) {
    olestring out;
    check(utf8_to_utf16(text, out));
    return out;
}

}  // namespace comrt
