#include <gtest/gtest.h>

#include <comrt/oleauto.h>

#include <cstring>
#include <string>

#include <testing/dispatch_stub.h>

namespace {

using Counted = pg_testing::PlainDispatch;
using pg_testing::refs;

VARIANT variant_of(VARTYPE vt, void* value = nullptr) {
    VARIANT v;
    std::memset(&v, 0, sizeof v);
    v.vt = vt;
    v.byref = value;
    return v;
}

VARIANT holding(IUnknown* p) {
    p->AddRef();
    return variant_of(VT_UNKNOWN, p);
}

bool same_bytes(const VARIANT& a, const VARIANT& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

TEST(VariantClear, AcceptsEveryValidTypeAndLeavesInvalidOnesUnchanged) {
    for (VARTYPE base = VT_EMPTY; base <= VT_UINT; ++base) {
        for (VARTYPE form : {VARTYPE{0}, VARTYPE{VT_ARRAY}, VARTYPE{VT_BYREF}, VARTYPE{VT_ARRAY | VT_BYREF}}) {
            const VARTYPE vt = base | form;
            const bool valid = base != 15 && (base > VT_NULL || form == 0) && (base != VT_VARIANT || form != 0);
            VARIANT v = variant_of(vt);  // null pointers: nothing to free
            const VARIANT before = v;
            EXPECT_EQ(VariantClear(&v), valid ? S_OK : DISP_E_BADVARTYPE) << "vt 0x" << std::hex << vt;
            EXPECT_TRUE(valid ? v.vt == VT_EMPTY : same_bytes(v, before)) << "vt 0x" << std::hex << vt;
        }
    }
    for (VARTYPE vt : {VARTYPE{VT_VOID}, VARTYPE{VT_RECORD}, VARTYPE{VT_VECTOR | VT_I4}, VARTYPE{0x0FFF}}) {
        VARIANT v = variant_of(vt);
        EXPECT_EQ(VariantClear(&v), DISP_E_BADVARTYPE) << "vt 0x" << std::hex << vt;
    }
    EXPECT_EQ(VariantClear(nullptr), E_INVALIDARG);
}

TEST(VariantClear, ReleasesWhatItOwnsOnceAndNothingByReference) {
    auto obj = comrt::make<Counted>();
    IUnknown* p = obj.get();
    VARIANT v = holding(p);
    v.vt = VT_DISPATCH;
    EXPECT_EQ(VariantClear(&v), S_OK);
    EXPECT_EQ(VariantClear(&v), S_OK);  // now empty: releases nothing more
    EXPECT_EQ(refs(p), 1u);

    VARIANT array = variant_of(VT_ARRAY | VT_UNKNOWN, SafeArrayCreateVector(VT_UNKNOWN, 0, 2));
    LONG at = 1;
    ASSERT_EQ(SafeArrayPutElement(array.parray, &at, p), S_OK);
    EXPECT_EQ(VariantClear(&array), S_OK);
    EXPECT_EQ(refs(p), 1u);
    VARIANT owned = variant_of(VT_BSTR, SysAllocString(u"freed by the clear"));
    EXPECT_EQ(VariantClear(&owned), S_OK);

    BSTR text = SysAllocString(u"not owned");
    VARIANT by_ref = variant_of(VT_BYREF | VT_BSTR, &text);
    EXPECT_EQ(VariantClear(&by_ref), S_OK);
    by_ref = variant_of(VT_BYREF | VT_UNKNOWN, &p);
    EXPECT_EQ(VariantClear(&by_ref), S_OK);
    EXPECT_EQ(std::u16string(text), u"not owned");
    EXPECT_EQ(refs(p), 1u);
    SysFreeString(text);

    VARIANT locked = variant_of(VT_ARRAY | VT_I4, SafeArrayCreateVector(VT_I4, 0, 1));
    ASSERT_EQ(SafeArrayLock(locked.parray), S_OK);
    const VARIANT before = locked;
    EXPECT_EQ(VariantClear(&locked), DISP_E_ARRAYISLOCKED);
    EXPECT_TRUE(same_bytes(locked, before));
    SafeArrayUnlock(locked.parray);
    EXPECT_EQ(VariantClear(&locked), S_OK);
}

TEST(VariantCopy, DeepCopiesOwnedValuesAndLeavesTheSourceAlone) {
    auto obj = comrt::make<Counted>();
    LONG target = 7;
    VARIANT text = variant_of(VT_BSTR, SysAllocStringByteLen("odd", 3));
    VARIANT array = variant_of(VT_ARRAY | VT_I4, SafeArrayCreateVector(VT_I4, 2, 1));
    VARIANT object = holding(obj.get()), by_ref = variant_of(VT_BYREF | VT_I4, &target);
    for (VARIANT* src : {&text, &array, &object, &by_ref}) {
        const VARIANT before = *src;
        VARIANT dest = variant_of(VT_EMPTY);
        ASSERT_EQ(VariantCopy(&dest, src), S_OK) << "vt " << src->vt;
        EXPECT_TRUE(same_bytes(*src, before)) << "vt " << src->vt;
        EXPECT_EQ(dest.vt, src->vt);
        // Strings and arrays are new; an interface or a reference is the same pointer.
        EXPECT_EQ(dest.byref == src->byref, src == &object || src == &by_ref) << "vt " << src->vt;
        if (src == &text) {
            EXPECT_EQ(std::string(reinterpret_cast<char*>(dest.bstrVal), SysStringByteLen(dest.bstrVal)), "odd");
        }
        if (src == &object) {
            EXPECT_EQ(refs(obj.get()), 3u);
        }
        EXPECT_EQ(VariantClear(&dest), S_OK);
    }
    EXPECT_EQ(refs(obj.get()), 2u);
    for (VARIANT* v : {&text, &array, &object}) VariantClear(v);

    // A null string copies as a new empty one, as the platform copies it, directly and
    // through a reference.
    BSTR none = nullptr;
    VARIANT null_text = variant_of(VT_BSTR), null_ref = variant_of(VT_BYREF | VT_BSTR, &none);
    for (VARIANT* src : {&null_text, &null_ref}) {
        VARIANT dest = variant_of(VT_EMPTY);
        ASSERT_EQ(src == &null_ref ? VariantCopyInd(&dest, src) : VariantCopy(&dest, src), S_OK);
        EXPECT_EQ(dest.vt, VT_BSTR);
        EXPECT_NE(dest.bstrVal, nullptr);
        EXPECT_EQ(SysStringLen(dest.bstrVal), 0u);
        VariantClear(&dest);
    }
}

TEST(VariantCopy, ReleasesTheOldValueOnceOrLeavesTheDestinationAsItWas) {
    auto obj = comrt::make<Counted>();
    IUnknown* p = obj.get();
    VARIANT dest = holding(p), number = variant_of(VT_I4);
    ASSERT_EQ(VariantCopy(&dest, &number), S_OK);
    EXPECT_EQ(refs(p), 1u);

    dest = holding(p);
    EXPECT_EQ(VariantCopy(&dest, &dest), S_OK);  // onto itself: nothing happens
    VARIANT bad = variant_of(15);
    EXPECT_EQ(VariantCopy(&dest, &bad), DISP_E_BADVARTYPE);
    EXPECT_EQ(VariantCopy(&dest, nullptr), E_INVALIDARG);
    EXPECT_EQ(dest.punkVal, p);
    EXPECT_EQ(refs(p), 2u);

    VARIANT locked = variant_of(VT_ARRAY | VT_I4, SafeArrayCreateVector(VT_I4, 0, 1));
    SafeArrayLock(locked.parray);
    EXPECT_EQ(VariantCopy(&locked, &dest), DISP_E_ARRAYISLOCKED);
    EXPECT_EQ(locked.vt, VT_ARRAY | VT_I4);
    EXPECT_EQ(refs(p), 2u);  // the copy's reference was given back
    SafeArrayUnlock(locked.parray);
    VariantClear(&locked);
    VariantClear(&dest);

    // A source inside what the destination owns is copied before the destination is cleared.
    dest = variant_of(VT_ARRAY | VT_VARIANT, SafeArrayCreateVector(VT_VARIANT, 0, 1));
    auto* element = static_cast<VARIANT*>(dest.parray->pvData);
    *element = variant_of(VT_BSTR, SysAllocString(u"inside"));
    ASSERT_EQ(VariantCopy(&dest, element), S_OK);
    EXPECT_EQ(std::u16string(dest.bstrVal), u"inside");
    VariantClear(&dest);
}

TEST(VariantCopyInd, DereferencesToAValueCopy) {
    SHORT i2 = -2;
    DOUBLE r8 = 2.5;
    DECIMAL dec{};
    dec.Lo64 = 99;
    dec.scale = 2;
    BSTR text = SysAllocString(u"deep");
    auto obj = comrt::make<Counted>();
    IUnknown* punk = obj.get();
    VARIANT src[] = {variant_of(VT_BYREF | VT_I2, &i2), variant_of(VT_BYREF | VT_R8, &r8),
                     variant_of(VT_BYREF | VT_DECIMAL, &dec), variant_of(VT_BYREF | VT_BSTR, &text),
                     variant_of(VT_BYREF | VT_UNKNOWN, &punk)};
    VARIANT dest = variant_of(VT_EMPTY);
    for (const VARIANT& s : src) {
        ASSERT_EQ(VariantCopyInd(&dest, &s), S_OK) << "vt " << s.vt;
        EXPECT_EQ(dest.vt, s.vt & ~VT_BYREF);
    }
    EXPECT_EQ(dest.punkVal, punk);
    EXPECT_EQ(refs(punk), 2u);
    ASSERT_EQ(VariantCopyInd(&dest, &src[0]), S_OK);
    EXPECT_EQ(dest.iVal, -2);
    EXPECT_EQ(refs(punk), 1u);
    ASSERT_EQ(VariantCopyInd(&dest, &src[2]), S_OK);
    EXPECT_EQ(dest.decVal.Lo64, 99u);
    EXPECT_EQ(dest.decVal.scale, 2);
    ASSERT_EQ(VariantCopyInd(&dest, &src[3]), S_OK);
    EXPECT_NE(dest.bstrVal, text);
    EXPECT_EQ(std::u16string(dest.bstrVal), u"deep");

    VARIANT null_ref = variant_of(VT_BYREF | VT_I4);
    EXPECT_EQ(VariantCopyInd(&dest, &null_ref), E_INVALIDARG);
    EXPECT_EQ(dest.vt, VT_BSTR);
    VariantClear(&dest);
    SysFreeString(text);
}

TEST(VariantCopyInd, FollowsAReferencedVariantOneLevelFurtherAtMost) {
    LONG number = 7;
    VARIANT inner = variant_of(VT_BYREF | VT_I4, &number), outer = variant_of(VT_BYREF | VT_VARIANT, &inner);
    VARIANT dest = variant_of(VT_EMPTY);
    ASSERT_EQ(VariantCopyInd(&dest, &outer), S_OK);
    EXPECT_EQ(dest.vt, VT_I4);
    EXPECT_EQ(dest.lVal, 7);

    VARIANT twice = variant_of(VT_BYREF | VT_VARIANT, &outer);  // refers to a variant again
    EXPECT_EQ(VariantCopyInd(&dest, &twice), E_INVALIDARG);
    EXPECT_EQ(dest.lVal, 7);

    ASSERT_EQ(VariantCopyInd(&inner, &inner), S_OK);  // in place
    EXPECT_EQ(inner.vt, VT_I4);
    EXPECT_EQ(inner.lVal, 7);
}

}  // namespace
