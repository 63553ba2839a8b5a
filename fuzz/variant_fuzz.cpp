// Fuzz target: variant conversion and copying (VariantChangeType, VariantChangeTypeEx,
// VariantCopy, VariantCopyInd, VariantClear) over every pair of types, valid or not,
// with values of every kind (values.h).
//
// Checked after each call:
//   - a failure leaves the destination exactly as it was;
//   - a success gives the type asked for, and a destination that VariantClear frees;
//   - the source is never changed (its bits, its string's text, what it refers to);
//   - a whole number converted to text and back is the same number;
//   - a copy is equal to its source (same type, same text or value).
// Leaks are LeakSanitizer's: everything the input made is freed after each run.
#include <cstdlib>
#include <cstring>

#include <comrt/resource.h>

#include "support/check.h"
#include "support/values.h"

namespace {

using pg_fuzz::Values;

// A variant's own bits, and the text of its string, as seen before a call.
struct Snapshot {
    explicit Snapshot(const VARIANT& v) : bits(v) {
        if (v.vt == VT_BSTR) text.assign(comrt::Bstr::view_of(v.bstrVal));
    }
    bool same_as(const VARIANT& v) const {
        if (std::memcmp(&bits, &v, sizeof v) != 0) return false;
        return v.vt != VT_BSTR || comrt::Bstr::view_of(v.bstrVal) == text;
    }
    VARIANT bits;
    std::u16string text;
};

bool is_whole_number(VARTYPE vt) { return vt == VT_I2 || vt == VT_I4 || vt == VT_UI1 || vt == VT_UI2 || vt == VT_UI4; }

// The value of a whole-number variant.
long long whole(const VARIANT& v) {
    switch (v.vt) {
    case VT_I2: return v.iVal;
    case VT_I4: return v.lVal;
    case VT_UI1: return v.bVal;
    case VT_UI2: return v.uiVal;
    default: return v.ulVal;
    }
}

void change_type(FuzzedDataProvider& in, Values& values) {
    const VARIANT source = values.make();
    const Snapshot source_before(source);
    const VARTYPE target = values.make_type();
    const USHORT flags = in.ConsumeIntegral<USHORT>();
    const bool in_place = in.ConsumeIntegralInRange(0, 3) == 0;

    // The destination holds a value of its own (a copy, so that it may be freed).
    comrt::Variant dest;
    if (in_place) {
        if (FAILED(VariantCopy(dest.get(), &source))) return;
    } else {
        const VARIANT initial = values.make();
        if (FAILED(VariantCopy(dest.get(), &initial))) return;
    }
    const Snapshot dest_before(*dest.get());
    const VARIANT* from = in_place ? dest.get() : &source;
    const HRESULT hr = in.ConsumeBool() ? VariantChangeType(dest.get(), from, flags, target)
                                        : VariantChangeTypeEx(dest.get(), from, in.ConsumeIntegral<LCID>(), flags, target);
    PG_FUZZ_CHECK(source_before.same_as(source), "the source changed");
    if (FAILED(hr)) {
        PG_FUZZ_CHECK(dest_before.same_as(*dest.get()), "a failed conversion changed the destination");
        return;
    }
    PG_FUZZ_CHECK(dest.vt() == target, "a conversion gave another type than asked for");

    // Whole numbers survive a trip through text.
    if (is_whole_number(target)) {
        comrt::Variant text, back;
        PG_FUZZ_CHECK(SUCCEEDED(VariantChangeType(text.get(), dest.get(), 0, VT_BSTR)), "a whole number has no text");
        PG_FUZZ_CHECK(SUCCEEDED(VariantChangeType(back.get(), text.get(), 0, target)), "a number's text does not read back");
        PG_FUZZ_CHECK(whole(*back.get()) == whole(*dest.get()), "a whole number changed through text");
    }
    PG_FUZZ_CHECK(SUCCEEDED(VariantClear(dest.get())), "a converted value cannot be cleared");
}

void copy(FuzzedDataProvider& in, Values& values) {
    const VARIANT source = values.make();
    const Snapshot source_before(source);
    comrt::Variant dest;
    const VARIANT initial = values.make();
    if (FAILED(VariantCopy(dest.get(), &initial))) return;
    const Snapshot dest_before(*dest.get());
    const bool indirect = in.ConsumeBool();
    const HRESULT hr = indirect ? VariantCopyInd(dest.get(), &source) : VariantCopy(dest.get(), &source);
    PG_FUZZ_CHECK(source_before.same_as(source), "the source of a copy changed");
    if (FAILED(hr)) {
        PG_FUZZ_CHECK(dest_before.same_as(*dest.get()), "a failed copy changed the destination");
        return;
    }
    if (!indirect || !(source.vt & VT_BYREF)) {
        PG_FUZZ_CHECK(dest.vt() == source.vt, "a copy has another type");
        if (source.vt == VT_BSTR)
            PG_FUZZ_CHECK(comrt::Bstr::view_of(dest->bstrVal) == comrt::Bstr::view_of(source.bstrVal),
                          "a copied string has another text");
    } else {
        PG_FUZZ_CHECK(!(dest.vt() & VT_BYREF), "an indirect copy is still a reference");
    }
    PG_FUZZ_CHECK(SUCCEEDED(VariantClear(dest.get())), "a copy cannot be cleared");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    Values values(in);
    for (int step = 0; step < 8 && in.remaining_bytes() > 0; ++step) {
        if (in.ConsumeIntegralInRange(0, 3) == 0)
            copy(in, values);
        else
            change_type(in, values);
    }
    return 0;
}
