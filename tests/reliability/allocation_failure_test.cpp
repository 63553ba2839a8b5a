// Allocation failure at every point of the calls a host makes most (failing_allocator.h):
// for every N, the Nth allocation of the call fails; the call then returns E_OUTOFMEMORY
// (or run-time error 7), leaves every object as it was and leaks nothing. And while
// memory stays exhausted, calls still return instead of ending the process.
//
// TESSEL_LIBRARY is the built libtessel.so's absolute path.
#include <gtest/gtest.h>

#include <cstdio>
#include <new>
#include <string>
#include <thread>

#include <comrt/collection.h>
#include <comrt/error.h>
#include <comrt/registry.h>
#include <tessel/tessel.h>
#include <testing/groups.h>
#include <testing/late_binding.h>
#include <testing/server_library.h>
#include <testing/temporary_registry.h>
#include <testing/text.h>
#include <testing/unload_check.h>

#include "failing_allocator.h"

namespace {

using comrt::ComPtr;
using pg_reliability::AllocationFailure;
using pg_testing::Hex;
using pg_testing::Printable;

constexpr HRESULT kError7 = comrt::runtime_hresult(comrt::runtime_error::out_of_memory);

const pg_testing::ServerLibrary& Tessel() {
    static const auto* const library = new pg_testing::ServerLibrary(TESSEL_LIBRARY);
    return *library;
}

template <typename T>
ComPtr<T> Create(const CLSID& clsid) {
    ComPtr<IClassFactory> factory;
    comrt::check(Tessel().get_class_object(clsid, IID_IClassFactory, factory.put_void()));
    ComPtr<T> object;
    comrt::check(factory->CreateInstance(nullptr, comrt::iid_of<T>(), object.put_void()));
    return object;
}

// Runs call(subject) on a fresh subject from make() with its Nth allocation failing, for
// N = 1, 2, ... until the call makes no allocation that fails (and must then succeed).
// Each run that fails must return E_OUTOFMEMORY or error 7, leak nothing (the pending error
// information aside) and pass unchanged(subject). Returns the number of failure points.
template <typename Make, typename Call, typename Unchanged>
std::size_t ExpectEveryFailureHandled(Make make, Call call, Unchanged unchanged) {
    for (std::size_t n = 1; n < 5000; ++n) {
        auto subject = make();
        SetErrorInfo(0, nullptr);
        HRESULT hr;
        bool failed;
        long live;
        {
            AllocationFailure failure(n);
            hr = call(subject);
            SetErrorInfo(0, nullptr);  // what describes the failure is no leak
            failed = failure.failed();
            live = failure.live();
        }
        if (!failed) {
            EXPECT_EQ(Hex(S_OK), Hex(hr)) << "without a failed allocation";
            return n - 1;
        }
        // A step that can do without its allocation (the registry's folder, made when
        // missing) lets the call succeed.
        if (hr == S_OK) continue;
        SCOPED_TRACE("allocation " + std::to_string(n) + " failed");
        EXPECT_TRUE(hr == E_OUTOFMEMORY || hr == kError7) << Hex(hr);
        EXPECT_EQ(0, live) << "blocks leaked";
        unchanged(subject);
    }
    ADD_FAILURE() << "the call never succeeded";
    return 0;
}

class AllocationFailureTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(Tessel().loaded()) << Tessel().load_error(); }
    void TearDown() override { pg_testing::ExpectNothingAlive(); }
};

TEST_F(AllocationFailureTest, StringsAndArrays) {
    const std::size_t string_points = ExpectEveryFailureHandled(
        [] { return 0; },
        [](int) {
            BSTR s = SysAllocStringLen(OLESTR("text"), 4);
            if (!s) return E_OUTOFMEMORY;
            SysFreeString(s);
            return S_OK;
        },
        [](int) {});
    EXPECT_EQ(1u, string_points);

    struct Copy {
        comrt::SafeArrayPtr source;
        SAFEARRAY* copy = reinterpret_cast<SAFEARRAY*>(0x1);  // poisoned
    };
    const std::size_t array_points = ExpectEveryFailureHandled(
        [] { return Copy{pg_testing::StringArray(1, {OLESTR("a"), OLESTR("bc"), OLESTR("")})}; },
        [](Copy& c) {
            const HRESULT hr = SafeArrayCopy(c.source.get(), &c.copy);
            if (SUCCEEDED(hr)) SafeArrayDestroy(c.copy);
            return hr;
        },
        [](Copy& c) { EXPECT_EQ(nullptr, c.copy) << "the copy comes back null"; });
    EXPECT_GE(array_points, 4u) << "the descriptor, the data and each non-empty string";
}

TEST_F(AllocationFailureTest, CollectionAdd) {
    // Arguments are made before the allocations are counted: only the call's own fail.
    struct Add {
        ComPtr<_Collection> collection;
        comrt::Variant item;
    };
    ExpectEveryFailureHandled(
        [] {
            Add add;
            comrt::check(comrt::create_collection(add.collection.put()));
            *add.item.get() = pg_testing::Text(OLESTR("kept"));
            comrt::check(add.collection->Add(add.item.get(), nullptr, nullptr, nullptr));
            return add;
        },
        [](Add& add) { return add.collection->Add(add.item.get(), nullptr, nullptr, nullptr); },
        [](Add& add) {
            LONG count = 0;
            ASSERT_EQ(S_OK, add.collection->Count(&count));
            EXPECT_EQ(1, count);
        });
}

// The group's item count and the text of its first item, as one line.
std::string GroupState(_clsTessel* group) {
    ComPtr<_Collection> items;
    if (FAILED(group->get_ItemsCollection(items.put()))) return "no collection";
    LONG count = 0;
    items->Count(&count);
    return std::to_string(count) + " items";
}

TEST_F(AllocationFailureTest, AddItemAndSetValueCmb) {
    struct AddItem {
        ComPtr<_clsTessel> group;
        comrt::Bstr name{OLESTR("Format")}, value{OLESTR("PDF")};
        comrt::SafeArrayPtr choices = pg_testing::StringArray(0, {OLESTR("HTML"), OLESTR("PDF")});
    };
    const std::size_t add_points = ExpectEveryFailureHandled(
        [] {
            AddItem add{Create<_clsTessel>(CLSID_clsTessel)};
            BSTR n = add.name.get(), v = add.value.get();
            SHORT type = 0;
            SAFEARRAY* none = nullptr;
            LONG result = 0;
            comrt::check(add.group->AddItem(&n, &v, &type, &none, &result));
            return add;
        },
        [](AddItem& add) {
            BSTR n = add.name.get(), v = add.value.get();
            SHORT type = 1;
            SAFEARRAY* list = add.choices.get();
            LONG result = 0;
            return add.group->AddItem(&n, &v, &type, &list, &result);
        },
        [](AddItem& add) { EXPECT_EQ("1 items", GroupState(add.group.get())); });
    EXPECT_GT(add_points, 3u);

    struct SetList {
        ComPtr<_clsPropertyItem> item;
        comrt::SafeArrayPtr choices = pg_testing::StringArray(0, {OLESTR("a"), OLESTR("b"), OLESTR("c")});
    };
    ExpectEveryFailureHandled(
        [] {
            SetList set{Create<_clsPropertyItem>(CLSID_clsPropertyItem)};
            comrt::SafeArrayPtr kept = pg_testing::StringArray(0, {OLESTR("kept")});
            SAFEARRAY* list = kept.get();
            comrt::check(set.item->SetValueCmb(&list));
            return set;
        },
        [](SetList& set) {
            SAFEARRAY* list = set.choices.get();
            return set.item->SetValueCmb(&list);
        },
        [](SetList& set) {
            SHORT count = 0, index = 0;
            comrt::Bstr first;
            ASSERT_EQ(S_OK, set.item->Count(&count));
            EXPECT_EQ(0, count) << "the upper bound of the list held before";
            ASSERT_EQ(S_OK, set.item->GetItem(&index, first.put()));
            EXPECT_EQ("kept", Printable(first.view()));
        });
}

TEST_F(AllocationFailureTest, RegistryLookup) {
    pg_testing::TemporaryRegistry registry({TESSEL_LIBRARY});
    ASSERT_EQ(Hex(S_OK), Hex(registry.status())) << registry.failure();
    const std::size_t points = ExpectEveryFailureHandled(
        [] { return comrt::class_registration{}; },
        [](comrt::class_registration& found) { return comrt::find_class(CLSID_clsTessel, found); },
        [](comrt::class_registration&) {});
    EXPECT_GT(points, 10u) << "the path, the file, the document and the entry";
}

TEST_F(AllocationFailureTest, RegistryRegistration) {
    pg_testing::TemporaryRegistry registry({TESSEL_LIBRARY});
    ASSERT_EQ(Hex(S_OK), Hex(registry.status())) << registry.failure();
    const auto text = [&registry] {
        std::string out;
        if (FILE* f = std::fopen(registry.path().c_str(), "rb")) {
            char buffer[4096];
            for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, f)) > 0;) out.append(buffer, n);
            std::fclose(f);
        }
        return out;
    };
    const std::string before = text();
    // Unregistered again once the run is over, outside the counted allocations.
    struct Registration {
        comrt::server_registration entries;
        std::string file;
        ~Registration() { comrt::unregister_server(entries); }
    };
    ExpectEveryFailureHandled(
        [&] {
            Registration r{{}, text()};
            r.entries.classes.push_back({comrt::make_guid("6A0B1C2D-0001-4000-8000-00000000000A"), "Lib.A",
                                         "/opt/liba.so", "Apartment", GUID_NULL});
            r.entries.typelibs.push_back({comrt::make_guid("6A0B1C2D-00FF-4000-8000-0000000000FF"), 1, 0,
                                          "/opt/liba.so", "Lib"});
            return r;
        },
        [](Registration& r) { return comrt::register_server(r.entries); },
        [&](Registration& r) { EXPECT_EQ(text(), r.file) << "the file is as it was"; });
    EXPECT_EQ(text(), before);
}

// While memory stays exhausted (every allocation fails), a failure is still reported as
// E_OUTOFMEMORY: describing it needs memory too, and must not go round in circles. On a
// thread that has not called the libraries before, so that nothing of theirs that a
// thread needs exists yet.
void ExhaustedMemoryStillReturns() {
    ComPtr<_clsTessel> group = Create<_clsTessel>(CLSID_clsTessel);
    ComPtr<IDispatch> item = Create<IDispatch>(CLSID_clsPropertyItem);
    comrt::Bstr name(OLESTR("name")), value(OLESTR("value"));
    BSTR n = name.get(), v = value.get();
    SHORT type = 0;
    SAFEARRAY* none = nullptr;
    LONG result = 0;
    pg_testing::Args put = pg_testing::Args::put(pg_testing::Text(OLESTR("text")));
    HRESULT converted, created, added, invoked, looked_up;
    ICreateErrorInfo* info = reinterpret_cast<ICreateErrorInfo*>(0x1);
    EXCEPINFO exception{};
    comrt::class_registration found;
    {
        AllocationFailure exhausted(1, /*and_after=*/true);
        try {
            throw std::bad_alloc();
        } catch (...) {
            converted = comrt::to_hresult();
        }
        created = CreateErrorInfo(&info);
        added = group->AddItem(&n, &v, &type, &none, &result);
        invoked = item->Invoke(0x40030000 /* ItemName */, IID_NULL, 0, DISPATCH_PROPERTYPUT, put.params(), nullptr,
                               &exception, nullptr);
        looked_up = comrt::find_class(CLSID_clsTessel, found);
        SetErrorInfo(0, nullptr);
    }
    EXPECT_EQ(Hex(E_OUTOFMEMORY), Hex(converted));
    EXPECT_EQ(Hex(E_OUTOFMEMORY), Hex(created));
    EXPECT_EQ(nullptr, info);
    EXPECT_TRUE(added == E_OUTOFMEMORY || added == kError7) << Hex(added);
    EXPECT_TRUE(invoked == E_OUTOFMEMORY || (invoked == DISP_E_EXCEPTION && exception.scode == E_OUTOFMEMORY))
        << Hex(invoked) << " " << Hex(exception.scode);
    SysFreeString(exception.bstrSource);
    SysFreeString(exception.bstrDescription);
    SysFreeString(exception.bstrHelpFile);
    EXPECT_EQ(Hex(E_OUTOFMEMORY), Hex(looked_up));
    EXPECT_EQ("0 items", GroupState(group.get()));
}

TEST_F(AllocationFailureTest, ExhaustedMemoryStillReturns) { std::thread(&ExhaustedMemoryStillReturns).join(); }

}  // namespace
