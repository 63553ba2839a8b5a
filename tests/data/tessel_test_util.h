// Helpers shared by the Tessel tests: string arrays, readable item state, error checks.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <initializer_list>
#include <string>
#include <string_view>

#include <comrt/com.h>
#include <tessel/tessel.h>
#include <testing/groups.h>
#include <testing/text.h>

namespace tessel_test {

inline constexpr HRESULT kOverflow = comrt::runtime_hresult(comrt::runtime_error::overflow);
inline constexpr HRESULT kSubscript = comrt::runtime_hresult(comrt::runtime_error::subscript_out_of_range);
inline constexpr HRESULT kTypeMismatch = comrt::runtime_hresult(comrt::runtime_error::type_mismatch);

using pg_testing::Hex;
using pg_testing::Printable;
using pg_testing::StringArray;  // a one-dimensional array of strings with a given lower bound

// A one-dimensional array of `count` empty strings with lower bound `lower`.
inline comrt::SafeArrayPtr EmptyStrings(LONG lower, ULONG count) {
    comrt::SafeArrayPtr array(SafeArrayCreateVector(VT_BSTR, lower, count));
    if (!array) throw comrt::com_error(E_OUTOFMEMORY);
    return array;
}

// Replaces element `index` of a one-dimensional string array.
inline void PutString(SAFEARRAY* array, LONG index, comrt::olestring_view text) {
    comrt::Bstr s(text);
    comrt::check(SafeArrayPutElement(array, &index, s.get()));
}

// The item's string at *nIndex, or the failing status as text.
inline std::string ItemAt(_clsPropertyItem* item, SHORT index) {
    comrt::Bstr s;
    const HRESULT hr = item->GetItem(&index, s.put());
    return FAILED(hr) ? "error " + Hex(hr) : Printable(s.view());
}

// Count's result and status as one text: "2", or "error 0x800A0009 (result 0)".
inline std::string CountText(_clsPropertyItem* item) {
    SHORT n = 77;
    const HRESULT hr = item->Count(&n);
    return FAILED(hr) ? "error " + Hex(hr) + " (result " + std::to_string(n) + ")" : std::to_string(n);
}
inline const std::string kNoList = "error " + Hex(kSubscript) + " (result 0)";
inline const std::string kError9 = "error " + Hex(kSubscript);

inline std::string Name(_clsPropertyItem* item) {
    comrt::Bstr s;
    const HRESULT hr = item->get_ItemName(s.put());
    return FAILED(hr) ? "error " + Hex(hr) : Printable(s.view());
}

inline std::string Value(_clsPropertyItem* item) {
    comrt::Bstr s;
    const HRESULT hr = item->get_ItemValue(s.put());
    return FAILED(hr) ? "error " + Hex(hr) : Printable(s.view());
}

inline LONG CountOf(_Collection* collection) {
    LONG n = -1;
    EXPECT_EQ(S_OK, collection->Count(&n));
    return n;
}

// The element at a 1-based position as a property item (empty when it is none).
inline comrt::ComPtr<_clsPropertyItem> ElementAt(_Collection* collection, LONG position) {
    comrt::Variant index;
    index->vt = VT_I4;
    index->lVal = position;
    comrt::Variant element;
    if (FAILED(collection->Item(index.get(), element.put()))) return {};
    if (element.vt() != VT_DISPATCH || !element->pdispVal) return {};
    comrt::ComPtr<IDispatch> object(element->pdispVal);
    return object.try_as<_clsPropertyItem>();
}

// A variant holding a new reference to an object.
template <typename I>
comrt::Variant ObjectVariant(const comrt::ComPtr<I>& object) {
    comrt::Variant v;
    v->vt = VT_DISPATCH;
    v->pdispVal = comrt::ComPtr<IDispatch>(object).detach();
    return v;
}

// Appends a value at the end of a collection, without key or position.
inline HRESULT Append(_Collection* collection, comrt::Variant item) {
    comrt::Variant missing;
    missing->vt = VT_ERROR;
    missing->scode = DISP_E_PARAMNOTFOUND;
    return collection->Add(item.get(), missing.get(), missing.get(), missing.get());
}

// The thread's pending error information: "<source>: <description>", or "" when none.
inline std::string TakeErrorInfo() {
    comrt::ComPtr<IErrorInfo> info;
    if (GetErrorInfo(0, info.put()) != S_OK || !info) return "";
    comrt::Bstr source, description;
    info->GetSource(source.put());
    info->GetDescription(description.put());
    return Printable(source.view()) + ": " + Printable(description.view());
}

}  // namespace tessel_test
