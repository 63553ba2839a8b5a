// Case-insensitive matching of names and values, for the keyboard's type-ahead and for
// finding items. Folding maps the upper-case letters of Basic Latin, Latin-1, Greek and
// Cyrillic to their lower case, one UTF-16 code unit for another; every other code unit
// matches only itself.
#pragma once

#include <algorithm>
#include <string_view>

namespace orvane {

constexpr char16_t FoldCase(char16_t c) noexcept {
    if ((c >= u'A' && c <= u'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7)) return static_cast<char16_t>(c + 0x20);
    if (c >= 0x391 && c <= 0x3A9 && c != 0x3A2) return static_cast<char16_t>(c + 0x20);  // Greek
    if (c >= 0x410 && c <= 0x42F) return static_cast<char16_t>(c + 0x20);                 // Cyrillic
    if (c >= 0x400 && c <= 0x40F) return static_cast<char16_t>(c + 0x50);
    return c;
}

constexpr bool SameFolded(char16_t a, char16_t b) noexcept { return FoldCase(a) == FoldCase(b); }

constexpr bool StartsWithFolded(std::u16string_view text, std::u16string_view prefix) noexcept {
    return text.size() >= prefix.size() && std::equal(prefix.begin(), prefix.end(), text.begin(), SameFolded);
}

constexpr bool ContainsFolded(std::u16string_view text, std::u16string_view part) noexcept {
    return std::search(text.begin(), text.end(), part.begin(), part.end(), SameFolded) != text.end();
}

}  // namespace orvane
