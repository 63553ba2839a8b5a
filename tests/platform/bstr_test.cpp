#include <gtest/gtest.h>

#include <comrt/oleauto.h>

#include <cstring>
#include <string>

namespace {

std::u16string text_of(BSTR s) { return s ? std::u16string(s, SysStringLen(s)) : std::u16string(); }

TEST(BstrLength, CountsCodeUnitsIncludingNulsAndSurrogates) {
    const std::u16string rows[] = {u"", u"abc", std::u16string(u"a\0b\0", 4), u"x\U0001F600y",
                                   std::u16string(1, u'\xD800')};
    for (const auto& text : rows) {
        const UINT n = static_cast<UINT>(text.size());
        BSTR s = SysAllocStringLen(text.data(), n);
        ASSERT_NE(s, nullptr) << "length " << n;
        ULONG prefix;
        std::memcpy(&prefix, reinterpret_cast<const char*>(s) - 4, 4);
        EXPECT_EQ(prefix, 2 * n);
        EXPECT_EQ(SysStringByteLen(s), 2 * n);
        EXPECT_EQ(SysStringLen(s), n);
        EXPECT_EQ(text_of(s), text);
        EXPECT_EQ(s[n], u'\0') << "length " << n;
        SysFreeString(s);
    }
}

TEST(BstrAlloc, NullSourcesNullStringsAndOddByteLengths) {
    EXPECT_EQ(SysAllocString(nullptr), nullptr);
    BSTR s = SysAllocString(u"ab\0cd");  // up to the first NUL
    EXPECT_EQ(text_of(s), u"ab");
    SysFreeString(s);
    s = SysAllocStringLen(nullptr, 3);
    EXPECT_EQ(text_of(s), std::u16string(3, u'\0'));
    SysFreeString(s);
    EXPECT_EQ(SysStringLen(nullptr), 0u);  // a null BSTR is the empty string
    EXPECT_EQ(SysStringByteLen(nullptr), 0u);
    SysFreeString(nullptr);

    for (UINT len = 0; len <= 5; ++len) {
        s = SysAllocStringByteLen("abcde", len);
        ASSERT_NE(s, nullptr);
        const auto* bytes = reinterpret_cast<const char*>(s);
        EXPECT_EQ(SysStringByteLen(s), len);
        EXPECT_EQ(SysStringLen(s), len / 2) << "byte length " << len;
        EXPECT_EQ(std::string(bytes, len + 2), std::string("abcde", len) + std::string(2, '\0'));
        SysFreeString(s);
    }
}

TEST(BstrAlloc, ALengthBeyondThe32BitPrefixFails) {
    // 2 * 0x80000000 bytes does not fit the 32-bit prefix; the short source is never read.
    EXPECT_EQ(SysAllocStringLen(u"ab", 0x80000000u), nullptr);
}

}  // namespace
