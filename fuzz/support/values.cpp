// Automation values made from fuzz input (values.h).
#include "values.h"

#include <cstring>
#include <string_view>

#include <comrt/error.h>
#include <comrt/implements.h>
#include <comrt/resource.h>

namespace pg_fuzz {
namespace {

// Texts that conversions treat specially: numbers in every form, booleans, hex and
// octal, dates, signs, blanks, limits.
constexpr std::u16string_view kTexts[] = {
    u"", u"0", u"1", u"-1", u"42", u"32767", u"32768", u"-32768", u"-32769", u"65535", u"65536",
    u"2147483647", u"2147483648", u"-2147483648", u"4294967295", u"4294967296", u"1e308", u"1e309",
    u"-1e-320", u"2.5", u"-2.5", u"0.5", u"1,5", u"1.", u".5", u"&HFF", u"&HFFFF", u"&H8000", u"&HFFFFFFFF",
    u"&O777", u"&O", u"&H", u"True", u"False", u"true", u" 12 ", u"12abc", u"+", u"-", u"1e", u"NaN", u"Inf",
    u"922337203685477.5807", u"922337203685477.5808", u"-922337203685477.5808", u"1E+4", u"$1", u"1 2",
    u"\u00a0" u"1", u"\uff11", u"1\u0000" u"2"};

class ValueObject final : public comrt::implements<ValueObject, IDispatch> {
public:
    // A value that cannot be copied (an invalid type) leaves the default value empty.
    ValueObject(const VARIANT& value, HRESULT failure) : failure_(failure) { VariantCopy(value_.get(), &value); }

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* pctinfo) noexcept override {
        if (!pctinfo) return E_POINTER;
        *pctinfo = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** ppTInfo) noexcept override {
        if (ppTInfo) *ppTInfo = nullptr;
        return DISP_E_BADINDEX;
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT cNames, LCID, DISPID* rgDispId) noexcept override {
        for (UINT i = 0; rgDispId && i < cNames; ++i) rgDispId[i] = DISPID_UNKNOWN;
        return DISP_E_UNKNOWNNAME;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS*, VARIANT* result, EXCEPINFO*,
                                     UINT*) noexcept override {
        // The result is an [out] variant: empty on every failure, as the dispatch under
        // test leaves it. Results of calls join the fuzzer's targets, so this object is
        // held to the same checks.
        if (result) VariantInit(result);
        if (id != DISPID_VALUE || !(flags & DISPATCH_PROPERTYGET)) return DISP_E_MEMBERNOTFOUND;
        if (FAILED(failure_)) return failure_;
        if (!result) return S_OK;
        return VariantCopy(result, value_.get());
    }

private:
    comrt::Variant value_;
    HRESULT failure_;
};

}  // namespace

comrt::ComPtr<IDispatch> MakeValueObject(const VARIANT& value, HRESULT failure) {
    return comrt::make<ValueObject>(value, failure).as<IDispatch>();
}

VARTYPE Values::make_type() {
    static constexpr VARTYPE kTypes[] = {VT_EMPTY, VT_NULL,  VT_I2,   VT_I4,    VT_R4,    VT_R8,      VT_CY,
                                         VT_DATE,  VT_BSTR,  VT_DISPATCH, VT_ERROR, VT_BOOL, VT_VARIANT,
                                         VT_UNKNOWN, VT_DECIMAL, VT_I1, VT_UI1, VT_UI2, VT_UI4, VT_I8, VT_UI8,
                                         VT_INT,   VT_UINT,  VT_VOID, VT_HRESULT, VT_RECORD, 15, 0xFFF};
    switch (in_.ConsumeIntegralInRange<int>(0, 7)) {
    case 0: return in_.ConsumeIntegral<VARTYPE>();  // anything, VT_VECTOR and VT_RESERVED included
    case 1: return static_cast<VARTYPE>(VT_ARRAY | in_.PickValueInArray(kTypes));
    case 2: return static_cast<VARTYPE>(VT_BYREF | in_.PickValueInArray(kTypes));
    case 3: return static_cast<VARTYPE>(VT_BYREF | VT_ARRAY | in_.PickValueInArray(kTypes));
    default: return in_.PickValueInArray(kTypes);
    }
}

comrt::Bstr Values::make_text() {
    if (in_.ConsumeBool()) return comrt::Bstr(in_.PickValueInArray(kTexts));
    const std::size_t units = in_.ConsumeIntegralInRange<std::size_t>(0, 24);
    std::u16string text;
    for (std::size_t i = 0; i < units && in_.remaining_bytes() > 0; ++i) {
        // Mostly ASCII digits and signs, sometimes any code unit (surrogates included).
        text += in_.ConsumeBool() ? static_cast<char16_t>(u"0123456789.-+eE&HO, $"[in_.ConsumeIntegralInRange(0, 20)])
                                  : in_.ConsumeIntegral<char16_t>();
    }
    return comrt::Bstr(text);
}

VARIANT& Values::cell() {
    cells_.emplace_back();
    VariantInit(&cells_.back());
    return cells_.back();
}

SAFEARRAY* Values::make_array(VARTYPE vt, int depth) {
    SAFEARRAYBOUND bounds[3];
    const UINT dims = in_.ConsumeIntegralInRange<UINT>(1, 3);
    ULONG total = 1;
    for (UINT d = 0; d < dims; ++d) {
        bounds[d].cElements = in_.ConsumeIntegralInRange<ULONG>(0, 4);
        bounds[d].lLbound = in_.ConsumeBool() ? in_.ConsumeIntegralInRange<LONG>(-3, 3) : in_.ConsumeIntegral<LONG>();
        total *= bounds[d].cElements;
    }
    SAFEARRAY* array = SafeArrayCreate(vt, dims, bounds);
    if (!array) return nullptr;
    // Fill some elements through the data pointer, each with a value of the element type.
    void* data = nullptr;
    if (total > 0 && depth < 3 && SUCCEEDED(SafeArrayAccessData(array, &data))) {
        const std::size_t filled = in_.ConsumeIntegralInRange<std::size_t>(0, total);
        for (std::size_t i = 0; i < filled; ++i) {
            auto* element = static_cast<unsigned char*>(data) + i * array->cbElements;
            if (vt == VT_VARIANT) {
                VARIANT value = make(depth + 1);
                VARIANT copy;
                VariantInit(&copy);
                if (SUCCEEDED(VariantCopy(&copy, &value))) std::memcpy(element, &copy, sizeof copy);
            } else if (vt == VT_BSTR) {
                BSTR s = make_text().detach();
                std::memcpy(element, &s, sizeof s);
            } else if (vt == VT_DISPATCH || vt == VT_UNKNOWN) {
                // The element takes over the reference the made value holds.
                VARIANT value = make_plain(VT_DISPATCH, depth + 1);
                std::memcpy(element, &value.pdispVal, sizeof value.pdispVal);
            } else {
                const std::vector<std::uint8_t> bytes = in_.ConsumeBytes<std::uint8_t>(array->cbElements);
                if (!bytes.empty()) std::memcpy(element, bytes.data(), bytes.size());
            }
        }
        SafeArrayUnaccessData(array);
    }
    if (in_.ConsumeIntegralInRange(0, 15) == 0 && SUCCEEDED(SafeArrayLock(array))) locked_.push_back(array);
    return array;
}

VARIANT Values::make_plain(VARTYPE vt, int depth) {
    VARIANT v;
    std::memset(&v, 0, sizeof v);
    switch (vt) {
    case VT_BSTR:
        // A null string is the empty string.
        v.bstrVal = in_.ConsumeIntegralInRange(0, 7) == 0 ? nullptr : make_text().detach();
        break;
    case VT_DISPATCH:
    case VT_UNKNOWN: {
        const int pick = in_.ConsumeIntegralInRange(0, 3);
        IDispatch* object = nullptr;
        if (pick == 1 && !objects_.empty()) {
            object = objects_[in_.ConsumeIntegralInRange<std::size_t>(0, objects_.size() - 1)];
        } else if (pick >= 2) {
            VARIANT value = depth < 3 ? make(depth + 1) : VARIANT{};
            const HRESULT failure = in_.ConsumeIntegralInRange(0, 7) == 0 ? E_FAIL : S_OK;
            made_.push_back(MakeValueObject(value, failure));
            object = made_.back().get();
        }
        if (object) object->AddRef();
        v.pdispVal = object;
        break;
    }
    case VT_ERROR:
        v.scode = in_.ConsumeBool() ? DISP_E_PARAMNOTFOUND : in_.ConsumeIntegral<SCODE>();
        break;
    case VT_BOOL:
        v.boolVal = in_.ConsumeBool() ? VARIANT_TRUE : in_.ConsumeIntegral<VARIANT_BOOL>();
        break;
    case VT_DECIMAL: {
        const std::vector<std::uint8_t> bytes = in_.ConsumeBytes<std::uint8_t>(sizeof(DECIMAL));
        if (!bytes.empty()) std::memcpy(&v.decVal, bytes.data(), bytes.size());
        break;
    }
    case VT_R8: {
        static constexpr double kNumbers[] = {0.0, -0.0, 0.5, 1.5, 2.5, -2.5, 32767.5, 1e300, -1e-300,
                                              4294967295.5, 9.2233720368547758e18, __builtin_inf(), __builtin_nan("")};
        v.dblVal = in_.ConsumeBool() ? in_.PickValueInArray(kNumbers) : in_.ConsumeFloatingPoint<double>();
        break;
    }
    case VT_R4:
        v.fltVal = in_.ConsumeFloatingPoint<float>();
        break;
    default: {
        // Plain values and types without a payload of their own: raw bytes (no pointers).
        const VARTYPE base = vt & VT_TYPEMASK;
        const bool plain = !(vt & (VT_ARRAY | VT_BYREF | VT_VECTOR)) && base != VT_BSTR && base != VT_DISPATCH &&
                           base != VT_UNKNOWN && base != VT_RECORD && base != VT_VARIANT;
        if (plain) v.llVal = in_.ConsumeIntegral<LONGLONG>();
        break;
    }
    }
    v.vt = vt;
    return v;
}

VARIANT Values::make(int depth) {
    const VARTYPE vt = make_type();
    VARIANT v;
    std::memset(&v, 0, sizeof v);
    const VARTYPE base = vt & VT_TYPEMASK;
    if ((vt & VT_BYREF) && !(vt & (VT_VECTOR | VT_RESERVED))) {
        v.vt = vt;
        if (in_.ConsumeIntegralInRange(0, 5) == 0) {
            v.byref = nullptr;  // a reference that points nowhere
        } else if (base == VT_VARIANT && !(vt & VT_ARRAY)) {
            VARIANT& target = cell();
            const int pick = in_.ConsumeIntegralInRange(0, 7);
            if (pick == 0) {
                target.vt = VT_BYREF | VT_VARIANT;  // a variant that refers to itself
                target.pvarVal = &target;
            } else {
                target = depth < 3 ? make(depth + 1) : VARIANT{};
                // make() owns it already; the cell takes its own copy.
                VARIANT copy;
                VariantInit(&copy);
                if (FAILED(VariantCopy(&copy, &target))) VariantInit(&copy);
                target = copy;
            }
            v.pvarVal = &target;
        } else if (base == VT_DECIMAL && !(vt & VT_ARRAY)) {
            VARIANT& target = cell();
            v.pdecVal = &target.decVal;  // the cell stays VT_EMPTY once the decimal is read
        } else {
            VARIANT& target = cell();
            if (vt & VT_ARRAY) {
                target.vt = static_cast<VARTYPE>(VT_ARRAY | base);
                target.parray = in_.ConsumeBool() && depth < 3 ? make_array(base, depth) : nullptr;
            } else {
                target = make_plain(base, depth);
            }
            v.byref = &target.llVal;
        }
        owned_.push_back(v);
        return v;
    }
    if ((vt & VT_ARRAY) && !(vt & (VT_VECTOR | VT_RESERVED))) {
        v.vt = vt;
        v.parray = depth < 3 && in_.ConsumeIntegralInRange(0, 5) != 0 ? make_array(base, depth) : nullptr;
        owned_.push_back(v);
        return v;
    }
    v = make_plain(vt, depth);
    owned_.push_back(v);
    return v;
}

void Values::release() {
    for (SAFEARRAY* array : locked_) SafeArrayUnlock(array);
    locked_.clear();
    for (VARIANT& v : owned_) VariantClear(&v);
    owned_.clear();
    for (VARIANT& c : cells_) {
        // A cell's decimal lies over its type: such a cell holds nothing to free.
        if (c.vt == (VT_BYREF | VT_VARIANT)) continue;
        VariantClear(&c);
    }
    cells_.clear();
    made_.clear();
    objects_.clear();
}

}  // namespace pg_fuzz
