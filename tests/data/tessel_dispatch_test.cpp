// clsTessel and clsPropertyItem late bound: names to dispatch ids, argument coercion,
// by-value and by-reference arguments, and errors surfacing through EXCEPINFO.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include <data/clsPropertyItem.h>
#include <data/clsTessel.h>
#include "tessel_test_util.h"

#include <testing/late_binding.h>

namespace {

using namespace tessel_test;
using comrt::Bstr;
using comrt::ComPtr;
using pg_testing::Args;
using pg_testing::Array;
using pg_testing::Call;
using pg_testing::I2;
using pg_testing::I4;
using pg_testing::Object;
using pg_testing::Outcome;
using pg_testing::Ref;
using pg_testing::Text;

// A member's dispatch id by name, with the status of GetIDsOfNames in *hr when given.
DISPID IdOf(IDispatch* object, const OLECHAR* name, HRESULT* hr = nullptr) {
    return pg_testing::DispatchId(object, name, hr);
}

ComPtr<IDispatch> NewItem() { return comrt::make<tessel::clsPropertyItem>().as<IDispatch>(); }
ComPtr<IDispatch> NewGroup() { return comrt::make<tessel::clsTessel>().as<IDispatch>(); }

TEST(TesselDispatch, NamesMapToTheirDispatchIds) {
    struct Row {
        const OLECHAR* name;
        DISPID id;
    };
    const Row items[] = {
        {OLESTR("ItemName"), 0x40030000}, {OLESTR("ItemValue"), 0x40030001}, {OLESTR("ItemType"), 0x40030002},
        {OLESTR("SetValueCmb"), 0x60030000}, {OLESTR("GetItem"), 0x60030001}, {OLESTR("Count"), 0x60030002},
    };
    const Row groups[] = {
        {OLESTR("PropertyGroupName"), 0x40030000},
        {OLESTR("ItemsCollection"), 0x40030001},
        {OLESTR("AddItem"), 0x60030000},
        {OLESTR("Clear"), 0x60030001},
    };
    ComPtr<IDispatch> item = NewItem();
    for (const Row& row : items) EXPECT_EQ(Hex(row.id), Hex(IdOf(item.get(), row.name))) << Printable(row.name);
    ComPtr<IDispatch> group = NewGroup();
    for (const Row& row : groups) EXPECT_EQ(Hex(row.id), Hex(IdOf(group.get(), row.name))) << Printable(row.name);

    HRESULT hr = S_OK;
    IdOf(item.get(), OLESTR("PropertyGroupName"), &hr);
    EXPECT_EQ(Hex(DISP_E_UNKNOWNNAME), Hex(hr));
    IdOf(group.get(), OLESTR("ItemName"), &hr);
    EXPECT_EQ(Hex(DISP_E_UNKNOWNNAME), Hex(hr));
}

TEST(TesselDispatch, ItemTypeCoercesTo16Bits) {
    ComPtr<IDispatch> item = NewItem();
    ComPtr<_clsPropertyItem> direct = item.as<_clsPropertyItem>();
    struct Row {
        VARIANT value;
        HRESULT hr;
        SHORT stored;
    } rows[] = {
        {I4(12), S_OK, 12},
        {I4(-32768), S_OK, -32768},
        {I4(32768), DISP_E_OVERFLOW, -32768},
        {I4(-40000), DISP_E_OVERFLOW, -32768},
        {I2(1), S_OK, 1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.value.lVal);
        Outcome put = Call(item.get(), OLESTR("ItemType"), DISPATCH_PROPERTYPUT, Args::put(row.value));
        EXPECT_EQ(Hex(row.hr), Hex(put.hr));
        if (FAILED(row.hr)) {
            EXPECT_EQ(pg_testing::kNoArgument, put.arg_err) << "an overflow names no argument";
        }
        SHORT stored = 0;
        ASSERT_EQ(S_OK, direct->get_ItemType(&stored));
        EXPECT_EQ(row.stored, stored) << "a failing put changes nothing";
    }
    Outcome get = Call(item.get(), OLESTR("ItemType"), DISPATCH_PROPERTYGET);
    ASSERT_EQ(S_OK, get.hr);
    EXPECT_EQ(VT_I2, get.result.vt());
    EXPECT_EQ(1, get.result->iVal);
}

TEST(TesselDispatch, ItemStringsAndChoiceList) {
    ComPtr<IDispatch> item = NewItem();
    ASSERT_EQ(S_OK, Call(item.get(), OLESTR("ItemName"), DISPATCH_PROPERTYPUT, Args::put(Text(OLESTR("Caption")))).hr);
    Outcome got = Call(item.get(), OLESTR("ItemName"), DISPATCH_PROPERTYGET);
    ASSERT_EQ(S_OK, got.hr);
    ASSERT_EQ(VT_BSTR, got.result.vt());
    EXPECT_EQ("Caption", Printable(got.result->bstrVal));

    comrt::SafeArrayPtr values = StringArray(0, {OLESTR("yes"), OLESTR("no")});
    SAFEARRAY* array = values.get();
    ASSERT_EQ(S_OK, Call(item.get(), OLESTR("SetValueCmb"), DISPATCH_METHOD, {Ref(VT_ARRAY | VT_BSTR, &array)}).hr);
    EXPECT_EQ(values.get(), array) << "the by-reference array is not replaced";

    Outcome count = Call(item.get(), OLESTR("Count"), DISPATCH_METHOD);
    ASSERT_EQ(S_OK, count.hr);
    EXPECT_EQ(VT_I2, count.result.vt());
    EXPECT_EQ(1, count.result->iVal);

    SHORT index = 1;
    Outcome by_ref = Call(item.get(), OLESTR("GetItem"), DISPATCH_METHOD, {Ref(VT_I2, &index)});
    ASSERT_EQ(S_OK, by_ref.hr);
    EXPECT_EQ("no", Printable(by_ref.result->bstrVal));
    Outcome by_value = Call(item.get(), OLESTR("GetItem"), DISPATCH_METHOD | DISPATCH_PROPERTYGET, {I4(0)});
    ASSERT_EQ(S_OK, by_value.hr);
    EXPECT_EQ("yes", Printable(by_value.result->bstrVal));
}

TEST(TesselDispatch, FailingGetItemSurfacesErrorNine) {
    ComPtr<IDispatch> item = NewItem();
    Outcome out = Call(item.get(), OLESTR("GetItem"), DISPATCH_METHOD, {I2(0)});
    EXPECT_EQ(Hex(DISP_E_EXCEPTION), Hex(out.hr));
    EXPECT_EQ(Hex(kSubscript), Hex(out.info.scode));
    EXPECT_EQ("Tessel", Printable(out.info.bstrSource));
    EXPECT_EQ("Subscript out of range", Printable(out.info.bstrDescription));
    EXPECT_EQ(VT_EMPTY, out.result.vt());
}

TEST(TesselDispatch, AddItemTakesArgumentsByValueOrByReference) {
    ComPtr<IDispatch> group = NewGroup();
    ComPtr<_clsTessel> direct = group.as<_clsTessel>();
    comrt::SafeArrayPtr values = StringArray(0, {OLESTR("A"), OLESTR("B")});

    // By value, with nType given as a 32-bit integer.
    Outcome first = Call(group.get(), OLESTR("AddItem"), DISPATCH_METHOD,
                         {Text(OLESTR("ByValue")), Text(OLESTR("1")), I4(1), Array(VT_BSTR, values.get())});
    ASSERT_EQ(S_OK, first.hr);
    EXPECT_EQ(VT_I4, first.result.vt());
    EXPECT_EQ(0, first.result->lVal);

    // By reference: the caller's variables come back unchanged.
    Bstr n2(OLESTR("ByRef")), v2(OLESTR("2"));
    BSTR name = n2.get(), value = v2.get();
    SHORT type = 0;
    SAFEARRAY* array = values.get();
    Outcome second = Call(group.get(), OLESTR("AddItem"), DISPATCH_METHOD,
                          {Ref(VT_BSTR, &name), Ref(VT_BSTR, &value), Ref(VT_I2, &type),
                           Ref(VT_ARRAY | VT_BSTR, &array)});
    ASSERT_EQ(S_OK, second.hr);
    EXPECT_EQ(n2.get(), name);
    EXPECT_EQ(v2.get(), value);
    EXPECT_EQ(0, type);
    EXPECT_EQ(values.get(), array);

    ComPtr<_Collection> items;
    ASSERT_EQ(S_OK, direct->get_ItemsCollection(items.put()));
    ASSERT_EQ(2, CountOf(items.get()));
    ComPtr<_clsPropertyItem> one = ElementAt(items.get(), 1), two = ElementAt(items.get(), 2);
    EXPECT_EQ("ByValue=1", Name(one.get()) + "=" + Value(one.get()));
    EXPECT_EQ("B", ItemAt(one.get(), 1));
    EXPECT_EQ("ByRef=2", Name(two.get()) + "=" + Value(two.get()));
    EXPECT_EQ("error " + Hex(kSubscript), ItemAt(two.get(), 0)) << "type 0 takes no list";

    // A type that leaves 16 bits fails before anything is added.
    Outcome overflow = Call(group.get(), OLESTR("AddItem"), DISPATCH_METHOD,
                            {Text(OLESTR("ByValue")), Text(OLESTR("1")), I4(70000), Array(VT_BSTR, nullptr)});
    EXPECT_EQ(Hex(DISP_E_OVERFLOW), Hex(overflow.hr));
    EXPECT_EQ(2, CountOf(items.get()));
}

// A one-dimensional array of variants from index `lower`, as a script builds it; it takes
// the values.
comrt::SafeArrayPtr VariantArray(LONG lower, std::initializer_list<VARIANT> values) {
    comrt::SafeArrayPtr array(SafeArrayCreateVector(VT_VARIANT, lower, static_cast<ULONG>(values.size())));
    if (!array) throw comrt::com_error(E_OUTOFMEMORY);
    LONG index = lower;
    for (VARIANT value : values) {
        comrt::Variant owned;
        *owned.get() = value;
        comrt::check(SafeArrayPutElement(array.get(), &index, owned.get()));
        ++index;
    }
    return array;
}

// What VariantChangeType makes of a value as a string, or the failure.
std::string AsString(VARIANT value) {
    comrt::Variant owned, text;
    *owned.get() = value;
    const HRESULT hr = VariantChangeType(text.get(), owned.get(), 0, VT_BSTR);
    return FAILED(hr) ? "error " + Hex(hr) : Printable(text->bstrVal);
}

VARIANT Empty() { return VARIANT{}; }
VARIANT Null() {
    VARIANT v{};
    v.vt = VT_NULL;
    return v;
}
VARIANT True() {
    VARIANT v{};
    v.vt = VT_BOOL;
    v.boolVal = VARIANT_TRUE;
    return v;
}

// Scripts build only arrays of variants: AddItem and SetValueCmb take them for their
// string arrays, each element converted as VariantChangeType converts it, by value or
// by reference, and leave the caller's array as it was.
TEST(TesselDispatch, ScriptArraysOfVariantsBecomeStringLists) {
    ComPtr<IDispatch> group = NewGroup();
    ComPtr<_Collection> items;
    ASSERT_EQ(S_OK, group.as<_clsTessel>()->get_ItemsCollection(items.put()));

    // By value, from index 0: strings, numbers, empty and a boolean.
    comrt::SafeArrayPtr mixed = VariantArray(0, {Text(OLESTR("a")), I4(12), pg_testing::R8(2.5), Empty(), True()});
    Outcome added = Call(group.get(), OLESTR("AddItem"), DISPATCH_METHOD,
                         {Text(OLESTR("Mixed")), Text(OLESTR("a")), I2(1), Array(VT_VARIANT, mixed.get())});
    ASSERT_EQ(S_OK, added.hr);
    ComPtr<_clsPropertyItem> item = ElementAt(items.get(), 1);
    EXPECT_EQ("4", CountText(item.get()));
    EXPECT_EQ("a", ItemAt(item.get(), 0));
    EXPECT_EQ(AsString(I4(12)), ItemAt(item.get(), 1));
    EXPECT_EQ(AsString(pg_testing::R8(2.5)), ItemAt(item.get(), 2));
    EXPECT_EQ("", ItemAt(item.get(), 3));
    EXPECT_EQ(AsString(True()), ItemAt(item.get(), 4));

    // By reference, in a variant that holds the array (a script's variable), from index 1.
    comrt::Variant variable;
    variable->vt = VT_ARRAY | VT_VARIANT;
    variable->parray = VariantArray(1, {Text(OLESTR("x")), Text(OLESTR("y"))}).detach();
    SAFEARRAY* const held = variable->parray;
    Outcome by_ref = Call(group.get(), OLESTR("AddItem"), DISPATCH_METHOD,
                          {Text(OLESTR("ByRef")), Text(OLESTR("y")), I2(1), Ref(VT_VARIANT, variable.get())});
    ASSERT_EQ(S_OK, by_ref.hr);
    EXPECT_EQ(VT_ARRAY | VT_VARIANT, variable.vt()) << "the caller's variable keeps its type";
    EXPECT_EQ(held, variable->parray) << "and its array";
    item = ElementAt(items.get(), 2);
    EXPECT_EQ("2", CountText(item.get()));
    EXPECT_EQ("x", ItemAt(item.get(), 1));
    EXPECT_EQ(kError9, ItemAt(item.get(), 0));

    // SetValueCmb, with the array variable itself by reference; a null array removes the list.
    ComPtr<IDispatch> direct_item = NewItem();
    SAFEARRAY* array = held;
    ASSERT_EQ(S_OK, Call(direct_item.get(), OLESTR("SetValueCmb"), DISPATCH_METHOD,
                         {Ref(VT_ARRAY | VT_VARIANT, &array)}).hr);
    EXPECT_EQ(held, array);
    EXPECT_EQ("2", CountText(direct_item.as<_clsPropertyItem>().get()));
    SAFEARRAY* none = nullptr;
    ASSERT_EQ(S_OK, Call(direct_item.get(), OLESTR("SetValueCmb"), DISPATCH_METHOD,
                         {Ref(VT_ARRAY | VT_VARIANT, &none)}).hr);
    EXPECT_EQ(kNoList, CountText(direct_item.as<_clsPropertyItem>().get()));
}

TEST(TesselDispatch, ScriptArrayThatDoesNotConvertChangesNothing) {
    ComPtr<IDispatch> group = NewGroup();
    ComPtr<_Collection> items;
    ASSERT_EQ(S_OK, group.as<_clsTessel>()->get_ItemsCollection(items.put()));

    struct Row {
        const char* what;
        comrt::SafeArrayPtr array;
    };
    SAFEARRAYBOUND square[] = {{2, 0}, {2, 0}};
    std::vector<Row> rows;
    rows.push_back({"a Null element", VariantArray(0, {Text(OLESTR("a")), Null()})});
    rows.push_back({"an array element", VariantArray(0, {Array(VT_VARIANT, VariantArray(0, {I4(1)}).get())})});
    rows.push_back({"two dimensions", comrt::SafeArrayPtr(SafeArrayCreate(VT_VARIANT, 2, square))});
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        ASSERT_TRUE(row.array);
        Outcome out = Call(group.get(), OLESTR("AddItem"), DISPATCH_METHOD,
                           {Text(OLESTR("n")), Text(OLESTR("v")), I2(1), Array(VT_VARIANT, row.array.get())});
        EXPECT_EQ(Hex(DISP_E_TYPEMISMATCH), Hex(out.hr));
        EXPECT_EQ(0u, out.arg_err) << "oValues, the last argument";
        EXPECT_EQ(0, CountOf(items.get())) << "no item is added";
    }

    ComPtr<IDispatch> item = NewItem();
    comrt::SafeArrayPtr kept = StringArray(0, {OLESTR("kept")});
    SAFEARRAY* kept_array = kept.get();
    ASSERT_EQ(S_OK, Call(item.get(), OLESTR("SetValueCmb"), DISPATCH_METHOD, {Ref(VT_ARRAY | VT_BSTR, &kept_array)}).hr);
    Outcome out = Call(item.get(), OLESTR("SetValueCmb"), DISPATCH_METHOD,
                       {Array(VT_VARIANT, rows.front().array.get())});
    EXPECT_EQ(Hex(DISP_E_TYPEMISMATCH), Hex(out.hr));
    EXPECT_EQ("kept", ItemAt(item.as<_clsPropertyItem>().get(), 0)) << "the list held before stays";
}

TEST(TesselDispatch, ItemsCollectionGetPutrefAndClear) {
    ComPtr<IDispatch> group = NewGroup();
    ComPtr<_Collection> hosts;
    ASSERT_EQ(S_OK, comrt::create_collection(hosts.put()));
    ComPtr<IDispatch> item = NewItem();
    ASSERT_EQ(S_OK, Append(hosts.get(), ObjectVariant(item)));

    ASSERT_EQ(S_OK, Call(group.get(), OLESTR("ItemsCollection"), DISPATCH_PROPERTYPUTREF, Args::put(Object(static_cast<IDispatch*>(hosts.get())))).hr);
    Outcome got = Call(group.get(), OLESTR("ItemsCollection"), DISPATCH_PROPERTYGET);
    ASSERT_EQ(S_OK, got.hr);
    ASSERT_EQ(VT_DISPATCH, got.result.vt());
    EXPECT_EQ(static_cast<IDispatch*>(hosts.get()), got.result->pdispVal) << "the host's own collection";

    // Arguments given to the collection property index the collection, as a script's
    // group.ItemsCollection(1) does; a property that returns no object takes none.
    Outcome first = Call(group.get(), OLESTR("ItemsCollection"), DISPATCH_METHOD | DISPATCH_PROPERTYGET, {I4(1)});
    ASSERT_EQ(S_OK, first.hr);
    ASSERT_EQ(VT_DISPATCH, first.result.vt());
    EXPECT_EQ(item.get(), first.result->pdispVal);
    Outcome beyond = Call(group.get(), OLESTR("ItemsCollection"), DISPATCH_PROPERTYGET, {I4(2)});
    EXPECT_EQ(Hex(DISP_E_EXCEPTION), Hex(beyond.hr));
    EXPECT_EQ(Hex(kSubscript), Hex(beyond.info.scode)) << "the collection's own error";
    EXPECT_EQ(Hex(DISP_E_BADPARAMCOUNT),
              Hex(Call(group.get(), OLESTR("ItemsCollection"), DISPATCH_PROPERTYGET, {I4(1), I4(1)}).hr));
    EXPECT_EQ(Hex(DISP_E_NOTACOLLECTION),
              Hex(Call(group.get(), OLESTR("PropertyGroupName"), DISPATCH_PROPERTYGET, {I4(1)}).hr));

    ASSERT_EQ(S_OK, Call(group.get(), OLESTR("Clear"), DISPATCH_METHOD).hr);
    EXPECT_EQ(0, CountOf(hosts.get()));

    // Clear's type mismatch arrives as error 13.
    ASSERT_EQ(S_OK, Append(hosts.get(), ObjectVariant(group)));
    Outcome mismatch = Call(group.get(), OLESTR("Clear"), DISPATCH_METHOD);
    EXPECT_EQ(Hex(DISP_E_EXCEPTION), Hex(mismatch.hr));
    EXPECT_EQ(Hex(kTypeMismatch), Hex(mismatch.info.scode));
    ASSERT_EQ(S_OK, group.as<_clsTessel>()->putref_ItemsCollection(nullptr));  // break the cycle
}

}  // namespace
