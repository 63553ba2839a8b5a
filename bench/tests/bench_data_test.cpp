// The benchmarks' own registry and data: texts of exactly 12 code units, groups made
// through the registered library, and a registry that leaves nothing behind.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>

#include <comrt/registry.h>

#include "bench_data.h"
#include "bench_registry.h"

namespace bench {
namespace {

std::string Utf8(std::u16string_view text) { return std::string(text.begin(), text.end()); }

TEST(BenchTexts, EveryTextHasTwelveCodeUnitsAndIsUnique) {
    const ItemTexts texts = MakeItemTexts(32767);
    ASSERT_EQ(texts.size(), 32767u);
    ASSERT_EQ(texts.name_bstrs.size(), 32767u);
    std::set<std::u16string> seen;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        ASSERT_EQ(texts.names[i].size(), kTextLength) << Utf8(texts.names[i]);
        ASSERT_EQ(texts.values[i].size(), kTextLength) << Utf8(texts.values[i]);
        ASSERT_EQ(texts.name_bstrs[i].view(), texts.names[i]) << "the BSTR holds the same text, row " << i;
        ASSERT_EQ(texts.value_bstrs[i].view(), texts.values[i]) << "row " << i;
        seen.insert(texts.names[i]);
        seen.insert(texts.values[i]);
    }
    EXPECT_EQ(seen.size(), 2 * texts.size()) << "names and values are all different";
    EXPECT_EQ(Utf8(texts.names.front()), "Name00000001");
    EXPECT_EQ(Utf8(texts.values.back()), "Value0032767");
    EXPECT_EQ(MakeItemTexts(0).size(), 0u);
    EXPECT_EQ(Utf8(PaddedText(u"Choice", 32768)), "Choice032768");
}

class BenchRegistry : public ::testing::Test {
protected:
    static std::string Variable() {
        const char* value = std::getenv("COMRT_REGISTRY");
        return value ? value : "(unset)";
    }
};

TEST_F(BenchRegistry, RegistersInAFolderOfItsOwnAndRemovesItAfterwards) {
    const std::string outside = Variable();
    std::string path;
    {
        const ScopedRegistry registry({TESSEL_LIBRARY});
        ASSERT_EQ(registry.status(), S_OK) << registry.failure();
        path = Variable();
        EXPECT_NE(path, outside);
        comrt::class_registration found;
        EXPECT_EQ(comrt::find_class(CLSID_clsTessel, found), S_OK);
        EXPECT_EQ(found.server, TESSEL_LIBRARY);
        EXPECT_TRUE(std::filesystem::exists(path));

        // Groups from the registered library.
        const comrt::ComPtr<_clsTessel> group = NewGroup();
        const ItemTexts texts = MakeItemTexts(3);
        AddItems(*group, texts);
        AddItems(*group, texts);
        EXPECT_EQ(ItemCount(*group), 6);

        const comrt::ComPtr<_clsTessel> choices = ChoiceGroup(5);
        ASSERT_EQ(ItemCount(*choices), 1);
        comrt::ComPtr<_Collection> items;
        ASSERT_EQ(choices->get_ItemsCollection(items.put()), S_OK);
        comrt::Variant position;
        position->vt = VT_I4;
        position->lVal = 1;
        comrt::Variant element;
        ASSERT_EQ(items->Item(position.get(), element.put()), S_OK);
        const auto item = comrt::ComPtr<IDispatch>(element->pdispVal).as<_clsPropertyItem>();
        SHORT upper = 0;
        ASSERT_EQ(item->Count(&upper), S_OK);
        EXPECT_EQ(upper, 4) << "five choices from index 0";
        comrt::Bstr value;
        ASSERT_EQ(item->get_ItemValue(value.put()), S_OK);
        EXPECT_EQ(Utf8(value.view()), "Choice000005") << "the last choice";
        SHORT type = 0;
        ASSERT_EQ(item->get_ItemType(&type), S_OK);
        EXPECT_EQ(type, 1);
    }
    EXPECT_EQ(Variable(), outside) << "the variable is restored";
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(path).parent_path())) << path;
}

TEST_F(BenchRegistry, ReportsALibraryThatCannotBeRegistered) {
    const std::string outside = Variable();
    struct Row {
        const char* library;
        HRESULT status;
    } rows[] = {
        {"/nonexistent/libmissing.so", CO_E_DLLNOTFOUND},
        {COMRT_LIBRARY, E_NOTIMPL},  // loads, but serves no classes
    };
    for (const Row& row : rows) {
        const ScopedRegistry registry({row.library});
        EXPECT_EQ(registry.status(), row.status) << row.library;
        EXPECT_FALSE(registry.failure().empty()) << row.library;
    }
    EXPECT_EQ(Variable(), outside);
}

}  // namespace
}  // namespace bench
