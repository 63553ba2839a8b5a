// clsTessel and clsPropertyItem late bound: names to dispatch ids, argument coercion,
// by-value and by-reference arguments, and errors surfacing through EXCEPINFO.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "clsPropertyItem.h"
#include "clsTessel.h"
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
DISPID IdOf(IDispatch* object, const char16_t* name, HRESULT* hr = nullptr) {
    return pg_testing::DispatchId(object, name, hr);
}

ComPtr<IDispatch> NewItem() { return comrt::make<tessel::clsPropertyItem>().as<IDispatch>(); }
ComPtr<IDispatch> NewGroup() { return comrt::make<tessel::clsTessel>().as<IDispatch>(); }

TEST(TesselDispatch, NamesMapToTheirDispatchIds) {
    struct Row {
        const char16_t* name;
        DISPID id;
    };
    const Row items[] = {
        {u"ItemName", 0x40030000}, {u"ItemValue", 0x40030001}, {u"ItemType", 0x40030002},
        {u"SetValueCmb", 0x60030000}, {u"GetItem", 0x60030001}, {u"Count", 0x60030002},
    };
    const Row groups[] = {
        {u"PropertyGroupName", 0x40030000},
        {u"ItemsCollection", 0x40030001},
        {u"AddItem", 0x60030000},
        {u"Clear", 0x60030001},
    };
    ComPtr<IDispatch> item = NewItem();
    for (const Row& row : items) EXPECT_EQ(Hex(row.id), Hex(IdOf(item.get(), row.name))) << Printable(row.name);
    ComPtr<IDispatch> group = NewGroup();
    for (const Row& row : groups) EXPECT_EQ(Hex(row.id), Hex(IdOf(group.get(), row.name))) << Printable(row.name);

    HRESULT hr = S_OK;
    IdOf(item.get(), u"PropertyGroupName", &hr);
    EXPECT_EQ(Hex(DISP_E_UNKNOWNNAME), Hex(hr));
    IdOf(group.get(), u"ItemName", &hr);
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
        Outcome put = Call(item.get(), u"ItemType", DISPATCH_PROPERTYPUT, Args::put(row.value));
        EXPECT_EQ(Hex(row.hr), Hex(put.hr));
        if (FAILED(row.hr)) {
            EXPECT_EQ(0u, put.arg_err) << "the failing argument";
        }
        SHORT stored = 0;
        ASSERT_EQ(S_OK, direct->get_ItemType(&stored));
        EXPECT_EQ(row.stored, stored) << "a failing put changes nothing";
    }
    Outcome get = Call(item.get(), u"ItemType", DISPATCH_PROPERTYGET);
    ASSERT_EQ(S_OK, get.hr);
    EXPECT_EQ(VT_I2, get.result.vt());
    EXPECT_EQ(1, get.result->iVal);
}

TEST(TesselDispatch, ItemStringsAndChoiceList) {
    ComPtr<IDispatch> item = NewItem();
    ASSERT_EQ(S_OK, Call(item.get(), u"ItemName", DISPATCH_PROPERTYPUT, Args::put(Text(u"Caption"))).hr);
    Outcome got = Call(item.get(), u"ItemName", DISPATCH_PROPERTYGET);
    ASSERT_EQ(S_OK, got.hr);
    ASSERT_EQ(VT_BSTR, got.result.vt());
    EXPECT_EQ("Caption", Printable(got.result->bstrVal));

    comrt::SafeArrayPtr values = StringArray(0, {u"yes", u"no"});
    SAFEARRAY* array = values.get();
    ASSERT_EQ(S_OK, Call(item.get(), u"SetValueCmb", DISPATCH_METHOD, {Ref(VT_ARRAY | VT_BSTR, &array)}).hr);
    EXPECT_EQ(values.get(), array) << "the by-reference array is not replaced";

    Outcome count = Call(item.get(), u"Count", DISPATCH_METHOD);
    ASSERT_EQ(S_OK, count.hr);
    EXPECT_EQ(VT_I2, count.result.vt());
    EXPECT_EQ(1, count.result->iVal);

    SHORT index = 1;
    Outcome by_ref = Call(item.get(), u"GetItem", DISPATCH_METHOD, {Ref(VT_I2, &index)});
    ASSERT_EQ(S_OK, by_ref.hr);
    EXPECT_EQ("no", Printable(by_ref.result->bstrVal));
    Outcome by_value = Call(item.get(), u"GetItem", DISPATCH_METHOD | DISPATCH_PROPERTYGET, {I4(0)});
    ASSERT_EQ(S_OK, by_value.hr);
    EXPECT_EQ("yes", Printable(by_value.result->bstrVal));
}

TEST(TesselDispatch, FailingGetItemSurfacesErrorNine) {
    ComPtr<IDispatch> item = NewItem();
    Outcome out = Call(item.get(), u"GetItem", DISPATCH_METHOD, {I2(0)});
    EXPECT_EQ(Hex(DISP_E_EXCEPTION), Hex(out.hr));
    EXPECT_EQ(Hex(kSubscript), Hex(out.info.scode));
    EXPECT_EQ("Tessel", Printable(out.info.bstrSource));
    EXPECT_EQ("Subscript out of range", Printable(out.info.bstrDescription));
    EXPECT_EQ(VT_EMPTY, out.result.vt());
}

TEST(TesselDispatch, AddItemTakesArgumentsByValueOrByReference) {
    ComPtr<IDispatch> group = NewGroup();
    ComPtr<_clsTessel> direct = group.as<_clsTessel>();
    comrt::SafeArrayPtr values = StringArray(0, {u"A", u"B"});

    // By value, with nType given as a 32-bit integer.
    Outcome first = Call(group.get(), u"AddItem", DISPATCH_METHOD,
                         {Text(u"ByValue"), Text(u"1"), I4(1), Array(VT_BSTR, values.get())});
    ASSERT_EQ(S_OK, first.hr);
    EXPECT_EQ(VT_I4, first.result.vt());
    EXPECT_EQ(0, first.result->lVal);

    // By reference: the caller's variables come back unchanged.
    Bstr n2(u"ByRef"), v2(u"2");
    BSTR name = n2.get(), value = v2.get();
    SHORT type = 0;
    SAFEARRAY* array = values.get();
    Outcome second = Call(group.get(), u"AddItem", DISPATCH_METHOD,
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
    Outcome overflow = Call(group.get(), u"AddItem", DISPATCH_METHOD,
                            {Text(u"ByValue"), Text(u"1"), I4(70000), Array(VT_BSTR, nullptr)});
    EXPECT_EQ(Hex(DISP_E_OVERFLOW), Hex(overflow.hr));
    EXPECT_EQ(2, CountOf(items.get()));
}

TEST(TesselDispatch, ItemsCollectionGetPutrefAndClear) {
    ComPtr<IDispatch> group = NewGroup();
    ComPtr<_Collection> hosts;
    ASSERT_EQ(S_OK, comrt::create_collection(hosts.put()));
    ComPtr<IDispatch> item = NewItem();
    ASSERT_EQ(S_OK, Append(hosts.get(), ObjectVariant(item)));

    ASSERT_EQ(S_OK, Call(group.get(), u"ItemsCollection", DISPATCH_PROPERTYPUTREF, Args::put(Object(static_cast<IDispatch*>(hosts.get())))).hr);
    Outcome got = Call(group.get(), u"ItemsCollection", DISPATCH_PROPERTYGET);
    ASSERT_EQ(S_OK, got.hr);
    ASSERT_EQ(VT_DISPATCH, got.result.vt());
    EXPECT_EQ(static_cast<IDispatch*>(hosts.get()), got.result->pdispVal) << "the host's own collection";

    ASSERT_EQ(S_OK, Call(group.get(), u"Clear", DISPATCH_METHOD).hr);
    EXPECT_EQ(0, CountOf(hosts.get()));

    // Clear's type mismatch arrives as error 13.
    ASSERT_EQ(S_OK, Append(hosts.get(), ObjectVariant(group)));
    Outcome mismatch = Call(group.get(), u"Clear", DISPATCH_METHOD);
    EXPECT_EQ(Hex(DISP_E_EXCEPTION), Hex(mismatch.hr));
    EXPECT_EQ(Hex(kTypeMismatch), Hex(mismatch.info.scode));
    ASSERT_EQ(S_OK, group.as<_clsTessel>()->putref_ItemsCollection(nullptr));  // break the cycle
}

}  // namespace
