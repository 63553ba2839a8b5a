#include <gtest/gtest.h>

#include <comrt/guid.h>
#include <comrt/oaidl.h>

#include <string>

namespace {

constexpr GUID kSample = comrt::make_guid("{6CD20C86-FCB1-44B6-B123-91E9CC53833E}");

TEST(GuidLiteral, ParsesFieldsWithAndWithoutBraces) {
    static_assert(kSample.Data1 == 0x6CD20C86 && kSample.Data2 == 0xFCB1 && kSample.Data3 == 0x44B6);
    static_assert(kSample.Data4[0] == 0xB1 && kSample.Data4[7] == 0x3E);
    static_assert(comrt::make_guid("6cd20c86-fcb1-44b6-b123-91e9cc53833e") == kSample);
    EXPECT_TRUE(IsEqualGUID(kSample, kSample));
    EXPECT_FALSE(IsEqualGUID(kSample, GUID_NULL));
}

TEST(GuidText, RoundTripsThroughTheBracedForm) {
    OLECHAR text[39];
    ASSERT_EQ(StringFromGUID2(kSample, text, 39), 39);
    EXPECT_EQ(std::u16string(text), u"{6CD20C86-FCB1-44B6-B123-91E9CC53833E}");
    CLSID back{};
    ASSERT_EQ(CLSIDFromString(text, &back), S_OK);
    EXPECT_EQ(back, kSample);
}

TEST(GuidText, BufferTooSmallWritesNothing) {
    OLECHAR text[38] = {u'x'};
    EXPECT_EQ(StringFromGUID2(kSample, text, 38), 0);
    EXPECT_EQ(text[0], u'x');
    EXPECT_EQ(StringFromGUID2(kSample, nullptr, 39), 0);
}

TEST(GuidText, MalformedTextFailsAndClearsTheResult) {
    const char16_t* rows[] = {
        u"",
        u"6CD20C86-FCB1-44B6-B123-91E9CC53833E",    // no braces
        u"{6CD20C86-FCB1-44B6-B123-91E9CC53833E",   // no closing brace
        u"{6CD20C86-FCB1-44B6-B123-91E9CC53833G}",  // not hex
        u"{6CD20C86+FCB1-44B6-B123-91E9CC53833E}",  // wrong separator
        u"{6CD20C86-FCB1-44B6-B123-91E9CC53833E}x", // trailing text
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        CLSID out = kSample;
        EXPECT_EQ(CLSIDFromString(rows[i], &out), CO_E_CLASSSTRING) << "row " << i;
        EXPECT_EQ(out, GUID_NULL);
    }
    EXPECT_EQ(CLSIDFromString(u"{}", nullptr), E_INVALIDARG);
}

TEST(InterfaceIds, WellKnownValues) {
    EXPECT_EQ(IID_IUnknown, comrt::make_guid("00000000-0000-0000-C000-000000000046"));
    EXPECT_EQ(comrt::iid_of<IDispatch>(), comrt::make_guid("00020400-0000-0000-C000-000000000046"));
}

}  // namespace
