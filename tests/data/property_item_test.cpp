// clsPropertyItem through its direct interface: fields, the choice list and its errors.
#include <gtest/gtest.h>

#include <utility>

#include <data/clsPropertyItem.h>
#include "tessel_test_util.h"

namespace {

using namespace tessel_test;
using comrt::Bstr;
using comrt::ComPtr;

ComPtr<_clsPropertyItem> NewItem() { return comrt::make<tessel::clsPropertyItem>(); }

HRESULT SetList(_clsPropertyItem* item, SAFEARRAY* array) {
    SAFEARRAY* given = array;
    const HRESULT hr = item->SetValueCmb(&given);
    EXPECT_EQ(array, given) << "the argument is not changed";
    return hr;
}

TEST(PropertyItem, NewItemIsEmptyWithoutList) {
    ComPtr<_clsPropertyItem> item = NewItem();
    SHORT type = 77;
    ASSERT_EQ(S_OK, item->get_ItemType(&type));
    EXPECT_EQ(0, type);
    EXPECT_EQ("", Name(item.get()));
    EXPECT_EQ("", Value(item.get()));
    EXPECT_EQ(kNoList, CountText(item.get()));

    TakeErrorInfo();
    SHORT index = 0;
    BSTR poisoned = reinterpret_cast<BSTR>(0x1);
    EXPECT_EQ(Hex(kSubscript), Hex(item->GetItem(&index, &poisoned)));
    EXPECT_EQ(nullptr, poisoned) << "a failing GetItem returns no string";
    EXPECT_EQ("Tessel: Subscript out of range", TakeErrorInfo());
}

TEST(PropertyItem, FieldsStoreCopies) {
    ComPtr<_clsPropertyItem> item = NewItem();
    for (comrt::olestring_view text : {comrt::olestring_view(OLESTR("a\0b"), 3), comrt::olestring_view(OLESTR("\u00e9\u4e2d"))}) {
        Bstr given(text);
        ASSERT_EQ(S_OK, item->put_ItemName(given.get()));
        ASSERT_EQ(S_OK, item->put_ItemValue(given.get()));
        given.get()[0] = OLESTR('#');  // the caller changes its string afterwards
        EXPECT_EQ(Printable(text), Name(item.get()));
        EXPECT_EQ(Printable(text), Value(item.get()));
    }
    ASSERT_EQ(S_OK, item->put_ItemName(nullptr));
    EXPECT_EQ("", Name(item.get())) << "a null string is the empty string";
    for (SHORT type : {SHORT(-32768), SHORT(32767)}) {
        SHORT read = 0;
        ASSERT_EQ(S_OK, item->put_ItemType(type));
        ASSERT_EQ(S_OK, item->get_ItemType(&read));
        EXPECT_EQ(type, read);
    }
}

TEST(PropertyItem, ChoiceListKeepsTheCallersBounds) {
    struct Row {
        const char* name;
        LONG lower;
        std::initializer_list<comrt::olestring_view> texts;
        const char* count;
        std::initializer_list<std::pair<SHORT, const char*>> reads;  // index, text ("" for error 9)
    } rows[] = {
        {"base 0", 0, {OLESTR("s0"), OLESTR("s1"), OLESTR("s2")}, "2", {{0, "s0"}, {2, "s2"}, {3, ""}, {-1, ""}}},
        {"base 1", 1, {OLESTR("s0"), OLESTR("s1"), OLESTR("s2")}, "3", {{1, "s0"}, {3, "s2"}, {0, ""}}},
        {"negative base", -2, {OLESTR("a"), OLESTR("b")}, "-1", {{-2, "a"}, {-1, "b"}, {0, ""}}},
        {"no elements", 0, {}, "-1", {{0, ""}, {-1, ""}}},
        {"at the top", 32767, {OLESTR("last")}, "32767", {{32767, "last"}, {32766, ""}}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ComPtr<_clsPropertyItem> item = NewItem();
        comrt::SafeArrayPtr values = StringArray(row.lower, row.texts);
        ASSERT_EQ(S_OK, SetList(item.get(), values.get()));
        EXPECT_EQ(row.count, CountText(item.get()));
        for (auto [index, text] : row.reads)
            EXPECT_EQ(*text ? text : kError9, ItemAt(item.get(), index)) << "GetItem(" << index << ")";
    }
}

TEST(PropertyItem, UpperBoundOutside16BitsOverflowsCountOnly) {
    ComPtr<_clsPropertyItem> item = NewItem();
    comrt::SafeArrayPtr values = EmptyStrings(0, 32769);  // upper bound 32768
    PutString(values.get(), 32767, OLESTR("at 32767"));
    ASSERT_EQ(S_OK, SetList(item.get(), values.get()));
    EXPECT_EQ("error " + Hex(kOverflow) + " (result 0)", CountText(item.get()));
    EXPECT_EQ("at 32767", ItemAt(item.get(), 32767)) << "GetItem still reads up to 32767";

    comrt::SafeArrayPtr below = EmptyStrings(-32768, 0);  // upper bound -32769
    ASSERT_EQ(S_OK, SetList(item.get(), below.get()));
    EXPECT_EQ("error " + Hex(kOverflow) + " (result 0)", CountText(item.get()));
}

TEST(PropertyItem, ListIsTheItemsOwnCopyUntilReplaced) {
    ComPtr<_clsPropertyItem> item = NewItem();
    comrt::SafeArrayPtr values = StringArray(0, {OLESTR("red"), OLESTR("green")});
    ASSERT_EQ(S_OK, SetList(item.get(), values.get()));
    PutString(values.get(), 0, OLESTR("changed"));
    values.reset();
    EXPECT_EQ("red", ItemAt(item.get(), 0)) << "the caller's changes do not reach the item";
    EXPECT_EQ("green", ItemAt(item.get(), 1));

    comrt::SafeArrayPtr other = StringArray(5, {OLESTR("x")});
    ASSERT_EQ(S_OK, SetList(item.get(), other.get()));
    EXPECT_EQ("5", CountText(item.get())) << "a second call replaces the whole list";
    EXPECT_EQ(kError9, ItemAt(item.get(), 0));

    ASSERT_EQ(S_OK, SetList(item.get(), nullptr));
    EXPECT_EQ(kNoList, CountText(item.get())) << "no array removes the list";
}

TEST(PropertyItem, TwoDimensionalListCountsButCannotBeRead) {
    ComPtr<_clsPropertyItem> item = NewItem();
    SAFEARRAYBOUND bounds[2] = {{3, 1}, {2, 0}};  // first dimension 1..3, second 0..1
    comrt::SafeArrayPtr values(SafeArrayCreate(VT_BSTR, 2, bounds));
    ASSERT_TRUE(values);
    ASSERT_EQ(S_OK, SetList(item.get(), values.get()));
    EXPECT_EQ("3", CountText(item.get()));
    for (SHORT index : {0, 1, 3}) EXPECT_EQ(kError9, ItemAt(item.get(), index)) << "GetItem(" << index << ")";
}

TEST(PropertyItem, TypeAndListAreIndependent) {
    ComPtr<_clsPropertyItem> item = NewItem();
    ASSERT_EQ(S_OK, item->put_ItemType(1));
    EXPECT_EQ(kNoList, CountText(item.get())) << "ItemType 1 creates no list";

    comrt::SafeArrayPtr values = StringArray(0, {OLESTR("kept")});
    ASSERT_EQ(S_OK, SetList(item.get(), values.get()));
    ASSERT_EQ(S_OK, item->put_ItemType(0));
    EXPECT_EQ("kept", ItemAt(item.get(), 0)) << "writing ItemType keeps the list";
}

TEST(PropertyItem, FailedSetValueCmbKeepsTheOldList) {
    ComPtr<_clsPropertyItem> item = NewItem();
    comrt::SafeArrayPtr values = StringArray(0, {OLESTR("kept")});
    ASSERT_EQ(S_OK, SetList(item.get(), values.get()));

    // Only strings make a list.
    comrt::SafeArrayPtr numbers(SafeArrayCreateVector(VT_I4, 0, 2));
    EXPECT_EQ(Hex(kTypeMismatch), Hex(SetList(item.get(), numbers.get())));
    EXPECT_EQ("kept", ItemAt(item.get(), 0));

    // A copy that fails passes its own error on (an element size of 0 makes any array
    // unusable, to comrt and to the system alike).
    comrt::SafeArrayPtr broken = StringArray(0, {OLESTR("x")});
    const ULONG size = std::exchange(broken.get()->cbElements, 0);
    EXPECT_EQ(Hex(E_INVALIDARG), Hex(SetList(item.get(), broken.get())));
    broken.get()->cbElements = size;
    EXPECT_EQ("kept", ItemAt(item.get(), 0));
    EXPECT_EQ("0", CountText(item.get()));
}

}  // namespace
