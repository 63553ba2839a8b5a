// clsTessel through its direct interface: the name, ItemsCollection on first use and
// shared, AddItem, Clear with its 16-bit limits and type check, and termination.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <data/clsPropertyItem.h>
#include <data/clsTessel.h>
#include "tessel_test_util.h"

#include <testing/dispatch_stub.h>

namespace {

using namespace tessel_test;
using comrt::Bstr;
using comrt::ComPtr;

ComPtr<_clsTessel> NewGroup() { return comrt::make<tessel::clsTessel>(); }

ComPtr<_Collection> ItemsOf(_clsTessel* group) {
    ComPtr<_Collection> items;
    EXPECT_EQ(S_OK, group->get_ItemsCollection(items.put()));
    return items;
}

ComPtr<_Collection> NewCollection() {
    ComPtr<_Collection> c;
    comrt::check(comrt::create_collection(c.put()));
    return c;
}

// AddItem with by-reference copies of the arguments; returns the status.
HRESULT Add(_clsTessel* group, comrt::olestring_view name, comrt::olestring_view value, SHORT type = 0,
            SAFEARRAY* values = nullptr) {
    Bstr sName(name), sValue(value);
    BSTR n = sName.get(), v = sValue.get();
    SAFEARRAY* a = values;
    LONG result = 77;
    const HRESULT hr = group->AddItem(&n, &v, &type, &a, &result);
    EXPECT_EQ(sName.get(), n);
    EXPECT_EQ(sValue.get(), v);
    EXPECT_EQ(values, a);
    if (SUCCEEDED(hr)) {
        EXPECT_EQ(0, result) << "AddItem returns 0";
    }
    return hr;
}

// "name=value" for every element, in collection order.
std::vector<std::string> Contents(_Collection* items) {
    std::vector<std::string> out;
    const LONG n = CountOf(items);
    for (LONG p = 1; p <= n; ++p) {
        ComPtr<_clsPropertyItem> item = ElementAt(items, p);
        out.push_back(item ? Name(item.get()) + "=" + Value(item.get()) : "<not an item>");
    }
    return out;
}

// A live-object count of this binary's Tessel objects, to see items go away.
long LiveObjects() { return comrt::module::count().load(); }

TEST(PropertyGroup, NewGroupCreatesItsCollectionOnFirstUse) {
    ComPtr<_clsTessel> group = NewGroup();
    Bstr name;
    ASSERT_EQ(S_OK, group->get_PropertyGroupName(name.put()));
    EXPECT_EQ("", Printable(name.view()));

    ComPtr<_Collection> first = ItemsOf(group.get());
    ASSERT_TRUE(first);
    EXPECT_EQ(0, CountOf(first.get()));
    EXPECT_EQ(first, ItemsOf(group.get())) << "a second get returns the same collection";

    Bstr given(OLESTR("Layout"));
    ASSERT_EQ(S_OK, group->put_PropertyGroupName(given.get()));
    given.get()[0] = OLESTR('#');
    ASSERT_EQ(S_OK, group->get_PropertyGroupName(name.put()));
    EXPECT_EQ("Layout", Printable(name.view())) << "the group holds its own copy";
}

TEST(PropertyGroup, AddItemTakesAListOnlyForTypeOne) {
    struct Row {
        const char* name;
        SHORT type;
        bool with_array;
        std::string count;  // Count of the new item
    } rows[] = {
        {"type 0 with strings", 0, true, kNoList},
        {"type 2 with strings", 2, true, kNoList},
        {"type -1 with strings", -1, true, kNoList},
        {"type 1 with strings", 1, true, "1"},
        {"type 1 without array", 1, false, kNoList},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ComPtr<_clsTessel> group = NewGroup();
        comrt::SafeArrayPtr values = StringArray(0, {OLESTR("on"), OLESTR("off")});
        ASSERT_EQ(S_OK, Add(group.get(), OLESTR("Mode"), OLESTR("on"), row.type, row.with_array ? values.get() : nullptr));
        PutString(values.get(), 0, OLESTR("changed"));  // the caller's array changes afterwards

        ComPtr<_Collection> items = ItemsOf(group.get());
        ASSERT_EQ(1, CountOf(items.get()));
        ComPtr<_clsPropertyItem> item = ElementAt(items.get(), 1);
        ASSERT_TRUE(item);
        EXPECT_EQ("Mode", Name(item.get()));
        EXPECT_EQ("on", Value(item.get()));
        SHORT type = 77;
        ASSERT_EQ(S_OK, item->get_ItemType(&type));
        EXPECT_EQ(row.type, type);

        EXPECT_EQ(row.count, CountText(item.get()));
        if (row.count == "1") {
            EXPECT_EQ("on", ItemAt(item.get(), 0)) << "the item holds its own copy";
            EXPECT_EQ("off", ItemAt(item.get(), 1));
        }
    }
}

TEST(PropertyGroup, ItemsKeepTheirOrderAndNamesNeedNotBeUnique) {
    ComPtr<_clsTessel> group = NewGroup();
    ASSERT_EQ(S_OK, Add(group.get(), OLESTR("Size"), OLESTR("1")));
    ASSERT_EQ(S_OK, Add(group.get(), OLESTR("Size"), OLESTR("2")));
    ASSERT_EQ(S_OK, Add(group.get(), OLESTR("Colour"), OLESTR("red")));
    EXPECT_THAT(Contents(ItemsOf(group.get()).get()), testing::ElementsAre("Size=1", "Size=2", "Colour=red"));
}

TEST(PropertyGroup, FailingAddItemLeavesNothingBehind) {
    ComPtr<_clsTessel> group = NewGroup();
    ASSERT_EQ(S_OK, Add(group.get(), OLESTR("kept"), OLESTR("")));
    const long live = LiveObjects();

    comrt::SafeArrayPtr numbers(SafeArrayCreateVector(VT_I4, 0, 1));
    EXPECT_EQ(Hex(kTypeMismatch), Hex(Add(group.get(), OLESTR("bad"), OLESTR(""), 1, numbers.get())));
    EXPECT_THAT(Contents(ItemsOf(group.get()).get()), testing::ElementsAre("kept="));
    EXPECT_EQ(live, LiveObjects()) << "the new item was released";
}

TEST(PropertyGroup, ClearEmptiesAndKeepsTheCollection) {
    ComPtr<_clsTessel> unused = NewGroup();
    EXPECT_EQ(S_OK, unused->Clear()) << "Clear on a group never used";
    EXPECT_EQ(0, CountOf(ItemsOf(unused.get()).get()));

    ComPtr<_clsTessel> group = NewGroup();
    ASSERT_EQ(S_OK, Add(group.get(), OLESTR("a"), OLESTR("1")));
    ASSERT_EQ(S_OK, Add(group.get(), OLESTR("b"), OLESTR("2")));
    ComPtr<_Collection> items = ItemsOf(group.get());
    ASSERT_EQ(S_OK, group->Clear());
    EXPECT_EQ(0, CountOf(items.get()));
    ASSERT_EQ(S_OK, Add(group.get(), OLESTR("c"), OLESTR("3")));
    EXPECT_EQ(items, ItemsOf(group.get())) << "Clear keeps the collection object";
    EXPECT_THAT(Contents(items.get()), testing::ElementsAre("c=3"));
}

TEST(PropertyGroup, HostCollectionPutByReferenceIsShared) {
    // Slot 4 (put by value) behaves as the put by reference.
    using Put = HRESULT (STDMETHODCALLTYPE _clsTessel::*)(_Collection*) noexcept;
    const std::pair<const char*, Put> puts[] = {
        {"putref", &_clsTessel::putref_ItemsCollection},
        {"put", &_clsTessel::put_ItemsCollection},
    };
    for (auto [name, put] : puts) {
        SCOPED_TRACE(name);
        ComPtr<_clsTessel> source = NewGroup();
        ASSERT_EQ(S_OK, Add(source.get(), OLESTR("x"), OLESTR("1")));
        ASSERT_EQ(S_OK, Add(source.get(), OLESTR("y"), OLESTR("2")));
        ComPtr<_Collection> hosts = ItemsOf(source.get());

        ComPtr<_clsTessel> group = NewGroup();
        ASSERT_EQ(S_OK, (group.get()->*put)(hosts.get()));
        EXPECT_EQ(hosts, ItemsOf(group.get()));
        ASSERT_EQ(S_OK, Add(group.get(), OLESTR("z"), OLESTR("3")));
        EXPECT_THAT(Contents(hosts.get()), testing::ElementsAre("x=1", "y=2", "z=3"));

        ASSERT_EQ(S_OK, group->Clear());
        EXPECT_EQ(0, CountOf(hosts.get()));
        EXPECT_EQ(0, CountOf(ItemsOf(source.get()).get())) << "emptied for every holder";
    }
}

TEST(PropertyGroup, PutOfNoneStartsAFreshCollection) {
    ComPtr<_clsTessel> group = NewGroup();
    ASSERT_EQ(S_OK, Add(group.get(), OLESTR("old"), OLESTR("")));
    ComPtr<_Collection> old = ItemsOf(group.get());
    ASSERT_EQ(S_OK, group->putref_ItemsCollection(nullptr));
    EXPECT_EQ(S_OK, group->Clear());
    ASSERT_EQ(S_OK, Add(group.get(), OLESTR("new"), OLESTR("")));
    ComPtr<_Collection> fresh = ItemsOf(group.get());
    EXPECT_NE(old, fresh);
    EXPECT_THAT(Contents(fresh.get()), testing::ElementsAre("new="));
    EXPECT_THAT(Contents(old.get()), testing::ElementsAre("old=")) << "the released collection is untouched";
}

TEST(PropertyGroup, DestructionEmptiesTheCollectionButKeptItemsLive) {
    ComPtr<_clsTessel> group = NewGroup();
    comrt::SafeArrayPtr values = StringArray(0, {OLESTR("Left"), OLESTR("Right")});
    ASSERT_EQ(S_OK, Add(group.get(), OLESTR("Align"), OLESTR("Left"), 1, values.get()));
    ASSERT_EQ(S_OK, Add(group.get(), OLESTR("Gone"), OLESTR("")));
    ComPtr<_Collection> items = ItemsOf(group.get());
    ComPtr<_clsPropertyItem> kept = ElementAt(items.get(), 1);
    const long live = LiveObjects();

    group = nullptr;
    EXPECT_EQ(0, CountOf(items.get()));
    EXPECT_EQ(live - 2, LiveObjects()) << "the group and the item nobody kept are gone";
    EXPECT_EQ("Align", Name(kept.get()));
    EXPECT_EQ("Left", Value(kept.get()));
    SHORT type = 0;
    ASSERT_EQ(S_OK, kept->get_ItemType(&type));
    EXPECT_EQ(1, type);
    EXPECT_EQ("1", CountText(kept.get()));
    EXPECT_EQ("Right", ItemAt(kept.get(), 1));
}

TEST(PropertyGroup, ClearStopsAtAnElementThatIsNoItem) {
    struct Row {
        const char* name;
        comrt::Variant (*make)();
    } rows[] = {
        {"a string", [] {
             comrt::Variant v;
             v->vt = VT_BSTR;
             v->bstrVal = Bstr(OLESTR("text")).detach();
             return v;
         }},
        {"an empty object", [] {
             comrt::Variant v;
             v->vt = VT_DISPATCH;
             v->pdispVal = nullptr;
             return v;
         }},
        {"another object", [] { return ObjectVariant(NewCollection()); }},
        {"a group", [] { return ObjectVariant(NewGroup()); }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ComPtr<_clsTessel> group = NewGroup();
        ComPtr<_Collection> items = ItemsOf(group.get());
        ASSERT_EQ(S_OK, Add(group.get(), OLESTR("first"), OLESTR("")));
        ASSERT_EQ(S_OK, Append(items.get(), row.make()));
        ASSERT_EQ(S_OK, Add(group.get(), OLESTR("behind"), OLESTR("v"), 2));

        // Viewed in place, the items are read up to the element, and from behind it.
        const auto texts = group.as<ITesselGroupTexts>();
        TesselItemView views[3]{};
        ULONG viewed = 99;
        ASSERT_EQ(S_OK, texts->ViewItemTexts(0, 3, views, &viewed));
        ASSERT_EQ(1u, viewed);
        EXPECT_EQ("first", Printable(comrt::olestring_view(views[0].name, views[0].name_length)));
        ASSERT_EQ(S_OK, texts->ViewItemTexts(2, 3, views, &viewed));
        ASSERT_EQ(1u, viewed);
        EXPECT_EQ("v", Printable(comrt::olestring_view(views[0].value, views[0].value_length)));
        EXPECT_EQ(2, views[0].type);
        ASSERT_EQ(S_OK, texts->ViewItemTexts(3, 3, views, &viewed));
        EXPECT_EQ(0u, viewed) << "nothing from the end on";

        TakeErrorInfo();
        EXPECT_EQ(Hex(kTypeMismatch), Hex(group->Clear()));
        EXPECT_EQ("Tessel: Type mismatch", TakeErrorInfo());
        EXPECT_THAT(Contents(items.get()), testing::ElementsAre("<not an item>", "behind=v"));
    }
}

TEST(PropertyGroup, FailingClearInDestructionStillReleasesEverything) {
    const long live = LiveObjects();
    ComPtr<_Collection> items;
    {
        ComPtr<_clsTessel> group = NewGroup();
        items = ItemsOf(group.get());
        ASSERT_EQ(S_OK, Add(group.get(), OLESTR("first"), OLESTR("")));
        ASSERT_EQ(S_OK, Append(items.get(), ObjectVariant(NewCollection())));
        ASSERT_EQ(S_OK, Add(group.get(), OLESTR("behind"), OLESTR("")));
        // Error information pending before the release survives it.
        comrt::set_error_info(OLESTR("Host"), OLESTR("pending"));
    }
    EXPECT_EQ("Host: pending", TakeErrorInfo());
    EXPECT_THAT(Contents(items.get()), testing::ElementsAre("<not an item>", "behind="));
    items = nullptr;
    EXPECT_EQ(live, LiveObjects()) << "no group or item outlives the last reference";
}

// Fills a collection with `count` references to one item, quickly.
void FillWithOneItem(_Collection* items, LONG count) {
    ComPtr<_clsPropertyItem> item = comrt::make<tessel::clsPropertyItem>();
    for (LONG i = 0; i < count; ++i) ASSERT_EQ(S_OK, Append(items, ObjectVariant(item)));
}

TEST(PropertyGroup, ClearAtTheSixteenBitLimit) {
    // Exactly 32,767 elements: all of them go, and the call succeeds.
    ComPtr<_clsTessel> group = NewGroup();
    ComPtr<_Collection> items = ItemsOf(group.get());
    FillWithOneItem(items.get(), 32767);
    EXPECT_EQ(S_OK, group->Clear());
    EXPECT_EQ(0, CountOf(items.get()));

    // One more: overflow before anything is removed.
    FillWithOneItem(items.get(), 32768);
    TakeErrorInfo();
    EXPECT_EQ(Hex(kOverflow), Hex(group->Clear()));
    EXPECT_EQ("Tessel: Overflow", TakeErrorInfo());
    EXPECT_EQ(32768, CountOf(items.get()));
}

TEST(PropertyGroup, FullGroupsOfDistinctItemsLeaveNothingBehind) {
    const long live = LiveObjects();
    for (bool clear_first : {true, false}) {
        SCOPED_TRACE(clear_first ? "Clear" : "destruction");
        ComPtr<_clsTessel> group = NewGroup();
        for (int i = 0; i < 32767; ++i) ASSERT_EQ(S_OK, Add(group.get(), OLESTR("n"), OLESTR("v")));
        EXPECT_EQ(live + 2 + 32767, LiveObjects());  // the group, its collection, its items
        if (clear_first) {
            EXPECT_EQ(S_OK, group->Clear());
        }
    }
    EXPECT_EQ(live, LiveObjects());
}

// A collection that reports `count` elements it does not hold and fails every other call
// with `failure`.
class FakeCollection final : public pg_testing::no_dispatch<comrt::implements<FakeCollection, _Collection>> {
public:
    FakeCollection(LONG count, HRESULT failure) : count_(count), failure_(failure) {}
    HRESULT STDMETHODCALLTYPE Item(VARIANT*, VARIANT*) noexcept override {
        ++touched;
        return failure_;
    }
    HRESULT STDMETHODCALLTYPE Add(VARIANT*, VARIANT*, VARIANT*, VARIANT*) noexcept override { return failure_; }
    HRESULT STDMETHODCALLTYPE Count(LONG* n) noexcept override {
        *n = count_;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Remove(VARIANT*) noexcept override {
        ++touched;
        return failure_;
    }
    HRESULT STDMETHODCALLTYPE _NewEnum(IUnknown**) noexcept override { return E_NOTIMPL; }

    int touched = 0;

private:
    LONG count_;
    HRESULT failure_;
};

TEST(PropertyGroup, CollectionFailuresPassThroughUnchanged) {
    const long live = LiveObjects();
    {
        ComPtr<FakeCollection> fake = comrt::make<FakeCollection>(2147483647, E_ACCESSDENIED);
        ComPtr<_clsTessel> group = NewGroup();
        ASSERT_EQ(S_OK, group->putref_ItemsCollection(fake.get()));
        EXPECT_EQ(Hex(E_ACCESSDENIED), Hex(Add(group.get(), OLESTR("a"), OLESTR("b"))));
        EXPECT_EQ(Hex(kOverflow), Hex(group->Clear()));
        EXPECT_EQ(0, fake->touched) << "nothing is read or removed on overflow";
        ULONG viewed = 0;
        EXPECT_EQ(Hex(E_NOINTERFACE), Hex(group.as<ITesselGroupTexts>()->ViewItemTexts(0, 0, nullptr, &viewed)))
            << "a collection that cannot be read in place";

        ComPtr<FakeCollection> failing = comrt::make<FakeCollection>(1, E_ACCESSDENIED);
        ASSERT_EQ(S_OK, group->putref_ItemsCollection(failing.get()));
        EXPECT_EQ(Hex(E_ACCESSDENIED), Hex(group->Clear()));
    }
    EXPECT_EQ(live, LiveObjects()) << "the failed item, the group and the fakes are gone";
}

}  // namespace
