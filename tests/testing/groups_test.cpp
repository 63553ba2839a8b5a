// Groups from ordinary strings: the items arrive in order with the type their choices
// imply, the choice lists start at index 0, and a group comes from the registered library
// or from a class factory the caller has.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include <comrt/error.h>
#include <comrt/library_registration.h>
#include <comrt/objbase.h>
#include <testing/groups.h>
#include <testing/registry_fixture.h>
#include <testing/server_library.h>
#include <testing/text.h>

namespace {

using pg_testing::Hex;
using pg_testing::Item;
using pg_testing::Printable;
using Texts = std::vector<std::pair<std::u16string, std::u16string>>;

class GroupsTest : public pg_testing::TemporaryRegistryTest {
protected:
    void SetUp() override {
        TemporaryRegistryTest::SetUp();
        ASSERT_EQ(Hex(registry_.add(TESSEL_LIBRARY)), Hex(S_OK)) << registry_.failure();
    }
    void TearDown() override { CoFreeUnusedLibraries(); }
};

std::string ChoicesOf(_clsPropertyItem& item) {
    SHORT upper = 0;
    if (FAILED(item.Count(&upper))) return "no list";
    std::string out;
    for (SHORT i = 0; i <= upper; ++i) {
        comrt::Bstr text;
        SHORT index = i;
        comrt::check(item.GetItem(&index, text.put()));
        out += std::to_string(i) + ":" + Printable(text.view()) + " ";
    }
    return out;
}

SHORT TypeOf(_clsPropertyItem& item) {
    SHORT type = -1;
    comrt::check(item.get_ItemType(&type));
    return type;
}

TEST_F(GroupsTest, ItemsArriveInOrderWithTheirTypesAndChoices) {
    const auto group = pg_testing::MakeGroup(u"Settings", {{u"Title", u"Report"},
                                                           {u"Format", u"PDF", {u"HTML", u"PDF"}},
                                                           {u"Broken", u"kept", {}, 1},
                                                           {u"Note", u"n", {}, 7}});
    comrt::Bstr name;
    ASSERT_EQ(S_OK, group->get_PropertyGroupName(name.put()));
    EXPECT_EQ(name.view(), u"Settings");
    EXPECT_EQ(pg_testing::ItemTexts(*group),
              (Texts{{u"Title", u"Report"}, {u"Format", u"PDF"}, {u"Broken", u"kept"}, {u"Note", u"n"}}));

    const struct {
        LONG position;
        SHORT type;
        const char* choices;
    } rows[] = {
        {1, 0, "no list"},        // no choices: free text
        {2, 1, "0:HTML 1:PDF "},  // choices: a drop-down item, its list from 0
        {3, 1, "no list"},        // a type given overrides the default
        {4, 7, "no list"},
    };
    for (const auto& row : rows) {
        const auto item = pg_testing::ItemAt(*group, row.position);
        EXPECT_EQ(TypeOf(*item), row.type) << row.position;
        EXPECT_EQ(ChoicesOf(*item), row.choices) << row.position;
    }
    EXPECT_EQ(pg_testing::ItemCount(*group), 4);
    EXPECT_EQ(pg_testing::ItemValue(*group, 2), u"PDF");
}

TEST_F(GroupsTest, AnUnnamedEmptyGroupAndItemsOutOfRange) {
    const auto group = pg_testing::NewGroup();
    EXPECT_EQ(pg_testing::ItemCount(*group), 0);
    EXPECT_THAT(pg_testing::ItemTexts(*group), ::testing::IsEmpty());
    try {
        pg_testing::ItemAt(*group, 1);
        ADD_FAILURE() << "no item 1";
    } catch (const comrt::com_error& e) {
        EXPECT_EQ(Hex(e.code()), Hex(comrt::runtime_hresult(comrt::runtime_error::subscript_out_of_range)));
    }
}

TEST_F(GroupsTest, AGivenClassFactoryNeedsNoRegistration) {
    const pg_testing::ServerLibrary tessel(TESSEL_LIBRARY);
    ASSERT_TRUE(tessel.loaded()) << tessel.load_error();
    comrt::ComPtr<IClassFactory> factory;
    ASSERT_EQ(Hex(tessel.get_class_object(CLSID_clsTessel, IID_IClassFactory, factory.put_void())), Hex(S_OK));
    ASSERT_EQ(Hex(comrt::unregister_server_library(TESSEL_LIBRARY)), Hex(S_OK));

    const auto group = pg_testing::MakeGroup(u"Direct", {{u"A", u"1"}}, factory.get());
    EXPECT_EQ(pg_testing::ItemTexts(*group), (Texts{{u"A", u"1"}}));
    try {
        pg_testing::NewGroup(u"Registered");
        ADD_FAILURE() << "the library is no longer registered";
    } catch (const comrt::com_error& e) {
        EXPECT_EQ(Hex(e.code()), Hex(REGDB_E_CLASSNOTREG));
    }
}

TEST(StringArray, KeepsTheLowerBoundAndEveryText) {
    const comrt::SafeArrayPtr array = pg_testing::StringArray(-2, {u"a", u"", u"c"});
    LONG lower = 0, upper = 0;
    ASSERT_EQ(S_OK, SafeArrayGetLBound(array.get(), 1, &lower));
    ASSERT_EQ(S_OK, SafeArrayGetUBound(array.get(), 1, &upper));
    EXPECT_EQ(lower, -2);
    EXPECT_EQ(upper, 0);
    std::u16string joined;
    for (LONG i = lower; i <= upper; ++i) {
        BSTR text = nullptr;
        ASSERT_EQ(S_OK, SafeArrayGetElement(array.get(), &i, &text));
        joined += std::u16string(comrt::Bstr::view_of(text)) + u"|";
        SysFreeString(text);
    }
    EXPECT_EQ(joined, u"a||c|");
    EXPECT_EQ(pg_testing::StringArray(0, {}).get()->rgsabound[0].cElements, 0u);
}

}  // namespace
