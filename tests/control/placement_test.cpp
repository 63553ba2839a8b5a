// The limits of editor opening: the 16-bit row limit, a choice list that fills every
// 16-bit index, and edits before any group was shown.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <tests/control/editing_fixture.h>

namespace orvane::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

std::u16string Number(int n) {
    std::u16string text;
    for (char c : std::to_string(n)) text += static_cast<char16_t>(c);
    return text;
}

using PlacementTest = EditingFixture;

TEST_F(PlacementTest, RowsFrom32767FailWithOverflowBeforeAnythingChanges) {
    fakes::FakeGrid& grid = *fakes.grid;
    grid.set_raises_cell_events_on_put(false);
    grid.SetRows(32769);
    grid.SetRow(32767);
    grid.set_raises_cell_events_on_put(true);
    log().clear();

    grid.user_move_to(32767, 1);  // entered
    grid.user_click(32767, 1);    // pressed
    grid.user_move_to(32767, 0);  // left
    EXPECT_EQ(ctl->ComboInit(), kOverflow);
    grid.set_raises_cell_events_on_put(false);
    grid.SetRow(32768);
    EXPECT_EQ(ctl->ComboInit(), kOverflow);

    // The leave has no open edit to write, so it needs no item and only closes the editors.
    EXPECT_EQ(site->text(), "grid.EnterCell 0x800A0006; grid.MouseDown 0x800A0006; ");
    EXPECT_THAT(log().starting_with("text_editor."), ElementsAre("text_editor.Visible=false"));
    EXPECT_THAT(log().starting_with("drop_down_editor."), ElementsAre("drop_down_editor.Visible=false"));
    EXPECT_THAT(log().starting_with("grid.Text="), IsEmpty());
    EXPECT_FALSE(impl().editing_state().text_editor_active);
    EXPECT_FALSE(impl().editing_state().drop_down_editor_active);
}

TEST_F(PlacementTest, ChoiceListEndingAt32767ShowsAll32768Entries) {
    std::vector<std::u16string> choices;
    for (int i = 0; i <= 32767; ++i) choices.push_back(u"c" + Number(i));
    ASSERT_EQ(Add(MakeGroup(u"Big", {{u"Many", u"c32767", choices}})), S_OK);
    ASSERT_EQ(Select(1), S_OK);
    log().set_enabled(false);

    fakes.grid->user_move_to(0, 1);

    EXPECT_EQ(site->text(), "");
    const auto& entries = fakes.drop_down_editor->entries();
    ASSERT_EQ(entries.size(), 32768u);
    EXPECT_EQ(Printable(entries.front()), "c0");
    EXPECT_EQ(Printable(entries.back()), "c32767");
    EXPECT_EQ(fakes.drop_down_editor->list_index(), 32767);
    EXPECT_TRUE(fakes.drop_down_editor->visible());
    EXPECT_TRUE(impl().editing_state().drop_down_editor_active);
}

class NoGroupShownTest : public ControlFixture {};

TEST_F(NoGroupShownTest, HandlersOpenAndWriteNothingAndComboInitFailsWith91) {
    Start();
    ASSERT_EQ(Add(MakeGroup(u"G", {{u"Mode", u"b", {u"a", u"b"}}, {u"Width", u"1"}})), S_OK);
    log().clear();

    fakes.grid->user_move_to(0, 1);
    fakes.text_editor->user_type(u"typed");
    fakes.grid->user_click(1, 1, fakes::MouseDownOrder::before_cell_events);
    fakes.grid->user_click(1, 1, fakes::MouseDownOrder::after_cell_events, 2);
    fakes.grid->user_scroll_to(1);
    fakes.grid->user_move_to(1, 0);
    const std::vector<std::string> handler_calls = log().starting_with("text_editor.");
    EXPECT_EQ(ctl->ComboInit(), kObjectNotSet);

    EXPECT_EQ(site->text(), "");
    // The scroll hides the editors; nothing else reaches them or the cells.
    EXPECT_THAT(handler_calls, ::testing::ElementsAre("text_editor.Visible=false"));
    EXPECT_THAT(log().starting_with("drop_down_editor."), ::testing::ElementsAre("drop_down_editor.Visible=false"));
    EXPECT_THAT(log().starting_with("grid.Text="), IsEmpty());
    EXPECT_FALSE(impl().editing_state().text_editor_active);
    EXPECT_FALSE(impl().editing_state().drop_down_editor_active);
}

}  // namespace
}  // namespace orvane::testing
