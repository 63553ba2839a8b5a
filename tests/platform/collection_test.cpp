#include <gtest/gtest.h>

#include <comrt/collection.h>
#include <comrt/com_ptr.h>
#include <comrt/error.h>
#include <comrt/oleauto.h>
#include <comrt/resource.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include <testing/dispatch_stub.h>
#include <testing/late_binding.h>
#include <testing/text.h>
#include <testing/unload_check.h>

namespace {

using comrt::Bstr;
using comrt::ComPtr;
using comrt::Variant;
namespace ds = pg_testing;

// An object owned by the test that counts its references; on_release runs on every
// Release, after the count has dropped.
class Probe final : public pg_testing::no_dispatch<IDispatch> {
public:
    ULONG refs() const { return refs_; }
    std::function<void()> on_release;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** ppv) noexcept override {
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() noexcept override { return ++refs_; }
    ULONG STDMETHODCALLTYPE Release() noexcept override {
        --refs_;
        if (on_release) on_release();
        return refs_;
    }

private:
    ULONG refs_ = 1;
};

// Owning variants: adopt a raw value made by the dispatch helpers.
Variant own(VARIANT raw) {
    Variant v;
    *v.get() = raw;
    return v;
}
Variant i4(LONG n) { return own(ds::I4(n)); }
// Borrows the probe: no reference of its own.
VARIANT borrowed(Probe& probe) {
    VARIANT v{};
    V_VT(&v) = VT_DISPATCH;
    V_DISPATCH(&v) = &probe;
    return v;
}

// Takes the pending error information's description; "<none>" when none is set.
std::string take_error_description() {
    ComPtr<IErrorInfo> info;
    if (GetErrorInfo(0, info.put()) != S_OK || !info) return "<none>";
    Bstr description;
    info->GetDescription(description.put());
    return ds::Utf8(description.view());
}

// Every element an enumerator still hands out, one Next(1) at a time.
std::vector<LONG> drain(IEnumVARIANT* e) {
    std::vector<LONG> out;
    VARIANT v;
    HRESULT hr;
    while ((hr = e->Next(1, &v, nullptr)) == S_OK && out.size() < 100) {
        out.push_back(V_VT(&v) == VT_I4 ? V_I4(&v) : -999);
        VariantClear(&v);
    }
    EXPECT_EQ(hr, S_FALSE);
    EXPECT_EQ(V_VT(&v), VT_EMPTY);
    return out;
}

class CollectionTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(comrt::create_collection(col.put()), S_OK); }
    void TearDown() override {
        col = nullptr;
        pg_testing::ExpectNothingAlive();
    }

    void add(VARIANT* item) { ASSERT_EQ(col->Add(item, nullptr, nullptr, nullptr), S_OK); }
    void add_numbers(std::initializer_list<LONG> values) {
        for (LONG n : values) add(i4(n).get());
    }
    LONG count() {
        LONG n = -1;
        EXPECT_EQ(col->Count(&n), S_OK);
        return n;
    }
    // Every element read by position, as a number (-999 for one that is not VT_I4).
    std::vector<LONG> numbers() {
        std::vector<LONG> out;
        for (LONG p = 1, n = count(); p <= n; ++p) {
            Variant element;
            EXPECT_EQ(col->Item(i4(p).get(), element.put()), S_OK) << "position " << p;
            out.push_back(element.vt() == VT_I4 ? V_I4(element.get()) : -999);
        }
        return out;
    }
    ComPtr<IEnumVARIANT> enumerator() {
        ComPtr<IUnknown> unknown;
        EXPECT_EQ(col->_NewEnum(unknown.put()), S_OK);
        return unknown.as<IEnumVARIANT>();
    }

    // Declared before the collection, so that they outlive it.
    Probe probe, other;
    ComPtr<_Collection> col;
};

// ---- order and positions -----------------------------------------------------------------

// Adds, and removals at the front, the back and in between, checked against a plain list.
TEST_F(CollectionTest, AddsAndRemovalsKeepOrderLikeAPlainList) {
    std::vector<LONG> model;
    std::uint32_t seed = 12345;
    auto next = [&seed] { return (seed = seed * 1103515245u + 12345u) >> 16; };
    for (LONG step = 0; step < 3000; ++step) {
        const auto choice = next() % 4;
        if (model.empty() || choice < 2) {
            add(i4(step).get());
            model.push_back(step);
        } else {
            const LONG position = choice == 2 ? 1 : static_cast<LONG>(next() % model.size()) + 1;
            ASSERT_EQ(col->Remove(i4(position).get()), S_OK) << "step " << step << " position " << position;
            model.erase(model.begin() + (position - 1));
        }
        if (step % 250 == 0) {
            ASSERT_EQ(numbers(), model) << "step " << step;
        }
    }
    EXPECT_EQ(numbers(), model);
}

TEST_F(CollectionTest, FrontRemovalOfAFullSixteenBitCountReleasesEveryElement) {
    constexpr LONG kCount = 32767;
    VARIANT object = borrowed(probe);
    for (LONG n = 1; n <= kCount; ++n) n % 2 ? add(i4(n).get()) : add(&object);
    EXPECT_EQ(probe.refs(), 1u + kCount / 2);
    Variant front = i4(1), element;
    for (LONG expected = 1; expected <= kCount; ++expected) {
        ASSERT_EQ(col->Item(front.get(), element.put()), S_OK) << expected;
        const LONG got = element.vt() == VT_I4 ? V_I4(element.get()) : element.vt() == VT_DISPATCH ? -2 : -999;
        ASSERT_EQ(got, expected % 2 ? expected : -2) << "front after " << expected - 1 << " removals";
        element.clear();
        ASSERT_EQ(col->Remove(front.get()), S_OK) << expected;
    }
    EXPECT_EQ(count(), 0);
    EXPECT_EQ(probe.refs(), 1u);
}

// ---- indexes -------------------------------------------------------------------------------

TEST_F(CollectionTest, IndexesOfEachKindForItemAndRemove) {
    static LONG two = 2;
    static VARIANT variant_two = ds::I2(2);
    static VARIANT key = ds::Text(u"2");  // lives for the whole run
    struct Row {
        const char* name;
        VARIANT index;   // copied freely: the row owns nothing
        LONG element;    // expected on success, 0 on failure
        int error;       // run-time error number, 0 on success
        const char* described;
    };
    const Row rows[] = {
        {"I4 1", ds::I4(1), 10, 0, ""},
        {"I4 Count", ds::I4(3), 30, 0, ""},
        {"I4 0", ds::I4(0), 0, 9, "Subscript out of range"},
        {"I4 Count+1", ds::I4(4), 0, 9, "Subscript out of range"},
        {"I4 -1", ds::I4(-1), 0, 9, "Subscript out of range"},
        {"EMPTY reads as 0", VARIANT{}, 0, 9, "Subscript out of range"},
        {"I2 2", ds::I2(2), 20, 0, ""},
        {"R8 2.0", ds::R8(2.0), 20, 0, ""},
        {"R8 2.6 rounds", ds::R8(2.6), 30, 0, ""},
        {"BYREF I4", ds::Ref(VT_I4, &two), 20, 0, ""},
        {"BYREF VARIANT", ds::Ref(VT_VARIANT, &variant_two), 20, 0, ""},
        {"R8 1e12", ds::R8(1e12), 0, 6, "Overflow"},
        {"BSTR \"2\" is a key", key, 0, 5, "Invalid procedure call or argument"},
        {"NULL", [] { VARIANT v{}; V_VT(&v) = VT_NULL; return v; }(), 0, 13, "Type mismatch"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const HRESULT expected_hr = row.error ? comrt::runtime_hresult(row.error) : S_OK;
        col = nullptr;
        ASSERT_EQ(comrt::create_collection(col.put()), S_OK);
        add_numbers({10, 20, 30});
        VARIANT index = row.index;

        VARIANT out;
        V_VT(&out) = VT_BSTR;  // poisoned: an [out] value is overwritten, never cleared
        EXPECT_EQ(col->Item(&index, &out), expected_hr);
        EXPECT_EQ(V_VT(&out), row.error ? VT_EMPTY : VT_I4);
        if (row.error) {
            EXPECT_EQ(take_error_description(), row.described);
        } else {
            EXPECT_EQ(V_I4(&out), row.element);
        }
        EXPECT_EQ(col->Remove(&index), expected_hr);
        std::vector<LONG> left{10, 20, 30};
        std::erase(left, row.element);
        EXPECT_EQ(numbers(), left);
    }
}

TEST_F(CollectionTest, NullPointersFail) {
    Variant out;
    EXPECT_EQ(col->Count(nullptr), E_POINTER);
    EXPECT_EQ(col->Item(nullptr, out.put()), E_POINTER);
    EXPECT_EQ(col->Item(i4(1).get(), nullptr), E_POINTER);
    EXPECT_EQ(col->Remove(nullptr), E_POINTER);
    EXPECT_EQ(col->Add(nullptr, nullptr, nullptr, nullptr), E_POINTER);
    EXPECT_EQ(col->_NewEnum(nullptr), E_POINTER);
    EXPECT_EQ(comrt::create_collection(nullptr), E_POINTER);
    ULONG viewed = 0;
    EXPECT_EQ(col.as<ICollectionElements>()->ViewElements(0, 1, nullptr, &viewed), E_POINTER);
    EXPECT_EQ(col.as<ICollectionElements>()->ViewElements(0, 0, nullptr, nullptr), E_POINTER);
}

// ---- keys and positions in Add -------------------------------------------------------------

TEST_F(CollectionTest, AddAcceptsOnlyMissingKeyBeforeAndAfter) {
    VARIANT object = borrowed(probe), absent = ds::Missing();
    ASSERT_EQ(col->Add(&object, &absent, nullptr, &absent), S_OK);
    struct Row {
        const char* name;
        int slot;  // 0 Key, 1 Before, 2 After
        std::function<VARIANT()> value;
    };
    const Row rows[] = {
        {"Key string", 0, [] { return ds::Text(u"k"); }},
        {"Key EMPTY", 0, [] { return VARIANT{}; }},
        {"Key other error code", 0, [] { VARIANT v = ds::Missing(); V_ERROR(&v) = E_FAIL; return v; }},
        {"Before 1", 1, [] { return ds::I4(1); }},
        {"After 1", 2, [] { return ds::I4(1); }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Variant given = own(row.value());
        VARIANT* args[3] = {&absent, nullptr, &absent};
        args[row.slot] = given.get();
        EXPECT_EQ(col->Add(&object, args[0], args[1], args[2]), HRESULT(0x800A0005));
        EXPECT_EQ(take_error_description(), "Invalid procedure call or argument");
        EXPECT_EQ(count(), 1);
        EXPECT_EQ(probe.refs(), 2u);
    }
}

// ---- references and copies -----------------------------------------------------------------

TEST_F(CollectionTest, EachElementHoldsOneReferenceReleasedOnce) {
    VARIANT va = borrowed(probe), vb = borrowed(other);
    add(&va);
    add(&vb);
    add(&va);
    EXPECT_EQ(probe.refs(), 3u);
    Variant out;
    ASSERT_EQ(col->Item(i4(2).get(), out.put()), S_OK);
    EXPECT_EQ(V_DISPATCH(out.get()), &other);
    EXPECT_EQ(other.refs(), 3u) << "Item hands out a new reference";
    out.clear();

    // Viewed in place: the elements themselves, no reference taken, up to the end.
    const VARIANT* views[4] = {};
    ULONG viewed = 99;
    ICollectionElements* const elements = col.as<ICollectionElements>().get();  // col holds it
    ASSERT_EQ(elements->ViewElements(1, 4, views, &viewed), S_OK);
    ASSERT_EQ(viewed, 2u);
    EXPECT_EQ(V_DISPATCH(views[0]), &other);
    EXPECT_EQ(V_DISPATCH(views[1]), &probe);
    EXPECT_EQ(other.refs(), 2u);
    EXPECT_EQ(probe.refs(), 3u);
    for (const ULONG first : {ULONG{3}, ULONG{0xFFFFFFFF}}) {
        ASSERT_EQ(elements->ViewElements(first, 4, views, &viewed), S_OK);
        EXPECT_EQ(viewed, 0u) << "from " << first;
    }

    std::vector<LONG> count_seen_on_release;
    probe.on_release = [&] { count_seen_on_release.push_back(count()); };
    ASSERT_EQ(col->Remove(i4(1).get()), S_OK);
    EXPECT_EQ(count_seen_on_release, (std::vector<LONG>{2})) << "released once, after the gap is closed";
    probe.on_release = nullptr;
    col = nullptr;
    EXPECT_EQ(probe.refs(), 1u) << "destruction releases every element";
    EXPECT_EQ(other.refs(), 1u);
}

TEST_F(CollectionTest, AddStoresACopyOfWhatAReferencePointsAt) {
    LONG number = 7;
    IDispatch* object = &probe;
    VARIANT by_number = ds::Ref(VT_I4, &number), by_object = ds::Ref(VT_DISPATCH, &object);
    add(&by_number);
    add(&by_object);
    number = 8;
    object = nullptr;
    EXPECT_EQ(probe.refs(), 2u);
    Variant out;
    ASSERT_EQ(col->Item(i4(2).get(), out.put()), S_OK);
    EXPECT_EQ(out.vt(), VT_DISPATCH);
    EXPECT_EQ(V_DISPATCH(out.get()), &probe);
    out.clear();
    EXPECT_EQ(numbers(), (std::vector<LONG>{7, -999}));
}

// ---- enumeration ---------------------------------------------------------------------------

TEST_F(CollectionTest, EnumeratorInOrderInBatchesAndAcrossClones) {
    add_numbers({10, 20, 30, 40});
    auto e = enumerator();
    VARIANT batch[3];
    ULONG fetched = 99;
    ASSERT_EQ(e->Next(2, batch, &fetched), S_OK);
    EXPECT_EQ(fetched, 2u);
    EXPECT_EQ(V_I4(&batch[1]), 20);
    ComPtr<IEnumVARIANT> clone;
    ASSERT_EQ(e->Clone(clone.put()), S_OK);
    ASSERT_EQ(e->Next(3, batch, &fetched), S_FALSE);
    EXPECT_EQ(fetched, 2u);
    EXPECT_EQ(V_I4(&batch[1]), 40);
    EXPECT_EQ(V_VT(&batch[2]), VT_EMPTY);
    EXPECT_EQ(drain(clone.get()), (std::vector<LONG>{30, 40})) << "the clone kept its own cursor";

    EXPECT_EQ(e->Reset(), S_OK);
    EXPECT_EQ(drain(e.get()), (std::vector<LONG>{10, 20, 30, 40}));
    e->Reset();
    EXPECT_EQ(e->Skip(3), S_OK);
    EXPECT_EQ(drain(e.get()), (std::vector<LONG>{40}));
    e->Reset();
    EXPECT_EQ(e->Skip(5), S_FALSE) << "past the end";
    EXPECT_EQ(drain(e.get()), (std::vector<LONG>{}));

    EXPECT_EQ(e->Next(2, batch, nullptr), E_INVALIDARG);
    EXPECT_EQ(e->Next(1, nullptr, &fetched), E_POINTER);
    EXPECT_EQ(e->Clone(nullptr), E_POINTER);
}

TEST_F(CollectionTest, EnumeratorFollowsChangesByPosition) {
    add_numbers({10, 20, 30, 40});
    auto e = enumerator();
    EXPECT_EQ(e->Skip(1), S_OK);
    ASSERT_EQ(col->Remove(i4(1).get()), S_OK);  // 20 moves back to the cursor's position
    add_numbers({50});
    EXPECT_EQ(drain(e.get()), (std::vector<LONG>{30, 40, 50}));

    e->Reset();
    e->Skip(3);
    while (count() > 1) ASSERT_EQ(col->Remove(i4(1).get()), S_OK);
    EXPECT_EQ(drain(e.get()), (std::vector<LONG>{})) << "a cursor beyond the end hands out nothing";
    EXPECT_EQ(e->Skip(1), S_FALSE);
}

TEST_F(CollectionTest, EnumeratorKeepsTheCollectionAlive) {
    VARIANT object = borrowed(probe);
    add(&object);
    auto e = enumerator();
    col = nullptr;
    VARIANT out;
    ASSERT_EQ(e->Next(1, &out, nullptr), S_OK);
    EXPECT_EQ(V_DISPATCH(&out), &probe);
    EXPECT_EQ(probe.refs(), 3u);
    VariantClear(&out);
    e = nullptr;
    EXPECT_EQ(probe.refs(), 1u) << "the last enumerator releases the collection and its elements";
}

// ---- late binding --------------------------------------------------------------------------

TEST_F(CollectionTest, LateBoundCallsByNameReachTheSameMembers) {
    auto d = col.as<IDispatch>();
    auto call = [&](const char16_t* name, DISPID expected_id, WORD flags, ds::Args args) {
        EXPECT_EQ(ds::DispatchId(d.get(), name), expected_id) << ds::Utf8(name);
        return ds::Call(d.get(), name, flags, std::move(args));
    };
    for (LONG n : {10, 20, 30}) {
        const ds::Outcome added = call(u"ADD", 1, DISPATCH_METHOD, ds::Args{ds::I4(n), ds::Missing()});
        ASSERT_EQ(added.hr, S_OK) << ds::Hex(added.hr);
    }
    const ds::Outcome item = call(u"item", DISPID_VALUE, DISPATCH_METHOD | DISPATCH_PROPERTYGET, ds::Args{ds::I2(2)});
    EXPECT_EQ(V_I4(item.result.get()), 20) << ds::Hex(item.hr);
    const ds::Outcome removed = call(u"Remove", 3, DISPATCH_METHOD, ds::Args{ds::I4(1)});
    EXPECT_EQ(removed.hr, S_OK) << ds::Hex(removed.hr);
    const ds::Outcome counted = call(u"count", 2, DISPATCH_METHOD | DISPATCH_PROPERTYGET, ds::Args{});
    EXPECT_EQ(V_I4(counted.result.get()), 2) << ds::Hex(counted.hr);
    const ds::Outcome listed = call(u"_NewEnum", DISPID_NEWENUM, DISPATCH_METHOD | DISPATCH_PROPERTYGET, ds::Args{});
    ASSERT_EQ(listed.result.vt(), VT_UNKNOWN) << ds::Hex(listed.hr);
    EXPECT_EQ(drain(ComPtr<IUnknown>(V_UNKNOWN(listed.result.get())).as<IEnumVARIANT>().get()),
              (std::vector<LONG>{20, 30}));

    const ds::Outcome failed = call(u"Item", DISPID_VALUE, DISPATCH_METHOD, ds::Args{ds::I4(3)});
    EXPECT_EQ(failed.hr, DISP_E_EXCEPTION) << ds::Hex(failed.hr);
    EXPECT_EQ(failed.info.scode, HRESULT(0x800A0009)) << ds::Hex(failed.info.scode);
    EXPECT_EQ(ds::Utf8(failed.info.bstrDescription), "Subscript out of range");
}

}  // namespace
