// Variant coercion: VariantChangeType and VariantChangeTypeEx.
//
// A VARIANT is 24 bytes: its VARTYPE at offset 0, the value at offset 8 (with VT_BYREF,
// a pointer to the value instead). A VARTYPE is a base type in its low 12 bits, possibly
// combined with VT_ARRAY (a SAFEARRAY* of that element type) or VT_BYREF.
//
// A change is built in a temporary; only once it is complete is the destination cleared
// and overwritten. A failed change therefore leaves the destination as it was, and a
// destination that is the source itself is converted in place.
//
// Built here: VT_EMPTY, VT_NULL, VT_UI1, VT_I2, VT_UI2, VT_I4, VT_UI4, VT_R4, VT_R8, VT_CY, VT_DATE, VT_BSTR,
// VT_DISPATCH, VT_ERROR, VT_BOOL, VT_UNKNOWN, references to any of them, and arrays (copied
// to their own type only). Every other well-formed type answers E_NOTIMPL.
//
// A DATE is a number of days (vartype_date.h): it converts to numbers as a double does,
// and a number converts to a DATE only within the days a DATE holds (DISP_E_OVERFLOW
// outside them); dates as text follow vartype_date.h.
//
// Numbers become integers rounded half to even (2.5 -> 2, 3.5 -> 4, -2.5 -> -2) and fail
// with DISP_E_OVERFLOW outside the target's range; VT_CY is a 64-bit integer scaled by
// 10,000. Text is read and written in the invariant locale, whatever lcid names
// (vartype_string.h).
#include <cmath>
#include <cstdint>

#include <comrt/com_ptr.h>
#include <comrt/error.h>
#include <comrt/oleauto.h>
#include <comrt/resource.h>

#include "vartype_date.h"
#include "vartype_string.h"

namespace {

using comrt::com_error;
namespace text = comrt::vartype;

// A dispatch object's default value may be an object again; this many are followed.
constexpr int kMaxValueDepth = 8;
constexpr std::int64_t kCurrencyScale = 10'000;
// Doubles from here up round to infinity as floats (the midpoint of FLT_MAX and 2^128).
constexpr double kFloatOverflow = 0x1.ffffffp+127;

[[noreturn]] void fail(HRESULT hr) { throw com_error(hr); }

// Well-formed as the platform defines it: a base type below VT_VOID other than the unused
// 15, or VT_RECORD; VT_ARRAY and VT_BYREF may be added, though not to VT_EMPTY or VT_NULL;
// VT_VECTOR and VT_RESERVED never.
bool is_well_formed(VARTYPE vt) noexcept {
    const VARTYPE base = vt & VT_TYPEMASK;
    const VARTYPE modifiers = vt & ~VT_TYPEMASK;
    if (modifiers & (VT_VECTOR | VT_RESERVED)) return false;
    if ((modifiers & (VT_ARRAY | VT_BYREF)) && base <= VT_NULL) return false;
    return (base < VT_VOID && base != 15) || base == VT_RECORD;
}

bool is_built(VARTYPE vt) noexcept {
    switch (vt) {
    case VT_EMPTY:
    case VT_NULL:
    case VT_UI1:
    case VT_I2:
    case VT_UI2:
    case VT_I4:
    case VT_UI4:
    case VT_R4:
    case VT_R8:
    case VT_CY:
    case VT_DATE:
    case VT_BSTR:
    case VT_DISPATCH:
    case VT_ERROR:
    case VT_BOOL:
    case VT_UNKNOWN:
        return true;
    default:
        return false;
    }
}

// The value a source stands for, with a reference followed: a shallow view that owns
// nothing. VT_BYREF|VT_VARIANT is followed once into the variant it points at.
VARIANT dereference(const VARIANT& src) {
    if (!(src.vt & VT_BYREF)) return src;
    if (!src.byref) fail(E_INVALIDARG);
    const VARTYPE vt = src.vt & ~VT_BYREF;
    if (vt == VT_VARIANT) {
        const VARIANT& inner = *src.pvarVal;
        if (inner.vt == (VT_BYREF | VT_VARIANT)) fail(E_INVALIDARG);
        if (!is_well_formed(inner.vt)) fail(DISP_E_BADVARTYPE);
        return dereference(inner);
    }
    VARIANT value{};
    value.vt = vt;
    if (vt & VT_ARRAY) {
        value.parray = *src.pparray;
        return value;
    }
    switch (vt) {
    case VT_UI1:
        value.bVal = *src.pbVal;
        break;
    case VT_I2:
        value.iVal = *src.piVal;
        break;
    case VT_UI2:
        value.uiVal = *src.puiVal;
        break;
    case VT_I4:
        value.lVal = *src.plVal;
        break;
    case VT_UI4:
        value.ulVal = *src.pulVal;
        break;
    case VT_R4:
        value.fltVal = *src.pfltVal;
        break;
    case VT_R8:
        value.dblVal = *src.pdblVal;
        break;
    case VT_CY:
        value.cyVal = *src.pcyVal;
        break;
    case VT_BSTR:
        value.bstrVal = *src.pbstrVal;
        break;
    case VT_DISPATCH:
        value.pdispVal = *src.ppdispVal;
        break;
    case VT_ERROR:
        value.scode = *src.pscode;
        break;
    case VT_BOOL:
        value.boolVal = *src.pboolVal;
        break;
    case VT_UNKNOWN:
        value.punkVal = *src.ppunkVal;
        break;
    default:
        fail(E_NOTIMPL);
    }
    return value;
}

bool is_whole_number(VARTYPE vt) noexcept {
    return vt == VT_UI1 || vt == VT_I2 || vt == VT_UI2 || vt == VT_I4 || vt == VT_UI4;
}

// The value of an integer variant (VT_UI1, VT_I2, VT_UI2, VT_I4, VT_UI4).
std::int64_t whole_number(const VARIANT& v) noexcept {
    switch (v.vt) {
    case VT_UI1:
        return v.bVal;
    case VT_I2:
        return v.iVal;
    case VT_UI2:
        return v.uiVal;
    case VT_I4:
        return v.lVal;
    default:
        return v.ulVal;
    }
}

text::NumberText number_in(BSTR s) { return text::parse_number(comrt::Bstr::view_of(s)); }

double round_half_even(double d) noexcept {
    const double whole = std::floor(d);
    const double rest = d - whole;  // exact
    if (rest > 0.5 || (rest == 0.5 && std::fmod(whole, 2.0) != 0)) return whole + 1;
    return whole;
}

std::int64_t integer_from_real(double d, std::int64_t min, std::int64_t max) {
    if (!std::isfinite(d)) fail(DISP_E_OVERFLOW);
    const double r = round_half_even(d);
    if (!(r >= -0x1p63 && r < 0x1p63)) fail(DISP_E_OVERFLOW);
    const auto value = static_cast<std::int64_t>(r);
    if (value < min || value > max) fail(DISP_E_OVERFLOW);
    return value;
}

// The whole units of a currency value, rounded half to even.
std::int64_t integer_from_currency(std::int64_t scaled) noexcept {
    std::int64_t whole = scaled / kCurrencyScale;
    const std::int64_t rest = scaled % kCurrencyScale;  // same sign as scaled
    const std::int64_t size = rest < 0 ? -rest : rest;
    if (size > kCurrencyScale / 2 || (size == kCurrencyScale / 2 && (whole & 1) != 0)) whole += scaled < 0 ? -1 : 1;
    return whole;
}

// An integer of [min, max]; wrap_bits is the target's width for "&H" text ("&HFFFF" is
// -1 as a 16-bit integer).
std::int64_t to_integer(const VARIANT& v, std::int64_t min, std::int64_t max, int wrap_bits) {
    std::int64_t value = 0;
    switch (v.vt) {
    case VT_EMPTY:
        break;
    case VT_UI1:
    case VT_I2:
    case VT_UI2:
    case VT_I4:
    case VT_UI4:
        value = whole_number(v);
        break;
    case VT_R4:
        return integer_from_real(v.fltVal, min, max);
    case VT_R8:
        return integer_from_real(v.dblVal, min, max);
    case VT_DATE:
        return integer_from_real(v.date, min, max);
    case VT_CY:
        value = integer_from_currency(v.cyVal.int64);
        break;
    case VT_BOOL:
        value = v.boolVal;
        break;
    case VT_BSTR:
        return text::to_integer(number_in(v.bstrVal), 0, min, max, wrap_bits);
    default:
        fail(DISP_E_TYPEMISMATCH);
    }
    if (value < min || value > max) fail(DISP_E_OVERFLOW);
    return value;
}

double to_double(const VARIANT& v) {
    if (is_whole_number(v.vt)) return static_cast<double>(whole_number(v));
    switch (v.vt) {
    case VT_EMPTY:
        return 0;
    case VT_R4:
        return v.fltVal;
    case VT_R8:
        return v.dblVal;
    case VT_DATE:
        return v.date;
    case VT_CY:
        return static_cast<double>(v.cyVal.int64) / kCurrencyScale;
    case VT_BOOL:
        return v.boolVal;
    case VT_BSTR:
        return text::to_double(number_in(v.bstrVal));
    default:
        fail(DISP_E_TYPEMISMATCH);
    }
}

float to_float(const VARIANT& v) {
    switch (v.vt) {
    case VT_R8:
        if (std::isfinite(v.dblVal) && std::fabs(v.dblVal) >= kFloatOverflow) fail(DISP_E_OVERFLOW);
        return static_cast<float>(v.dblVal);
    case VT_BSTR:
        return text::to_float(number_in(v.bstrVal));
    default:
        // Every other number lies well inside a float's range.
        return static_cast<float>(to_double(v));
    }
}

std::int64_t to_currency(const VARIANT& v) {
    constexpr std::int64_t min = INT64_MIN;
    constexpr std::int64_t max = INT64_MAX;
    if (is_whole_number(v.vt)) return whole_number(v) * kCurrencyScale;
    switch (v.vt) {
    case VT_EMPTY:
        return 0;
    case VT_R4:
        return integer_from_real(double{v.fltVal} * kCurrencyScale, min, max);
    case VT_R8:
        return integer_from_real(v.dblVal * kCurrencyScale, min, max);
    case VT_DATE:
        return integer_from_real(v.date * kCurrencyScale, min, max);
    case VT_CY:
        return v.cyVal.int64;
    case VT_BOOL:
        return std::int64_t{v.boolVal} * kCurrencyScale;
    case VT_BSTR: {
        // The platform takes no "&H" / "&O" literal as currency: it reports an overflow.
        const text::NumberText n = number_in(v.bstrVal);
        if (n.radix_literal) fail(DISP_E_OVERFLOW);
        return text::to_integer(n, 4, min, max, 0);
    }
    default:
        fail(DISP_E_TYPEMISMATCH);
    }
}

VARIANT_BOOL to_bool(const VARIANT& v) {
    bool on = false;
    if (is_whole_number(v.vt)) return whole_number(v) != 0 ? VARIANT_TRUE : VARIANT_FALSE;
    switch (v.vt) {
    case VT_EMPTY:
        break;
    case VT_R4:
        on = v.fltVal != 0;
        break;
    case VT_R8:
        on = v.dblVal != 0;
        break;
    case VT_DATE:
        on = v.date != 0;
        break;
    case VT_CY:
        on = v.cyVal.int64 != 0;
        break;
    case VT_BOOL:
        return v.boolVal;
    case VT_BSTR:
        return text::bool_from_text(comrt::Bstr::view_of(v.bstrVal));
    default:
        fail(DISP_E_TYPEMISMATCH);
    }
    return on ? VARIANT_TRUE : VARIANT_FALSE;
}

// Booleans read "True" / "False" with VARIANT_ALPHABOOL or VARIANT_LOCALBOOL (the
// invariant locale's names are the English ones), otherwise as the integers -1 / 0.
comrt::Bstr to_string(const VARIANT& v, USHORT flags) {
    if (is_whole_number(v.vt)) return comrt::Bstr(text::text_from_integer(whole_number(v)));
    switch (v.vt) {
    case VT_EMPTY:
        return comrt::Bstr(u"");
    case VT_R4:
        return comrt::Bstr(text::text_from_float(v.fltVal));
    case VT_R8:
        return comrt::Bstr(text::text_from_double(v.dblVal));
    case VT_CY:
        return comrt::Bstr(text::text_from_currency(v.cyVal.int64));
    case VT_DATE:
        return comrt::Bstr(text::text_from_date(v.date));
    case VT_BOOL:
        if (flags & (VARIANT_ALPHABOOL | VARIANT_LOCALBOOL)) return comrt::Bstr(v.boolVal ? u"True" : u"False");
        return comrt::Bstr(text::text_from_integer(v.boolVal));
    case VT_BSTR:
        // A null string becomes a new empty one, as the platform makes it.
        return comrt::Bstr::copy_of(v.bstrVal);
    default:
        fail(DISP_E_TYPEMISMATCH);
    }
}

// A date: text in a date's form, any other value as its number of days, within the days
// a DATE holds.
DATE to_date(const VARIANT& v) {
    if (v.vt == VT_DATE) return v.date;
    if (v.vt == VT_BSTR) return text::date_from_text(comrt::Bstr::view_of(v.bstrVal));
    const double days = to_double(v);
    if (!text::is_date_in_range(days)) fail(DISP_E_OVERFLOW);
    return days;
}

SCODE to_error(const VARIANT& v) {
    if (v.vt == VT_ERROR) return v.scode;
    if (v.vt == VT_I4) return v.lVal;
    fail(DISP_E_TYPEMISMATCH);
}

// An interface of an object variant by QueryInterface; a null object stays null, and an
// object without the interface is a type mismatch.
template <typename I>
comrt::ComPtr<I> to_interface(const VARIANT& v) {
    IUnknown* object = nullptr;
    switch (v.vt) {
    case VT_EMPTY:
        return nullptr;
    case VT_DISPATCH:
        object = v.pdispVal;
        break;
    case VT_UNKNOWN:
        object = v.punkVal;
        break;
    default:
        fail(DISP_E_TYPEMISMATCH);
    }
    comrt::ComPtr<I> result;
    if (!object) return result;
    const HRESULT hr = object->QueryInterface(comrt::iid_of<I>(), result.put_void());
    if (hr == E_NOINTERFACE) fail(DISP_E_TYPEMISMATCH);
    comrt::check(hr);
    return result;
}

// The object's default value: its DISPID_VALUE property, read without arguments.
comrt::Variant default_value(IDispatch* object, LCID lcid) {
    comrt::Variant value;
    DISPPARAMS no_arguments{nullptr, nullptr, 0, 0};
    const HRESULT hr = object->Invoke(DISPID_VALUE, IID_NULL, lcid, DISPATCH_PROPERTYGET, &no_arguments, value.get(),
                                      nullptr, nullptr);
    // An object without a default value cannot stand for a plain value.
    if (hr == DISP_E_MEMBERNOTFOUND) fail(DISP_E_TYPEMISMATCH);
    comrt::check(hr);
    if (!is_well_formed(value.vt())) fail(DISP_E_BADVARTYPE);
    return value;
}

// The platform converts between the signed and the unsigned integer of one width, and from
// a boolean to an unsigned integer, by their bits, without an overflow: -1 as VT_UI2 is
// 65535, 4294967295 as VT_I4 is -1, VARIANT_TRUE as VT_UI1 is 255. True when `value` and vt
// are such a pair (out's value is then written).
bool convert_bits(const VARIANT& value, VARTYPE vt, VARIANT& out) noexcept {
    switch (vt) {
    case VT_UI1:
        if (value.vt != VT_BOOL) return false;
        out.bVal = static_cast<BYTE>(value.boolVal);
        return true;
    case VT_I2:
        if (value.vt != VT_UI2) return false;
        out.iVal = static_cast<SHORT>(value.uiVal);
        return true;
    case VT_UI2:
        if (value.vt != VT_I2 && value.vt != VT_BOOL) return false;
        out.uiVal = static_cast<USHORT>(value.vt == VT_I2 ? value.iVal : value.boolVal);
        return true;
    case VT_I4:
        if (value.vt != VT_UI4) return false;
        out.lVal = static_cast<LONG>(value.ulVal);
        return true;
    case VT_UI4:
        if (value.vt != VT_I4 && value.vt != VT_BOOL) return false;
        out.ulVal = static_cast<ULONG>(value.vt == VT_I4 ? value.lVal : LONG{value.boolVal});
        return true;
    default:
        return false;
    }
}

// Builds `value` (already dereferenced) as type vt into `out`, which is VT_EMPTY and is
// given its type only once its value is complete.
void change_type(const VARIANT& value, VARTYPE vt, USHORT flags, LCID lcid, int depth, VARIANT& out) {
    // Any value may be dropped.
    if (vt == VT_EMPTY) return;

    if ((value.vt | vt) & VT_ARRAY) {
        // Arrays copy to their own type only; element types are never converted.
        if (value.vt != vt) fail(DISP_E_TYPEMISMATCH);
        comrt::check(VariantCopy(&out, &value));
        return;
    }
    if (!is_built(value.vt) || !is_built(vt)) fail(E_NOTIMPL);

    // Null has no value to convert: it stays null or goes empty.
    if (value.vt == VT_NULL || vt == VT_NULL) {
        if (value.vt != vt) fail(DISP_E_TYPEMISMATCH);
        out.vt = VT_NULL;
        return;
    }

    // An object stands for a plain value through its default value.
    if (value.vt == VT_DISPATCH && vt != VT_DISPATCH && vt != VT_UNKNOWN) {
        if (!value.pdispVal || (flags & VARIANT_NOVALUEPROP) || depth >= kMaxValueDepth) fail(DISP_E_TYPEMISMATCH);
        const comrt::Variant inner = default_value(value.pdispVal, lcid);
        change_type(dereference(*inner.get()), vt, flags, lcid, depth + 1, out);
        return;
    }

    if (convert_bits(value, vt, out)) {
        out.vt = vt;
        return;
    }
    switch (vt) {
    case VT_UI1:
        out.bVal = static_cast<BYTE>(to_integer(value, 0, UINT8_MAX, 8));
        break;
    case VT_I2:
        out.iVal = static_cast<SHORT>(to_integer(value, INT16_MIN, INT16_MAX, 16));
        break;
    case VT_UI2:
        out.uiVal = static_cast<USHORT>(to_integer(value, 0, UINT16_MAX, 16));
        break;
    case VT_I4:
        out.lVal = static_cast<LONG>(to_integer(value, INT32_MIN, INT32_MAX, 32));
        break;
    case VT_UI4:
        out.ulVal = static_cast<ULONG>(to_integer(value, 0, UINT32_MAX, 32));
        break;
    case VT_R4:
        out.fltVal = to_float(value);
        break;
    case VT_R8:
        out.dblVal = to_double(value);
        break;
    case VT_CY:
        out.cyVal.int64 = to_currency(value);
        break;
    case VT_DATE:
        out.date = to_date(value);
        break;
    case VT_BOOL:
        out.boolVal = to_bool(value);
        break;
    case VT_ERROR:
        out.scode = to_error(value);
        break;
    case VT_BSTR:
        out.bstrVal = to_string(value, flags).detach();
        break;
    case VT_DISPATCH:
        out.pdispVal = to_interface<IDispatch>(value).detach();
        break;
    case VT_UNKNOWN:
        out.punkVal = to_interface<IUnknown>(value).detach();
        break;
    default:
        fail(E_NOTIMPL);
    }
    out.vt = vt;
}

}  // namespace

// VariantChangeTypeEx: converts *pvarSrc to type vt into *pvargDest.
//   pvargDest  in/out: an initialised variant; cleared and overwritten on success only.
//                      May be pvarSrc itself (converted in place).
//   pvarSrc    in: the value; a VT_BYREF source is read through its reference.
//   lcid       in: passed to an object's default-value call; text is always read and
//                  written in the invariant locale ('.' decimal point, "True"/"False").
//   wFlags     in: VARIANT_NOVALUEPROP (objects do not convert through their default
//                  value), VARIANT_ALPHABOOL / VARIANT_LOCALBOOL (booleans as "True" /
//                  "False" instead of "-1" / "0"); others are accepted and ignored.
//   vt         in: the type wanted.
// Returns S_OK (the destination holds a value of type vt);
//   E_INVALIDARG        a null pointer, or a reference that points nowhere;
//   DISP_E_BADVARTYPE   the source's or the wanted type is not a well-formed VARTYPE;
//   DISP_E_TYPEMISMATCH the value has no meaning as type vt (text that is not a number,
//                       null to anything but null or empty, a VT_BYREF target, ...);
//   DISP_E_OVERFLOW     the value lies outside the range of type vt;
//   E_NOTIMPL           a well-formed type that this layer does not convert;
//   E_OUTOFMEMORY, or the failure of an object's QueryInterface or default-value call.
// On any failure the destination is untouched.
WINOLEAUTAPI VariantChangeTypeEx(VARIANTARG* pvargDest, const VARIANTARG* pvarSrc, LCID lcid, USHORT wFlags,
                                 VARTYPE vt) try {
    if (!pvargDest || !pvarSrc) return E_INVALIDARG;
    if (!is_well_formed(pvarSrc->vt) || !is_well_formed(vt)) return DISP_E_BADVARTYPE;
    // A reference needs storage to point at, which a conversion does not have.
    if (vt & VT_BYREF) return DISP_E_TYPEMISMATCH;

    comrt::Variant result;
    change_type(dereference(*pvarSrc), vt, wFlags, lcid, 0, *result.get());
    // The source has been read in full: the destination may go now, even if it is the source.
    comrt::check(VariantClear(pvargDest));
    *pvargDest = result.detach();
    return S_OK;
} catch (...) {
    return comrt::to_hresult();
}

// VariantChangeType: VariantChangeTypeEx for the user's default locale (which changes
// nothing for text: see above). Same parameters, results and failures.
WINOLEAUTAPI VariantChangeType(VARIANTARG* pvargDest, const VARIANTARG* pvarSrc, USHORT wFlags, VARTYPE vt) {
    return VariantChangeTypeEx(pvargDest, pvarSrc, LOCALE_USER_DEFAULT, wFlags, vt);
}
