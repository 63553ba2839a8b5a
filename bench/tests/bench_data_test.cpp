// The benchmarks' data: texts of exactly 12 code units, and groups made through the
// registered library.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include <comrt/objbase.h>
#include <testing/groups.h>
#include <testing/temporary_registry.h>
#include <testing/text.h>

#include "bench_data.h"

namespace bench {
namespace {

using pg_testing::Printable;

TEST(BenchTexts, EveryTextHasTwelveCodeUnitsAndIsUnique) {
    const ItemTexts texts = MakeItemTexts(32767);
    ASSERT_EQ(texts.size(), 32767u);
    ASSERT_EQ(texts.name_bstrs.size(), 32767u);
    std::set<std::u16string> seen;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        ASSERT_EQ(texts.names[i].size(), kTextLength) << Printable(texts.names[i]);
        ASSERT_EQ(texts.values[i].size(), kTextLength) << Printable(texts.values[i]);
        ASSERT_EQ(texts.name_bstrs[i].view(), texts.names[i]) << "the BSTR holds the same text, row " << i;
        ASSERT_EQ(texts.value_bstrs[i].view(), texts.values[i]) << "row " << i;
        seen.insert(texts.names[i]);
        seen.insert(texts.values[i]);
    }
    EXPECT_EQ(seen.size(), 2 * texts.size()) << "names and values are all different";
    EXPECT_EQ(Printable(texts.names.front()), "Name00000001");
    EXPECT_EQ(Printable(texts.values.back()), "Value0032767");
    EXPECT_EQ(MakeItemTexts(0).size(), 0u);
    EXPECT_EQ(Printable(PaddedText(u"Choice", 32768)), "Choice032768");
}

// Groups through the registered library: AddItems appends every text in order, and the
// choice group holds one drop-down item whose list runs from index 0 to the last choice.
TEST(BenchGroups, AddItemsAppendsAndTheChoiceGroupHoldsTheWholeList) {
    const pg_testing::TemporaryRegistry registry({TESSEL_LIBRARY});
    ASSERT_EQ(registry.status(), S_OK) << registry.failure();
    {
        const comrt::ComPtr<_clsTessel> group = pg_testing::NewGroup();
        const ItemTexts texts = MakeItemTexts(3);
        AddItems(*group, texts);
        AddItems(*group, texts);
        ASSERT_EQ(pg_testing::ItemCount(*group), 6);
        const auto read = pg_testing::ItemTexts(*group);
        EXPECT_EQ(Printable(read[1].first), "Name00000002");
        EXPECT_EQ(Printable(read[5].second), "Value0000003");

        const comrt::ComPtr<_clsTessel> choices = ChoiceGroup(5);
        ASSERT_EQ(pg_testing::ItemCount(*choices), 1);
        const comrt::ComPtr<_clsPropertyItem> item = pg_testing::ItemAt(*choices, 1);
        SHORT upper = 0;
        ASSERT_EQ(item->Count(&upper), S_OK);
        EXPECT_EQ(upper, 4) << "five choices from index 0";
        comrt::Bstr value;
        ASSERT_EQ(item->get_ItemValue(value.put()), S_OK);
        EXPECT_EQ(Printable(value.view()), "Choice000005") << "the last choice";
        SHORT type = 0;
        ASSERT_EQ(item->get_ItemType(&type), S_OK);
        EXPECT_EQ(type, 1);
    }
    CoFreeUnusedLibraries();
}

}  // namespace
}  // namespace bench
