#include <gtest/gtest.h>

#include <comrt/oleauto.h>
#include <comrt/resource.h>

#include <cstring>
#include <utility>
#include <string>
#include <vector>

#include <testing/dispatch_stub.h>

namespace {

using comrt::SafeArrayPtr;
using Counted = pg_testing::PlainDispatch;
using pg_testing::refs;

template <typename T>
T poison() {
    return reinterpret_cast<T>(std::uintptr_t{0xDEADBEEF0});
}

TEST(SafeArrayCreate, RecordsTheTypeBeforeTheDescriptorAndRejectsWhatItCannotHold) {
    SafeArrayPtr strings(SafeArrayCreateVector(VT_BSTR, 0, 1)), objects(SafeArrayCreateVector(VT_DISPATCH, 0, 1));
    DWORD stored = 0;
    std::memcpy(&stored, reinterpret_cast<const char*>(strings.get()) - 4, 4);
    EXPECT_EQ(stored, VT_BSTR);
    EXPECT_EQ(strings.get()->fFeatures, FADF_BSTR | FADF_HAVEVARTYPE);
    EXPECT_EQ(objects.get()->fFeatures, FADF_DISPATCH | FADF_HAVEIID);
    VARTYPE vt = VT_EMPTY;
    EXPECT_EQ(SafeArrayGetVartype(objects.get(), &vt), S_OK);
    EXPECT_EQ(vt, VT_DISPATCH);

    for (VARTYPE bad : {VARTYPE{VT_EMPTY}, VARTYPE{VT_NULL}, VARTYPE{15}, VARTYPE{VT_RECORD}, VARTYPE{VT_I4 | VT_BYREF}})
        EXPECT_EQ(SafeArrayCreateVector(bad, 0, 1), nullptr) << "vt " << bad;
    SAFEARRAYBOUND one{1, 0};
    EXPECT_EQ(SafeArrayCreate(VT_I4, 0, &one), nullptr);
    EXPECT_EQ(SafeArrayCreateVector(VT_I4, INT32_MAX, 2), nullptr);  // upper bound past LONG
    SAFEARRAYBOUND huge[3] = {{UINT32_MAX, INT32_MIN}, {UINT32_MAX, INT32_MIN}, {UINT32_MAX, INT32_MIN}};
    EXPECT_EQ(SafeArrayCreate(VT_VARIANT, 3, huge), nullptr);  // the size overflows
}

// What a caller may ask for: data larger than a 32-bit size is refused before anything
// is allocated, and a dimension without elements makes an empty array whatever the other
// dimensions hold, in whichever order they come.
TEST(SafeArrayCreate, SizesAreCheckedBeforeAllocating) {
    const struct {
        const char* name;
        VARTYPE vt;
        std::vector<SAFEARRAYBOUND> bounds;
        bool created;
    } rows[] = {
        {"4 GiB of variants", VT_VARIANT, {{1u << 28, 0}}, false},
        {"just above 4 GiB of bytes", VT_UI1, {{65536, 0}, {65537, 0}}, false},
        {"empty first", VT_VARIANT, {{0, 0}, {UINT32_MAX, INT32_MIN}, {UINT32_MAX, INT32_MIN}}, true},
        {"empty last", VT_VARIANT, {{UINT32_MAX, INT32_MIN}, {UINT32_MAX, INT32_MIN}, {0, 5}}, true},
        {"empty in the middle", VT_BSTR, {{70000, 0}, {0, 0}, {70000, 0}}, true},
        {"an empty dimension does not excuse a bound past LONG", VT_I4, {{0, 0}, {2, INT32_MAX}}, false},
    };
    for (const auto& row : rows) {
        SafeArrayPtr sa(SafeArrayCreate(row.vt, static_cast<UINT>(row.bounds.size()),
                                        const_cast<SAFEARRAYBOUND*>(row.bounds.data())));
        EXPECT_EQ(sa.get() != nullptr, row.created) << row.name;
        if (!sa) continue;
        SafeArrayPtr copy;
        EXPECT_EQ(SafeArrayCopy(sa.get(), copy.put()), S_OK) << row.name << ": an empty array copies";
    }
}

TEST(SafeArrayBounds, LastDimensionStoredFirstLeftmostIndexFastestInMemory) {
    // Leftmost first: [-1..0] x [5..7] x [0..3].
    SAFEARRAYBOUND given[3] = {{2, -1}, {3, 5}, {4, 0}};
    SafeArrayPtr sa(SafeArrayCreate(VT_I4, 3, given));
    ASSERT_TRUE(sa);
    const SAFEARRAYBOUND* stored = sa.get()->rgsabound;
    for (UINT d = 0; d < 3; ++d) {
        LONG lower = 99, upper = 99;
        EXPECT_EQ(SafeArrayGetLBound(sa.get(), d + 1, &lower), S_OK);
        EXPECT_EQ(SafeArrayGetUBound(sa.get(), d + 1, &upper), S_OK);
        EXPECT_EQ(lower, given[d].lLbound) << "dimension " << d + 1;
        EXPECT_EQ(upper, given[d].lLbound + static_cast<LONG>(given[d].cElements) - 1) << "dimension " << d + 1;
        EXPECT_EQ(stored[2 - d].lLbound, given[d].lLbound) << "dimension " << d + 1;
    }
    LONG out = 99;
    EXPECT_EQ(SafeArrayGetLBound(sa.get(), 0, &out), DISP_E_BADINDEX);
    EXPECT_EQ(SafeArrayGetUBound(sa.get(), 4, &out), DISP_E_BADINDEX);
    EXPECT_EQ(out, 99);

    for (LONG k = 0; k <= 3; ++k)
        for (LONG j = 5; j <= 7; ++j)
            for (LONG i = -1; i <= 0; ++i) {
                LONG at[3] = {i, j, k}, value = 100 * i + 10 * j + k;
                ASSERT_EQ(SafeArrayPutElement(sa.get(), at, &value), S_OK) << i << "," << j << "," << k;
            }
    const LONG* data = static_cast<const LONG*>(sa.get()->pvData);
    for (LONG k = 0, n = 0; k <= 3; ++k)
        for (LONG j = 5; j <= 7; ++j)
            for (LONG i = -1; i <= 0; ++i, ++n) EXPECT_EQ(data[n], 100 * i + 10 * j + k) << "memory slot " << n;

    for (int d = 0; d < 3; ++d) {
        const LONG past = given[d].lLbound + static_cast<LONG>(given[d].cElements);
        for (LONG bad : {given[d].lLbound - 1, past, INT32_MIN, INT32_MAX}) {
            LONG at[3] = {-1, 5, 0}, value = 99;
            at[d] = bad;
            EXPECT_EQ(SafeArrayGetElement(sa.get(), at, &value), DISP_E_BADINDEX) << "dimension " << d + 1 << ": " << bad;
            EXPECT_EQ(SafeArrayPutElement(sa.get(), at, &value), DISP_E_BADINDEX) << "dimension " << d + 1 << ": " << bad;
            EXPECT_EQ(value, 99);
        }
    }
}

TEST(SafeArrayBounds, EmptyDimensionsAndNegativeLowerBounds) {
    SafeArrayPtr empty(SafeArrayCreateVector(VT_BSTR, 0, 0)), copy;
    LONG upper = 99, at = 0;
    ASSERT_EQ(SafeArrayCopy(empty.get(), copy.put()), S_OK);
    EXPECT_EQ(SafeArrayGetUBound(copy.get(), 1, &upper), S_OK);
    EXPECT_EQ(upper, -1);
    BSTR out = poison<BSTR>();
    EXPECT_EQ(SafeArrayGetElement(empty.get(), &at, &out), DISP_E_BADINDEX);
    EXPECT_EQ(out, poison<BSTR>());

    SafeArrayPtr vec(SafeArrayCreateVector(VT_I2, -3, 4));
    for (LONG i : {LONG{-3}, LONG{0}}) {
        SHORT in = static_cast<SHORT>(i - 10), got = 0;
        ASSERT_EQ(SafeArrayPutElement(vec.get(), &i, &in), S_OK) << i;
        ASSERT_EQ(SafeArrayGetElement(vec.get(), &i, &got), S_OK) << i;
        EXPECT_EQ(got, in);
    }
    EXPECT_EQ(static_cast<const SHORT*>(vec.get()->pvData)[3], -10);
    for (LONG i : {LONG{-4}, LONG{1}}) EXPECT_EQ(SafeArrayGetElement(vec.get(), &i, &at), DISP_E_BADINDEX) << i;
}

TEST(SafeArrayElements, StringsAndVariantsAreCopiedInAndOut) {
    SafeArrayPtr strings(SafeArrayCreateVector(VT_BSTR, 1, 1));
    BSTR* slot = static_cast<BSTR*>(strings.get()->pvData);
    LONG at = 1;
    BSTR odd = SysAllocStringByteLen("abc", 3);
    ASSERT_EQ(SafeArrayPutElement(strings.get(), &at, odd), S_OK);  // the BSTR itself, not its address
    EXPECT_NE(*slot, odd);
    SysFreeString(odd);
    BSTR out = poison<BSTR>();  // an output: overwritten, not freed
    ASSERT_EQ(SafeArrayGetElement(strings.get(), &at, &out), S_OK);
    EXPECT_NE(out, *slot);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(out), SysStringByteLen(out)), "abc");
    SysFreeString(out);
    ASSERT_EQ(SafeArrayPutElement(strings.get(), &at, *slot), S_OK);  // its own string: copied before freed
    EXPECT_EQ(std::memcmp(*slot, "abc", 3), 0);
    // A null string is stored as an empty one, as the platform stores it; an element that
    // holds null is read as null.
    ASSERT_EQ(SafeArrayPutElement(strings.get(), &at, nullptr), S_OK);
    ASSERT_NE(*slot, nullptr);
    EXPECT_EQ(SysStringLen(*slot), 0u);
    SysFreeString(std::exchange(*slot, nullptr));
    ASSERT_EQ(SafeArrayGetElement(strings.get(), &at, &out), S_OK);
    EXPECT_EQ(out, nullptr);

    SafeArrayPtr variants(SafeArrayCreateVector(VT_VARIANT, 0, 1));
    VARIANT in;
    in.vt = VT_BSTR;
    in.bstrVal = SysAllocString(u"text");
    at = 0;
    ASSERT_EQ(SafeArrayPutElement(variants.get(), &at, &in), S_OK);
    VariantClear(&in);
    VARIANT got;
    std::memset(&got, 0xCC, sizeof got);  // garbage: overwritten, never cleared
    ASSERT_EQ(SafeArrayGetElement(variants.get(), &at, &got), S_OK);
    EXPECT_NE(got.bstrVal, static_cast<const VARIANT*>(variants.get()->pvData)->bstrVal);
    EXPECT_EQ(std::u16string(got.bstrVal), u"text");
    VariantClear(&got);
    EXPECT_EQ(SafeArrayPutElement(variants.get(), &at, nullptr), E_INVALIDARG);
}

TEST(SafeArrayElements, InterfaceReferencesAreCountedExactly) {
    for (VARTYPE vt : {VARTYPE{VT_UNKNOWN}, VARTYPE{VT_DISPATCH}}) {
        auto obj = comrt::make<Counted>();
        IDispatch* p = obj.get();
        SAFEARRAY* psa = SafeArrayCreateVector(vt, 0, 2);
        LONG first = 0, second = 1;
        ASSERT_EQ(SafeArrayPutElement(psa, &first, p), S_OK);
        ASSERT_EQ(SafeArrayPutElement(psa, &first, p), S_OK);  // replaces its own reference
        ASSERT_EQ(SafeArrayPutElement(psa, &second, p), S_OK);
        EXPECT_EQ(refs(p), 3u) << "vt " << vt;
        IUnknown* out = nullptr;
        ASSERT_EQ(SafeArrayGetElement(psa, &second, &out), S_OK);
        EXPECT_EQ(refs(p), 4u) << "vt " << vt;
        out->Release();
        SAFEARRAY* copy = nullptr;
        ASSERT_EQ(SafeArrayCopy(psa, &copy), S_OK);
        EXPECT_EQ(refs(p), 5u) << "vt " << vt;
        EXPECT_EQ(SafeArrayDestroy(copy), S_OK);
        ASSERT_EQ(SafeArrayPutElement(psa, &first, nullptr), S_OK);
        EXPECT_EQ(refs(p), 2u) << "vt " << vt;
        EXPECT_EQ(SafeArrayDestroy(psa), S_OK);
        EXPECT_EQ(refs(p), 1u) << "vt " << vt;
    }
}

TEST(SafeArrayLocks, AccessLocksAndALockedArrayIsNotDestroyed) {
    SAFEARRAY* psa = SafeArrayCreateVector(VT_BSTR, 0, 1);
    void* data = nullptr;
    ASSERT_EQ(SafeArrayAccessData(psa, &data), S_OK);
    EXPECT_EQ(data, psa->pvData);
    EXPECT_EQ(SafeArrayLock(psa), S_OK);
    EXPECT_EQ(psa->cLocks, 2u);
    EXPECT_EQ(SafeArrayDestroy(psa), DISP_E_ARRAYISLOCKED);
    LONG at = 0;  // still whole, and writable while locked
    EXPECT_EQ(SafeArrayPutElement(psa, &at, nullptr), S_OK);
    EXPECT_EQ(SafeArrayUnlock(psa), S_OK);
    EXPECT_EQ(SafeArrayUnaccessData(psa), S_OK);
    EXPECT_EQ(SafeArrayUnlock(psa), E_UNEXPECTED);
    EXPECT_EQ(psa->cLocks, 0u);

    for (ULONG n = 0; n < 0xFFFF; ++n) ASSERT_EQ(SafeArrayLock(psa), S_OK) << n;
    EXPECT_EQ(SafeArrayAccessData(psa, &data), E_UNEXPECTED);  // the count is at its limit
    EXPECT_EQ(data, nullptr);
    for (ULONG n = 0; n < 0xFFFF; ++n) ASSERT_EQ(SafeArrayUnlock(psa), S_OK) << n;
    EXPECT_EQ(SafeArrayDestroy(psa), S_OK);
}

TEST(SafeArrayArguments, NullsFailAndPointerOutputsComeBackNull) {
    SafeArrayPtr sa(SafeArrayCreateVector(VT_I4, 0, 1));
    LONG at = 0, value = 0;
    EXPECT_EQ(SafeArrayDestroy(nullptr), S_OK);
    EXPECT_EQ(SafeArrayGetElement(sa.get(), &at, nullptr), E_INVALIDARG);
    EXPECT_EQ(SafeArrayPutElement(sa.get(), nullptr, &value), E_INVALIDARG);
    SAFEARRAY* out = poison<SAFEARRAY*>();
    EXPECT_EQ(SafeArrayCopy(nullptr, &out), S_OK);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(SafeArrayCopy(sa.get(), nullptr), E_INVALIDARG);
    void* data = poison<void*>();
    EXPECT_EQ(SafeArrayAccessData(nullptr, &data), E_INVALIDARG);
    EXPECT_EQ(data, nullptr);
    EXPECT_EQ(sa.get()->cLocks, 0u);
}

TEST(SafeArrayCopy, DeepCopiesALockedSourceAndLeavesItAsItWas) {
    auto obj = comrt::make<Counted>();
    SAFEARRAYBOUND bounds[2] = {{3, 1}, {1, -5}};
    SafeArrayPtr src(SafeArrayCreate(VT_VARIANT, 2, bounds));
    auto* from = static_cast<VARIANT*>(src.get()->pvData);
    from[0].vt = VT_BSTR;
    from[0].bstrVal = SysAllocString(u"s");
    from[1].vt = VT_ARRAY | VT_BSTR;
    from[1].parray = SafeArrayCreateVector(VT_BSTR, 0, 2);
    from[2].vt = VT_DISPATCH;
    from[2].pdispVal = obj.get();
    obj->AddRef();
    ASSERT_EQ(SafeArrayLock(src.get()), S_OK);
    std::vector<unsigned char> before(sizeof(SAFEARRAY) + 3 * sizeof(VARIANT));
    std::memcpy(before.data(), src.get(), sizeof(SAFEARRAY));
    std::memcpy(before.data() + sizeof(SAFEARRAY), from, 3 * sizeof(VARIANT));

    SAFEARRAY* copy = poison<SAFEARRAY*>();
    ASSERT_EQ(SafeArrayCopy(src.get(), &copy), S_OK);
    EXPECT_EQ(copy->cLocks, 0u);
    EXPECT_EQ(copy->fFeatures, src.get()->fFeatures);
    EXPECT_EQ(std::memcmp(copy->rgsabound, src.get()->rgsabound, 2 * sizeof(SAFEARRAYBOUND)), 0);
    const auto* to = static_cast<const VARIANT*>(copy->pvData);
    EXPECT_NE(to[0].bstrVal, from[0].bstrVal);
    EXPECT_EQ(std::u16string(to[0].bstrVal), u"s");
    EXPECT_NE(to[1].parray, from[1].parray);
    EXPECT_EQ(refs(obj.get()), 3u);
    EXPECT_EQ(std::memcmp(before.data(), src.get(), sizeof(SAFEARRAY)), 0);
    EXPECT_EQ(std::memcmp(before.data() + sizeof(SAFEARRAY), from, 3 * sizeof(VARIANT)), 0);
    EXPECT_EQ(SafeArrayDestroy(copy), S_OK);
    EXPECT_EQ(refs(obj.get()), 2u);
    EXPECT_EQ(SafeArrayUnlock(src.get()), S_OK);
}

TEST(SafeArrayCopy, FailureMidwayFreesWhatWasAlreadyCopied) {
    auto obj = comrt::make<Counted>();
    SafeArrayPtr src(SafeArrayCreateVector(VT_VARIANT, 0, 3));
    auto* from = static_cast<VARIANT*>(src.get()->pvData);
    from[0].vt = VT_BSTR;
    from[0].bstrVal = SysAllocString(u"copied before the failure");
    from[1].vt = VT_UNKNOWN;
    from[1].punkVal = obj.get();
    obj->AddRef();
    from[2].vt = 15;  // not a variant type: its copy fails
    SAFEARRAY* copy = poison<SAFEARRAY*>();
    EXPECT_EQ(SafeArrayCopy(src.get(), &copy), DISP_E_BADVARTYPE);
    EXPECT_EQ(copy, nullptr);
    EXPECT_EQ(refs(obj.get()), 2u);  // the partial copy's reference was given back
    from[2].vt = VT_EMPTY;
}

}  // namespace
