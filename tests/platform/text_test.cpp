// UTF-16 <-> UTF-8: exact bytes at every encoding length, U+FFFD for each ill-formed
// piece, and the size guard before allocating.
#include <gtest/gtest.h>

#include <comrt/text.h>

#include <cstdio>
#include <string>
#include <type_traits>

namespace {

using namespace std::string_literals;

// Code units in hex, for comparing and for failure messages.
template <typename Text>
std::string hex(const Text& s) {
    std::string out;
    for (auto c : s) {
        char unit[8];
        std::snprintf(unit, sizeof unit, "%X ", static_cast<unsigned>(std::make_unsigned_t<decltype(c)>(c)));
        out += unit;
    }
    return out;
}

TEST(Utf16ToUtf8, EncodesEachLengthAndReplacesUnpairedSurrogates) {
    const struct {
        std::u16string in;
        std::string out;
    } rows[] = {
        {u"", ""},
        {u"a\0b"s, "a\0b"s},
        {u"\u007F\u0080\u07FF", "\x7F\xC2\x80\xDF\xBF"},
        {u"\u0800\uFFFF", "\xE0\xA0\x80\xEF\xBF\xBF"},
        {u"\U00010000\U0001F600\U0010FFFF", "\xF0\x90\x80\x80\xF0\x9F\x98\x80\xF4\x8F\xBF\xBF"},
        {u"a\xD800"s, "a\xEF\xBF\xBD"},                         // high surrogate at the end
        {u"\xDC00z"s, "\xEF\xBF\xBDz"},                         // low surrogate alone
        {u"\xD800\xD800\xDC00"s, "\xEF\xBF\xBD\xF0\x90\x80\x80"},  // second high one pairs
        {u"\xDC00\xD800"s, "\xEF\xBF\xBD\xEF\xBF\xBD"},         // reversed pair
    };
    for (const auto& row : rows) {
        std::string out = "stale";
        EXPECT_EQ(comrt::utf16_to_utf8(row.in, out), S_OK) << hex(row.in);
        EXPECT_EQ(hex(out), hex(row.out)) << hex(row.in);
    }
}

TEST(Utf8ToUtf16, DecodesEachLengthAndReplacesEachMaximalBadPiece) {
    const struct {
        std::string in;
        std::u16string out;
    } rows[] = {
        {"", u""},
        {"a\0b"s, u"a\0b"s},
        {"\x7F\xC2\x80\xDF\xBF", u"\u007F\u0080\u07FF"},
        {"\xE0\xA0\x80\xEF\xBF\xBF", u"\u0800\uFFFF"},
        {"\xF0\x90\x80\x80\xF4\x8F\xBF\xBF", u"\U00010000\U0010FFFF"},
        {"\x80x", u"\uFFFDx"},                              // continuation byte alone
        {"\xC0\xAF", u"\uFFFD\uFFFD"},                      // overlong two-byte form
        {"\xE0\x80\x80", u"\uFFFD\uFFFD\uFFFD"},            // overlong three-byte form
        {"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},            // encoded surrogate
        {"\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},  // above U+10FFFF
        {"\xF5\xFF", u"\uFFFD\uFFFD"},
        {"\xE2\x82", u"\uFFFD"},                            // truncated at the end
        {"\xF0\x9F\x98" "A", u"\uFFFDA"},                   // truncated before ASCII
        {"\xF0\x9F\x98\xF0\x9F\x98\x80", u"\uFFFD\U0001F600"},
    };
    for (const auto& row : rows) {
        std::u16string out = u"stale";
        EXPECT_EQ(comrt::utf8_to_utf16(row.in, out), S_OK) << hex(row.in);
        EXPECT_EQ(hex(out), hex(row.out)) << hex(row.in);
    }
}

TEST(TextConversion, EveryScalarValueRoundTrips) {
    std::u16string all;
    for (char32_t c = 0; c <= 0x10FFFF; ++c) {
        if (c >= 0xD800 && c <= 0xDFFF) continue;
        if (c < 0x10000) {
            all += static_cast<char16_t>(c);
        } else {
            all += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
            all += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        }
    }
    const std::u16string back = comrt::from_utf8(comrt::to_utf8(all));
    std::size_t same = 0;
    while (same < all.size() && same < back.size() && all[same] == back[same]) ++same;
    EXPECT_EQ(same, all.size()) << "differs from unit " << same << ": " << hex(back.substr(same, 2));
    EXPECT_EQ(back.size(), all.size());
}

TEST(TextConversion, ResultsTooLargeForMemoryFailBeforeAllocating) {
    // Views of impossible lengths: the guard answers before a single unit is read.
    const char16_t unit = u'a';
    std::string narrow = "stale";
    EXPECT_EQ(comrt::utf16_to_utf8(std::u16string_view(&unit, narrow.max_size() / 3 + 1), narrow), E_OUTOFMEMORY);
    EXPECT_EQ(narrow, "");
    const char byte = 'a';
    std::u16string wide = u"stale";
    EXPECT_EQ(comrt::utf8_to_utf16(std::string_view(&byte, wide.max_size() + 1), wide), E_OUTOFMEMORY);
    EXPECT_EQ(wide, u"");
    try {
        comrt::to_utf8(std::u16string_view(&unit, narrow.max_size() / 3 + 1));
        ADD_FAILURE() << "to_utf8 did not throw";
    } catch (const comrt::com_error& e) {
        EXPECT_EQ(e.code(), E_OUTOFMEMORY);
    }
}

}  // namespace
