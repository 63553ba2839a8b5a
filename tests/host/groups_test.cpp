// The host helpers without Qt: groups from ordinary strings (the items arrive in order
// with their types, the choice lists start at index 0, a group comes from the registered
// library or from a class factory the caller has), string arrays both ways, and font
// attributes read from and made into font objects.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include <comrt/error.h>
#include <comrt/font_attributes.h>
#include <comrt/library_registration.h>
#include <comrt/objbase.h>
#include <comrt/string_array.h>
#include <tessel/groups.h>
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

// The HRESULT of the com_error that `call` throws; "no failure" when it throws none.
template <typename Call>
std::string FailureOf(Call&& call) {
    try {
        call();
        return "no failure";
    } catch (const comrt::com_error& e) {
        return Hex(e.code());
    }
}

SHORT TypeOf(_clsPropertyItem& item) {
    SHORT type = -1;
    comrt::check(item.get_ItemType(&type));
    return type;
}

TEST_F(GroupsTest, ItemsArriveInOrderWithTheirTypesAndChoices) {
    const auto group = tessel::NewGroup(u"Settings");
    tessel::AddItem(*group, u"Title", u"Report");
    tessel::AddItem(*group, u"Format", u"PDF", {u"HTML", u"PDF"});
    tessel::AddItem(*group, u"Broken", u"kept", {}, tessel::kDropDownItem);
    const std::vector<std::u16string> owned = {u"x", std::u16string(u"y\0z", 3)};
    tessel::AddItem(*group, u"Note", u"n", std::span<const std::u16string>(owned));
    tessel::AddItem(*group, u"Other", u"o", {u"ignored"}, 7);
    pg_testing::AddItem(*group, {u"Described", u"d", {u"only"}});
    EXPECT_EQ(tessel::GroupName(*group), u"Settings");
    EXPECT_EQ(tessel::ItemTexts(*group), (Texts{{u"Title", u"Report"},
                                                {u"Format", u"PDF"},
                                                {u"Broken", u"kept"},
                                                {u"Note", u"n"},
                                                {u"Other", u"o"},
                                                {u"Described", u"d"}}));

    const struct {
        LONG position;
        SHORT type;
        const char* choices;
    } rows[] = {
        {1, tessel::kFreeTextItem, "no list"},        // no choices: free text
        {2, tessel::kDropDownItem, "0:HTML 1:PDF "},  // choices: a drop-down item, its list from 0
        {3, tessel::kDropDownItem, "no list"},        // an empty list stores none
        {4, tessel::kDropDownItem, "0:x 1:y\\u0000z "},  // embedded NULs kept
        {5, 7, "no list"},                            // only a drop-down item keeps a list
        {6, tessel::kDropDownItem, "0:only "},        // a description's choices imply the type
    };
    for (const auto& row : rows) {
        const auto item = tessel::ItemAt(*group, row.position);
        EXPECT_EQ(TypeOf(*item), row.type) << row.position;
        EXPECT_EQ(ChoicesOf(*item), row.choices) << row.position;
    }
    EXPECT_EQ(tessel::ItemCount(*group), 6);
    EXPECT_EQ(tessel::ItemValue(*group, 2), u"PDF");
}

TEST_F(GroupsTest, AnUnnamedEmptyGroupAndItemsOutOfRange) {
    const auto group = pg_testing::NewGroup();
    EXPECT_EQ(pg_testing::ItemCount(*group), 0);
    EXPECT_THAT(pg_testing::ItemTexts(*group), ::testing::IsEmpty());
    EXPECT_EQ(FailureOf([&] { tessel::ItemAt(*group, 1); }),
              Hex(comrt::runtime_hresult(comrt::runtime_error::subscript_out_of_range)))
        << "no item 1";
}

TEST_F(GroupsTest, NeitherAGivenClassFactoryNorTheLibraryBesideTheRuntimeNeedsRegistration) {
    const pg_testing::ServerLibrary tessel(TESSEL_LIBRARY);
    ASSERT_TRUE(tessel.loaded()) << tessel.load_error();
    comrt::ComPtr<IClassFactory> factory;
    ASSERT_EQ(Hex(tessel.get_class_object(CLSID_clsTessel, IID_IClassFactory, factory.put_void())), Hex(S_OK));
    ASSERT_EQ(Hex(comrt::unregister_server_library(TESSEL_LIBRARY)), Hex(S_OK));

    const auto group = pg_testing::MakeGroup(u"Direct", {{u"A", u"1"}}, factory.get());
    EXPECT_EQ(pg_testing::ItemTexts(*group), (Texts{{u"A", u"1"}}));
    EXPECT_EQ(FailureOf([] { EXPECT_EQ(tessel::GroupName(*tessel::NewGroup(u"Beside")), u"Beside"); }), "no failure")
        << "libtessel.so lies beside libcomrt.so, unregistered";
}

TEST(StringArray, KeepsTheLowerBoundAndEveryText) {
    const comrt::SafeArrayPtr array = comrt::MakeStringArray(-2, {u"a", u"", u"c"});
    LONG lower = 0, upper = 0;
    ASSERT_EQ(S_OK, SafeArrayGetLBound(array.get(), 1, &lower));
    ASSERT_EQ(S_OK, SafeArrayGetUBound(array.get(), 1, &upper));
    EXPECT_EQ(lower, -2);
    EXPECT_EQ(upper, 0);
    EXPECT_EQ(comrt::ReadStringArray(array.get()), (std::vector<std::u16string>{u"a", u"", u"c"}));
    EXPECT_EQ(comrt::MakeStringArray(0, {}).get()->rgsabound[0].cElements, 0u);
    EXPECT_THAT(comrt::ReadStringArray(comrt::MakeStringArray(5, {}).get()), ::testing::IsEmpty());
}

TEST(StringArray, ReadingTakesNullElementsAsEmptyAndRefusesOtherArrays) {
    comrt::SafeArrayPtr holes(SafeArrayCreateVector(VT_BSTR, 1, 2));  // both elements null
    ASSERT_TRUE(holes);
    LONG second = 2;
    ASSERT_EQ(S_OK, SafeArrayPutElement(holes.get(), &second, comrt::Bstr(u"set").get()));
    EXPECT_EQ(comrt::ReadStringArray(holes.get()), (std::vector<std::u16string>{u"", u"set"}));

    const auto refused = [](SAFEARRAY* array) { return FailureOf([&] { comrt::ReadStringArray(array); }); };
    EXPECT_EQ(refused(nullptr), Hex(E_INVALIDARG));
    const comrt::SafeArrayPtr numbers(SafeArrayCreateVector(VT_I4, 0, 2));
    EXPECT_EQ(refused(numbers.get()), Hex(DISP_E_TYPEMISMATCH));
    SAFEARRAYBOUND bounds[2] = {{2, 0}, {2, 0}};
    const comrt::SafeArrayPtr table(SafeArrayCreate(VT_BSTR, 2, bounds));
    EXPECT_EQ(refused(table.get()), Hex(DISP_E_BADINDEX));
}

TEST(FontAttributes, AFontObjectMadeFromAttributesReadsBackTheSame) {
    comrt::FontAttributes wanted;
    wanted.name = u"DejaVu Sans";
    wanted.size.int64 = 123456;  // 12.3456 points: no rounding on the way
    wanted.weight = 650;
    wanted.charset = 2;
    wanted.italic = true;
    wanted.strikethrough = true;
    const comrt::ComPtr<IFontDisp> font = comrt::CreateFontObject(wanted);
    EXPECT_TRUE(comrt::ReadFontAttributes(font.get()) == wanted);

    // A copy made through the object's own interface reads the same: one reader serves
    // every font object.
    comrt::ComPtr<IFont> clone;
    ASSERT_EQ(S_OK, font.as<IFont>()->Clone(clone.put()));
    EXPECT_TRUE(comrt::ReadFontAttributes(clone.get()) == wanted);
    EXPECT_EQ(S_OK, clone->IsEqual(font.as<IFont>().get()));
    ASSERT_EQ(S_OK, clone->put_Underline(TRUE));
    EXPECT_EQ(S_FALSE, clone->IsEqual(font.as<IFont>().get()));
}

TEST(FontAttributes, NoObjectOrNoFontIsAnError) {
    const auto failure = [](IUnknown* object) { return FailureOf([&] { comrt::ReadFontAttributes(object); }); };
    EXPECT_EQ(failure(nullptr), Hex(E_POINTER));
    comrt::ComPtr<IUnknown> collection;
    ASSERT_EQ(S_OK, CoCreateInstance(CLSID_Collection, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                                     collection.put_void()));
    EXPECT_EQ(failure(collection.get()), Hex(E_NOINTERFACE));

    comrt::FontAttributes nameless;
    nameless.size.int64 = 100000;
    EXPECT_EQ(FailureOf([&] { comrt::CreateFontObject(nameless); }), Hex(E_INVALIDARG)) << "a font needs a name";
}

}  // namespace
