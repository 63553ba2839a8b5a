// The run-time error catalogue, raise, and the conversion at public entry points.
#include <gtest/gtest.h>

#include <comrt/com.h>
#include <comrt/text.h>

#include <new>
#include <stdexcept>
#include <string>

namespace {

using comrt::runtime_error;

// The pending description ("-" when none is pending); source and GUID checked on the way.
std::u16string take_description(std::u16string_view expected_source = u"") {
    comrt::ComPtr<IErrorInfo> info;
    if (GetErrorInfo(0, info.put()) != S_OK) return u"-";
    comrt::Bstr source, description;
    GUID guid = IID_IDispatch;  // poisoned
    info->GetSource(source.put());
    info->GetDescription(description.put());
    info->GetGUID(&guid);
    EXPECT_EQ(source.view(), expected_source) << comrt::to_utf8(source.view());
    EXPECT_EQ(guid, GUID_NULL);
    return std::u16string(description.view());
}

TEST(RuntimeCatalogue, Descriptions) {
    const struct {
        int number;
        std::u16string_view text;
    } rows[] = {
        {5, u"Invalid procedure call or argument"},
        {6, u"Overflow"},
        {7, u"Out of memory"},
        {9, u"Subscript out of range"},
        {11, u"Division by zero"},
        {13, u"Type mismatch"},
        {91, u"Object variable or With block variable not set"},
        {380, u"Invalid property value"},
        {424, u"Object required"},
        {438, u"Object doesn't support this property or method"},
    };
    for (const auto& row : rows) {
        const char16_t* text = comrt::runtime_description(row.number);
        ASSERT_NE(text, nullptr) << row.number;
        EXPECT_EQ(text, row.text) << row.number << ": " << comrt::to_utf8(text);
    }
    for (int unknown : {0, -6, 10, 65536 + 6}) EXPECT_EQ(comrt::runtime_description(unknown), nullptr) << unknown;
}

TEST(Raise, ThrowsTheHresultAndSetsTheDescription) {
    const struct {
        runtime_error error;
        HRESULT hr;
        const char16_t* source;
    } rows[] = {
        {runtime_error::overflow, static_cast<HRESULT>(0x800A0006), u"Tessel"},
        {runtime_error::subscript_out_of_range, static_cast<HRESULT>(0x800A0009), u"Orvane"},
        {runtime_error::invalid_property_value, CTL_E_INVALIDPROPERTYVALUE, nullptr},
    };
    for (const auto& row : rows) {
        HRESULT thrown = S_OK;
        try {
            comrt::raise(row.error, row.source);
        } catch (const comrt::com_error& e) {
            thrown = e.code();
        }
        EXPECT_EQ(thrown, row.hr) << std::hex << thrown;
        EXPECT_EQ(take_description(row.source ? row.source : u""), comrt::runtime_description(HRESULT_CODE(row.hr)));
    }
}

template <typename Body>
HRESULT entry_point(Body body) noexcept try {
    body();
    return S_OK;
} catch (...) {
    return comrt::to_hresult();
}

TEST(ToHresult, MapsTheExceptionInFlight) {
    // A com_error leaves the error information its thrower set.
    EXPECT_EQ(entry_point([] {
                  comrt::set_error_info(u"Tessel", u"set by the thrower");
                  throw comrt::com_error(E_INVALIDARG);
              }),
              E_INVALIDARG);
    EXPECT_EQ(take_description(u"Tessel"), u"set by the thrower");

    comrt::set_error_info(u"Tessel", u"stale");
    EXPECT_EQ(entry_point([] { throw std::bad_alloc(); }), E_OUTOFMEMORY);
    EXPECT_EQ(take_description(), u"Out of memory");

    // Anything else is E_UNEXPECTED, and stale information must not describe it.
    comrt::set_error_info(u"Tessel", u"stale");
    EXPECT_EQ(entry_point([] { throw std::logic_error("bug"); }), E_UNEXPECTED);
    EXPECT_EQ(take_description(), u"-");
    EXPECT_EQ(entry_point([] { throw 42; }), E_UNEXPECTED);
    // A success code thrown as an error must not read as success.
    EXPECT_EQ(entry_point([] { throw comrt::com_error(S_FALSE); }), E_UNEXPECTED);
    EXPECT_EQ(comrt::to_hresult(), E_UNEXPECTED);  // no exception in flight
    SetErrorInfo(0, nullptr);
}

}  // namespace
