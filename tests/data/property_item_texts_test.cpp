// clsPropertyItem's name and value share one block: each put replaces one text and must
// leave the other intact, whatever the lengths before and after.
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <string_view>

#include <data/clsPropertyItem.h>
#include "tessel_test_util.h"

namespace {

using namespace tessel_test;
using comrt::Bstr;
using comrt::ComPtr;

enum class Field { name, value };

struct Put {
    Field field;
    comrt::olestring_view text;  // a default (null) view is put as a null BSTR
    const char* name;          // both texts afterwards, as Printable shows them
    const char* value;
};

TEST(PropertyItemTexts, EachPutKeepsTheOtherText) {
    const comrt::olestring_view nul_inside(OLESTR("x\0y"), 3);
    struct Row {
        const char* case_name;
        std::initializer_list<Put> puts;
    } rows[] = {
        {"value first, then name",
         {{Field::value, OLESTR("v"), "", "v"}, {Field::name, OLESTR("name"), "name", "v"}}},
        {"name grows and shrinks before the value",
         {{Field::name, OLESTR("ab"), "ab", ""},
          {Field::value, OLESTR("value"), "ab", "value"},
          {Field::name, OLESTR("a much longer name"), "a much longer name", "value"},
          {Field::name, OLESTR("n"), "n", "value"}}},
        {"value grows and shrinks after the name",
         {{Field::name, OLESTR("name"), "name", ""},
          {Field::value, OLESTR("1"), "name", "1"},
          {Field::value, OLESTR("123456789012"), "name", "123456789012"},
          {Field::value, OLESTR(""), "name", ""}}},
        {"emptied texts come back",
         {{Field::name, OLESTR("n"), "n", ""},
          {Field::value, OLESTR("v"), "n", "v"},
          {Field::name, {}, "", "v"},
          {Field::value, OLESTR(""), "", ""},
          {Field::value, OLESTR("again"), "", "again"},
          {Field::name, OLESTR("N"), "N", "again"}}},
        {"NULs inside and at the ends",
         {{Field::name, nul_inside, "x\\u0000y", ""},
          {Field::value, comrt::olestring_view(OLESTR("\0"), 1), "x\\u0000y", "\\u0000"},
          {Field::name, comrt::olestring_view(OLESTR("\0\0"), 2), "\\u0000\\u0000", "\\u0000"}}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.case_name);
        ComPtr<_clsPropertyItem> item = comrt::make<tessel::clsPropertyItem>();
        int step = 0;
        for (const Put& put : row.puts) {
            ++step;
            Bstr given = put.text.data() ? Bstr(put.text) : Bstr();
            const HRESULT hr =
                put.field == Field::name ? item->put_ItemName(given.get()) : item->put_ItemValue(given.get());
            ASSERT_EQ(Hex(S_OK), Hex(hr)) << "step " << step;
            EXPECT_EQ(put.name, Name(item.get())) << "step " << step;
            EXPECT_EQ(put.value, Value(item.get())) << "step " << step;
        }
    }
}

// A get hands out a new string every time: the caller may change or free it.
TEST(PropertyItemTexts, GetsReturnStringsOfTheirOwn) {
    ComPtr<_clsPropertyItem> item = comrt::make<tessel::clsPropertyItem>();
    for (bool set : {false, true}) {
        SCOPED_TRACE(set ? "set" : "unset");
        if (set) {
            ASSERT_EQ(S_OK, item->put_ItemName(Bstr(OLESTR("name")).get()));
            ASSERT_EQ(S_OK, item->put_ItemValue(Bstr(OLESTR("value")).get()));
        }
        Bstr first;
        Bstr second;
        ASSERT_EQ(S_OK, item->get_ItemValue(first.put()));
        ASSERT_EQ(S_OK, item->get_ItemValue(second.put()));
        ASSERT_NE(nullptr, first.get()) << "an unset text reads as an empty string, not as null";
        EXPECT_NE(first.get(), second.get());
        EXPECT_EQ(OLESTR('\0'), first.get()[first.length()]) << "the string handed out ends in a NUL";
        if (set) first.get()[0] = OLESTR('#');
        EXPECT_EQ(set ? "value" : "", Value(item.get()));
        EXPECT_EQ(set ? "name" : "", Name(item.get()));
    }
    EXPECT_EQ(Hex(E_POINTER), Hex(item->get_ItemName(nullptr)));
    EXPECT_EQ(Hex(E_POINTER), Hex(item->get_ItemValue(nullptr)));
}

}  // namespace
