// The group collection and its display on the fakes: AddPropertyGroup, Clear,
// SelectPropertyGroup and the selector's Click.
#include <gmock/gmock.h>

#include "control_fixture.h"

namespace orvane::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class GroupsTest : public ControlFixture {
protected:
    void SetUp() override {
        ControlFixture::SetUp();
        Start();
        for (auto [name, count] : {std::pair{u"A", 2}, {u"B", 3}, {u"C", 1}}) groups.push_back(MakeGroup(name, count));
    }
    void AddAll() {
        for (const auto& group : groups) ASSERT_EQ(S_OK, Add(group));
        log().clear();
    }
    std::int32_t GroupCount() { return impl().group_collection() ? CollectionCount(*impl().group_collection()) : 0; }
    void ExpectShowing(const char* why, std::vector<std::string> rows) {
        EXPECT_EQ(rows, GridRows()) << why;
        EXPECT_EQ(0, fakes.grid->row()) << why;
        EXPECT_EQ(0, fakes.grid->col()) << why;
        EXPECT_FALSE(fakes.text_editor->visible()) << why;
        EXPECT_FALSE(fakes.drop_down_editor->visible()) << why;
        EXPECT_EQ(GridFill::idle, impl().grid_fill()) << why;
    }
    const std::vector<std::string> kRowsOfB = {"B.Name1=B.Value1", "B.Name2=B.Value2", "B.Name3=B.Value3"};

    std::vector<comrt::ComPtr<_clsTessel>> groups;  // A (2 items), B (3), C (1)
};

TEST_F(GroupsTest, AddingListsTheNameAndSelectingShowsTheItems) {
    for (const auto& group : groups) ASSERT_EQ(S_OK, Add(group));
    EXPECT_THAT(fakes.selector->entries(), ElementsAre(u"A", u"B", u"C"));
    EXPECT_THAT(log().entries(), ElementsAre("selector.AddItem(A)", "selector.AddItem(B)", "selector.AddItem(C)"))
        << "nothing is shown or selected";

    ASSERT_EQ(S_OK, Select(1));
    ExpectShowing("host call", kRowsOfB);
    EXPECT_EQ(0, fakes.grid->cell_alignment(2, 1));
    EXPECT_EQ(1, fakes.selector->list_index());
    EXPECT_EQ(impl().current_group(), groups[1]);
}

// Every way of showing a group fills the grid once: one row count put, one text put per
// cell, whether or not the selector raises Click for the index the control puts.
TEST_F(GroupsTest, EveryShowFillsTheGridOnce) {
    AddAll();
    auto expect_one_fill = [&](const char* why, std::size_t rows) {
        EXPECT_EQ(1u, log().starting_with("grid.Rows=").size()) << why;
        EXPECT_EQ(2 * rows, log().starting_with("grid.Text=").size()) << why;
        log().clear();
    };
    log().clear();
    ASSERT_EQ(S_OK, Select(1));  // the first show: a changed index, whose Click the control raised
    EXPECT_EQ(1u, log().starting_with("selector:Click").size());
    expect_one_fill("first show", 3);
    ExpectShowing("first show", kRowsOfB);

    ASSERT_EQ(S_OK, Select(0));
    expect_one_fill("host switch", 2);
    EXPECT_EQ(impl().current_group(), groups[0]);

    ASSERT_EQ(S_OK, Select(0));  // the same index: no Click
    expect_one_fill("re-show", 2);

    fakes.selector->user_pick(2);
    expect_one_fill("user pick", 1);
    ExpectShowing("user pick", {"C.Name1=C.Value1"});
    EXPECT_EQ(impl().current_group(), groups[2]);

    // By name, as a late-bound host switches.
    comrt::Variant result;
    SHORT index = 1;
    ASSERT_EQ(S_OK, ctl->SelectPropertyGroup(&index, result.put()));
    expect_one_fill("second switch", 3);
    EXPECT_THAT(fakes.env->event_failures(), IsEmpty());
    EXPECT_THAT(site->failures, IsEmpty()) << site->text();
}

// The Click the control's own index put raises fails nothing and writes nothing, even
// when the selector refuses that put.
TEST_F(GroupsTest, ASelectorRefusingTheIndexFailsTheShowAndLeavesThePickWorking) {
    AddAll();
    fakes.selector->fail_at("ListIndex=", 1, E_FAIL);
    EXPECT_EQ(Hex(E_FAIL), Hex(Select(1)));
    fakes.selector->user_pick(0);
    ExpectShowing("a pick after the failure", {"A.Name1=A.Value1", "A.Name2=A.Value2"});
}

// Showing a group again first commits the edit open in it (into its own item), then
// rebuilds every row from the items: a stale cell is gone, the typed text stays.
TEST_F(GroupsTest, SelectingTheGroupOnShowCommitsTheEditThenRebuildsIt) {
    AddAll();
    ASSERT_EQ(S_OK, Select(1));
    fakes.grid->user_click(2, 1);
    fakes.grid->set_cell_text(1, 1, u"stale");
    fakes.text_editor->user_type(u"typed");

    ASSERT_EQ(S_OK, Select(1));
    EXPECT_EQ(u"typed", ItemValue(*groups[1], 3));
    EXPECT_EQ("B.Name2=B.Value2", GridRows()[1]) << "the stale cell is rebuilt";
    EXPECT_EQ("B.Name3=typed", GridRows()[2]);
    EXPECT_FALSE(fakes.text_editor->visible());
}

TEST_F(GroupsTest, AnIndexNamingNoGroupEmptiesTheGridAndKeepsTheRest) {
    ASSERT_EQ(S_OK, Select(0));  // no groups at all
    EXPECT_EQ(0, fakes.grid->rows());
    EXPECT_EQ(0, GroupCount());

    AddAll();
    for (SHORT index : {1, 3, 4, 32767}) {
        ASSERT_EQ(S_OK, Select(1));
        fakes.text_editor->SetVisible(true);
        fakes.drop_down_editor->SetVisible(true);
        EXPECT_EQ(S_OK, Select(index));
        if (index == 1) continue;
        EXPECT_EQ(0, fakes.grid->rows()) << index;
        EXPECT_FALSE(fakes.text_editor->visible() || fakes.drop_down_editor->visible()) << index;
        EXPECT_EQ(1, fakes.selector->list_index()) << index;
        EXPECT_EQ(impl().current_group(), groups[1]) << index;
        EXPECT_EQ(GridFill::idle, impl().grid_fill()) << index;
    }

    log().clear();
    EXPECT_EQ(Hex(kSubscript), Hex(Select(-1)));
    EXPECT_THAT(log().entries(), IsEmpty()) << "a negative index fails before anything changes";
    EXPECT_EQ(GridFill::idle, impl().grid_fill());
}

TEST_F(GroupsTest, AGroupWithoutItemsEndsWithAnEmptyGrid) {
    ASSERT_EQ(S_OK, Add(MakeGroup(u"Empty", 0)));
    fakes.text_editor->SetVisible(true);
    EXPECT_EQ(S_OK, Select(0));
    ExpectShowing("no items", {});
}

TEST_F(GroupsTest, AFailureFromTheRowCountOnLeavesTheFillUnfinished) {
    AddAll();
    ASSERT_EQ(S_OK, Select(1));  // the selector holds 1 already: no nested fill below
    const std::pair<fakes::FakeBase*, const char*> rows[] = {
        {fakes.grid.get(), "Rows="},  // the fill starts before the row count changes
        {fakes.grid.get(), "Text="},
        {fakes.text_editor.get(), "Visible="},
    };
    for (const auto& [widget, member] : rows) {
        widget->fail_at(member, 1, E_FAIL);
        EXPECT_EQ(Hex(E_FAIL), Hex(Select(1))) << member;
        EXPECT_EQ(GridFill::filling, impl().grid_fill()) << member;
    }
    ASSERT_EQ(S_OK, Select(0));
    EXPECT_EQ(GridFill::idle, impl().grid_fill());
}

TEST_F(GroupsTest, ShrinkingRowsOpensNoEditorOnTheNewGroup) {
    AddAll();
    ASSERT_EQ(S_OK, Select(1));
    fakes.grid->user_click(2, 1);  // an editor open on B's last value
    fakes.text_editor->user_type(u"typed");

    log().clear();
    ASSERT_EQ(S_OK, Select(2));  // C has one row: the current row moves while the rows shrink
    EXPECT_THAT(log().starting_with("text_editor.SetFocus"), IsEmpty());
    EXPECT_THAT(site->failures, IsEmpty()) << site->text();
    EXPECT_EQ(u"C.Value1", ItemValue(*groups[2], 1));
}

TEST_F(GroupsTest, ItemsThatAreNoItemsOrDoNotFitSixteenBitsFailTheFill) {
    comrt::ComPtr<_clsTessel> odd = MakeGroup(u"Odd", 1);
    CollectionAdd(*ItemsCollectionOf(*odd), MakeGroup(u"NotAnItem", 0).get());
    ASSERT_EQ(S_OK, Add(odd));
    EXPECT_EQ(Hex(kTypeMismatch), Hex(Select(0)));
    EXPECT_THAT(GridRows(), ElementsAre("Odd.Name1=Odd.Value1", "="));

    // Position 32768 does not fit: rows 0 to 32766 are written, then the fill fails.
    ASSERT_EQ(S_OK, Add(MakeGroup(u"Big", 32768)));
    log().set_enabled(false);
    fakes.grid->set_raises_cell_events_on_put(false);
    EXPECT_EQ(Hex(kOverflow), Hex(Select(1)));
    EXPECT_EQ(GridFill::filling, impl().grid_fill());
    EXPECT_EQ(u"Big.Value32767", fakes.grid->cell_text(32766, 1));
    EXPECT_EQ(u"", fakes.grid->cell_text(32767, 0));
}

TEST_F(GroupsTest, ClearForgetsTheGroupsButKeepsTheDisplay) {
    AddAll();
    ASSERT_EQ(S_OK, Select(1));
    log().clear();
    ASSERT_EQ(S_OK, ctl->Clear());
    EXPECT_EQ(0, GroupCount());
    EXPECT_THAT(fakes.selector->entries(), IsEmpty());
    EXPECT_THAT(log().entries(), ElementsAre("selector.Clear()"));
    EXPECT_EQ(kRowsOfB, GridRows());
    EXPECT_EQ(impl().current_group(), groups[1]);

    log().clear();
    ASSERT_EQ(S_OK, ctl->Clear());
    EXPECT_THAT(log().entries(), IsEmpty()) << "no groups: the selector is not touched";
    ASSERT_EQ(S_OK, Select(0));
    EXPECT_EQ(0, fakes.grid->rows());
}

TEST_F(GroupsTest, ASelectorRefusingToClearKeepsGroupsAndEntriesInStep) {
    // The groups used to go first: a failing selector then kept entries that named no
    // group, and a pick of one failed.
    AddAll();
    fakes.selector->fail_at("Clear", 1, E_FAIL);
    EXPECT_EQ(Hex(E_FAIL), Hex(ctl->Clear()));
    EXPECT_EQ(3, GroupCount());
    EXPECT_THAT(fakes.selector->entries(), ElementsAre(u"A", u"B", u"C"));
    fakes.selector->user_pick(2);
    EXPECT_EQ(impl().current_group(), groups[2]);
    EXPECT_THAT(site->failures, IsEmpty()) << site->text();
}

TEST_F(GroupsTest, ClearHandlesTheSixteenBitLimit) {
    log().set_enabled(false);
    for (int i = 0; i < 32767; ++i) ASSERT_EQ(S_OK, Add(groups[0]));
    EXPECT_EQ(S_OK, ctl->Clear()) << "exactly 32767 groups all go";
    EXPECT_EQ(0, GroupCount());
    EXPECT_THAT(fakes.selector->entries(), IsEmpty());

    for (int i = 0; i < 32768; ++i) ASSERT_EQ(S_OK, Add(groups[0]));
    EXPECT_EQ(Hex(kOverflow), Hex(ctl->Clear()));
    EXPECT_EQ(32768, GroupCount()) << "nothing is removed";
}

TEST_F(GroupsTest, NamesAreTakenWhenAddedAndAGroupMayComeTwice) {
    comrt::ComPtr<_clsTessel> unnamed = MakeGroup(u"", 1);
    ASSERT_EQ(S_OK, Add(unnamed));
    ASSERT_EQ(S_OK, Add(groups[0]));
    ASSERT_EQ(S_OK, Add(groups[0]));
    comrt::Bstr renamed(u"Renamed");
    ASSERT_EQ(S_OK, groups[0]->put_PropertyGroupName(renamed.get()));
    EXPECT_THAT(fakes.selector->entries(), ElementsAre(u"", u"A", u"A"));
    for (std::int16_t pick : {2, 1}) {
        fakes.selector->user_pick(pick);
        EXPECT_EQ(impl().current_group(), groups[0]) << pick;
        EXPECT_THAT(GridRows(), ElementsAre("A.Name1=A.Value1", "A.Name2=A.Value2"));
    }
}

TEST_F(GroupsTest, NoGroupOrARefusedEntryLeavesCollectionAndSelectorInStep) {
    _clsTessel* none = nullptr;
    comrt::Variant result;
    EXPECT_EQ(Hex(kObjectNotSet), Hex(ctl->AddPropertyGroup(&none, result.put())));
    EXPECT_EQ(0, GroupCount());

    ASSERT_EQ(S_OK, Add(groups[0]));
    fakes.selector->fail_at("AddItem", 1, E_FAIL);
    EXPECT_EQ(Hex(E_FAIL), Hex(Add(groups[1])));
    EXPECT_EQ(1, GroupCount());
    ASSERT_EQ(S_OK, Add(groups[2]));
    fakes.selector->user_pick(1);
    EXPECT_EQ(impl().current_group(), groups[2]);
}

}  // namespace
}  // namespace orvane::testing
