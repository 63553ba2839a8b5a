// Editing in place on the fakes, as the user and the host see it: every transition of the
// editing state machine (cell entered, left, pressed, scrolled, focus regained, a pick),
// the window hook keeping an open editor over its cell, handler failures on the error
// channel and the names they are reported under, and both orders of a press and its cell
// events reaching the same end.
#include <functional>
#include <string>
#include <utility>

#include <gmock/gmock.h>

#include <testing/calling_back_item.h>
#include <tests/control/editing_fixture.h>

namespace orvane::testing {
namespace {

using fakes::MouseDownOrder;
constexpr MouseDownOrder kBefore = MouseDownOrder::before_cell_events;
constexpr MouseDownOrder kAfter = MouseDownOrder::after_cell_events;

class EditingScenario;

struct Scenario {
    const char* name;
    void (*act)(EditingScenario&);
    const char* expected;  // EditingFixture::State() afterwards
};
void PrintTo(const Scenario& scenario, std::ostream* out) { *out << scenario.name; }

class EditingScenario : public EditingFixture, public ::testing::WithParamInterface<Scenario> {
public:
    void MoveTo(std::int32_t row, std::int32_t col) { fakes.grid->user_move_to(row, col); }
    void Type(std::u16string text) { fakes.text_editor->user_type(std::move(text)); }
    void Press(std::int32_t row, std::int32_t col, MouseDownOrder order = kAfter, SHORT button = 1, SHORT shift = 0) {
        fakes.grid->user_click(row, col, order, button, shift);
    }
    void ScrollTo(std::int32_t top_row) { fakes.grid->user_scroll_to(top_row); }
    void Pick(SHORT index) { fakes.drop_down_editor->user_pick(index); }
    HRESULT Show(SHORT index) { return Select(index); }
    // The host writes item k's value itself.
    void HostPuts(LONG k, const char16_t* value) {
        comrt::Bstr text(value);
        ASSERT_EQ(ItemAt(*group, k)->put_ItemValue(text.get()), S_OK);
    }
    using EditingFixture::SetChoices;
    fakes::FakeWidgets& w() { return fakes; }
    _PropertiesCtl& host() { return *ctl; }
};

// Nothing shown, nothing written.
constexpr const char* kStart = "T hidden (initial) | D hidden [] #-1 | flags 0,0";
// End states that both press orders, and every button, must reach.
constexpr const char* kTextToText =
    "T 'n' 0+0 focus @2400,1580 2400x315 | D hidden [] #-1 | flags 1,0 | cell0=250 | item1=250";
constexpr const char* kTextToDropDown =
    "T hidden '250' | D [a,b,c,b] #3 focus @2400,635 2400 | flags 0,1 | cell0=250 | item1=250";
constexpr const char* kDropDownToText =
    "T 'n' 0+1 focus @2400,1580 2400x315 | D hidden [a,b,c,b] #0 | flags 1,0 | cell1=a | item2=a";

using S = EditingScenario;
const Scenario kScenarios[] = {
    // ---- cell entered ----
    {"EnterTextCell", [](S& s) { s.MoveTo(0, 1); },
     "T '100' 0+3 focus @2400,320 2400x315 | D hidden [] #-1 | flags 1,0"},
    {"EnterTextCellUnderScrollBar", [](S& s) { s.w().grid->set_vertical_scroll_bar(true); s.MoveTo(4, 1); },
     "T 'n' 0+1 focus @2400,1580 2100x315 | D hidden [] #-1 | flags 1,0"},
    {"EnterDropDownCellSelectsLastEqualChoice", [](S& s) { s.MoveTo(1, 1); },
     "T hidden (initial) | D [a,b,c,b] #3 focus @2400,635 2400 | flags 0,1"},
    // A value that is none of the choices stays on show until the user picks.
    {"EnterDropDownCellWithoutExactMatchKeepsTheValueOnShow",
     [](S& s) { s.w().grid->set_vertical_scroll_bar(true); s.MoveTo(2, 1); },
     "T hidden (initial) | D [round,square] #0 focus @2400,950 2100 | flags 0,1"},
    {"EnterNameColumn", [](S& s) { s.MoveTo(1, 0); }, kStart},
    // ---- cell left ----
    {"LeaveTextCellWritesTypedText", [](S& s) { s.MoveTo(0, 1); s.Type(u"250"); s.MoveTo(1, 0); },
     "T hidden '250' | D hidden [] #-1 | flags 0,0 | cell0=250 | item1=250"},
    {"AnyTypedWordIsWrittenBack", [](S& s) { s.MoveTo(0, 1); s.Type(u"asdfghjkl"); s.MoveTo(1, 1); },
     "T hidden 'asdfghjkl' | D [a,b,c,b] #3 focus @2400,635 2400 | flags 0,1 | cell0=asdfghjkl | item1=asdfghjkl"},
    {"PickShowsInCellButNotInItem", [](S& s) { s.MoveTo(1, 1); s.Pick(2); },
     "T hidden (initial) | D [a,b,c,b] #2 focus @2400,635 2400 | flags 0,1 | cell1=c"},
    {"PickIsStoredOnLeave", [](S& s) { s.MoveTo(1, 1); s.Pick(2); s.MoveTo(0, 1); },
     "T '100' 0+3 focus @2400,320 2400x315 | D hidden [a,b,c,b] #2 | flags 1,0 | cell1=c | item2=c"},
    // Entered and left without a pick: the item keeps its value, none of the choices.
    {"UntouchedDropDownWritesNothing", [](S& s) { s.MoveTo(2, 1); s.MoveTo(2, 0); },
     "T hidden (initial) | D hidden [round,square] #0 | flags 0,0"},
    // Entered and left without typing: nothing is written, so a value the host put into
    // the item meanwhile stays.
    {"UntouchedTextCellWritesNothing", [](S& s) { s.MoveTo(0, 1); s.HostPuts(1, u"newer"); s.MoveTo(1, 0); },
     "T hidden '100' | D hidden [] #-1 | flags 0,0 | item1=newer"},
    {"TypingTheSameTextWritesNothing", [](S& s) { s.MoveTo(0, 1); s.Type(u"100"); s.MoveTo(1, 0); },
     "T hidden '100' | D hidden [] #-1 | flags 0,0"},
    {"LeaveDuringInterruptedFillOnlyClearsFlags",
     [](S& s) {
         s.MoveTo(0, 1); s.Type(u"250");
         // The switch commits the edit (the first cell write), then its fill stops unfinished.
         s.w().grid->fail_at("Text=", 2);
         EXPECT_EQ(s.Show(0), E_FAIL);
         s.MoveTo(1, 1); s.MoveTo(0, 1);
     },
     "T hidden '250' | D hidden [] #-1 | flags 0,0 | cell0=250 | item1=250"},
    // ---- scroll, mouse press ----
    // A scroll keeps the edit: its editor hides while its cell is out of view and comes
    // back over it, with the typed text, when the cell is in view again.
    {"ScrollHidesWithoutWriting", [](S& s) { s.MoveTo(0, 1); s.Type(u"250"); s.ScrollTo(1); },
     "T hidden '250' | D hidden [] #-1 | flags 0,0"},
    {"ScrollBackShowsThePendingTextOverItsCell",
     [](S& s) { s.MoveTo(1, 1); s.MoveTo(4, 1); s.Type(u"250"); s.ScrollTo(2); s.ScrollTo(1); },
     "T '250' 3+0 focus @2400,1265 2400x315 | D hidden [a,b,c,b] #3 | flags 1,0"},
    {"PressAfterScrollRestoresPendingText", [](S& s) { s.MoveTo(0, 1); s.Type(u"250"); s.ScrollTo(1); s.Press(0, 1); },
     "T '250' 3+0 focus @2400,5 2400x315 | D hidden [] #-1 | flags 1,0"},
    {"PressAfterScrollReopensDropDown",
     [](S& s) { s.MoveTo(1, 1); s.Pick(0); s.ScrollTo(0); s.Press(1, 1, kAfter, 2); },
     "T hidden (initial) | D [a,b,c,b] #0 focus @2400,635 2400 | flags 0,1 | cell1=a"},
    {"PressInNameColumn", [](S& s) { s.Press(0, 0, kAfter, 4, 7); }, kStart},
    {"PressTextToTextBefore", [](S& s) { s.MoveTo(0, 1); s.Type(u"250"); s.Press(4, 1, kBefore); }, kTextToText},
    {"PressTextToTextAfter", [](S& s) { s.MoveTo(0, 1); s.Type(u"250"); s.Press(4, 1, kAfter); }, kTextToText},
    {"RightPressWithShiftTextToText", [](S& s) { s.MoveTo(0, 1); s.Type(u"250"); s.Press(4, 1, kBefore, 2, 1); },
     kTextToText},
    {"PressTextToDropDownBefore", [](S& s) { s.MoveTo(0, 1); s.Type(u"250"); s.Press(1, 1, kBefore); },
     kTextToDropDown},
    {"PressTextToDropDownAfter", [](S& s) { s.MoveTo(0, 1); s.Type(u"250"); s.Press(1, 1, kAfter, 4); },
     kTextToDropDown},
    {"PressDropDownToTextBefore", [](S& s) { s.MoveTo(1, 1); s.Pick(0); s.Press(4, 1, kBefore, 2); }, kDropDownToText},
    {"PressDropDownToTextAfter", [](S& s) { s.MoveTo(1, 1); s.Pick(0); s.Press(4, 1, kAfter); }, kDropDownToText},
    // ---- focus, host calls, window hook ----
    // Coming back to the editor keeps what the user typed in it.
    {"RegainedFocusKeepsTheTypedText",
     [](S& s) { s.MoveTo(0, 1); s.Type(u"250"); s.w().text_editor->user_leave_focus(); s.host().ChangeCellText(); },
     "T '250' 3+0 focus @2400,320 2400x315 | D hidden [] #-1 | flags 1,0"},
    {"RegainedFocusWithoutTypingReloadsTheCellText",
     [](S& s) { s.MoveTo(0, 1); s.w().text_editor->user_leave_focus(); s.host().ChangeCellText(); },
     "T '100' 0+3 focus @2400,320 2400x315 | D hidden [] #-1 | flags 1,0"},
    {"ChangeCellTextWhileFocusedOnlyReplaces",
     [](S& s) { s.MoveTo(0, 1); s.Type(u"250"); s.w().grid->set_vertical_scroll_bar(true); s.host().ChangeCellText(); },
     "T '250' 3+0 focus @2400,320 2100x315 | D hidden [] #-1 | flags 1,0"},
    {"HostChangeCellTextOverNameCell", [](S& s) { s.host().ChangeCellText(); },
     "T 'Width' 0+5 focus @0,320 2400x315 | D hidden [] #-1 | flags 0,0"},
    {"HostComboInitOverNameCell", [](S& s) { s.MoveTo(2, 0); s.host().ComboInit(); },
     "T hidden (initial) | D [round,square] #0 focus @0,950 2400 | flags 0,0"},
    {"HostComboInitOnTextItemEmptiesTheDropDown",
     [](S& s) { s.MoveTo(1, 1); s.MoveTo(0, 1); EXPECT_EQ(s.host().ComboInit(), kSubscript); },
     "T '100' 0+3 focus @2400,320 2400x315 | D hidden [] #-1 | flags 1,0"},
    {"HookMovesTextEditorAfterResize", [](S& s) { s.MoveTo(4, 1); s.w().surface->resize(6000, 3975); },
     "T 'n' 0+1 focus @3000,1580 3000x315 | D hidden [] #-1 | flags 1,0"},
    {"HookMovesDropDownAfterResize",
     [](S& s) { s.MoveTo(1, 1); s.w().grid->set_vertical_scroll_bar(true); s.w().surface->resize(6000, 3975); },
     "T hidden (initial) | D [a,b,c,b] #3 focus @3000,635 2700 | flags 0,1"},
    // ---- failures: the handler stops at the failing step and reports it ----
    {"DropDownWithoutListWritesNothingBack", [](S& s) { s.MoveTo(1, 1); s.MoveTo(3, 1); s.MoveTo(3, 0); },
     "T hidden (initial) | D hidden [] #-1 | flags 0,0 | errors grid.EnterCell 0x800A0009; "},
    {"DropDownListBasedAtOneWritesNothingBack",
     [](S& s) { s.SetChoices(4, 1, {u"kept"}); s.MoveTo(1, 1); s.MoveTo(3, 1); s.MoveTo(3, 0); },
     "T hidden (initial) | D hidden [] #-1 | flags 0,0 | errors grid.EnterCell 0x800A0009; "},
    {"EmptyDropDownListWritesNothingBack", [](S& s) { s.SetChoices(4, 0, {}); s.MoveTo(3, 1); s.MoveTo(3, 0); },
     "T hidden (initial) | D hidden [] #-1 | flags 0,0 | errors grid.EnterCell 0x800A017C; "},
    {"LeaveFailingAfterTheWriteKeepsIt",
     [](S& s) { s.MoveTo(0, 1); s.Type(u"250"); s.w().drop_down_editor->fail_at("Visible=", 1); s.MoveTo(1, 0); },
     "T '250' 3+0 focus @2400,320 2400x315 | D hidden [] #-1 | flags 0,0 | cell0=250 | item1=250"
     " | errors grid.LeaveCell 0x80004005; "},
    {"LeaveFailingBeforeTheWriteWritesNothing",
     [](S& s) { s.MoveTo(0, 1); s.Type(u"250"); s.w().text_editor->fail_at("Text", 1); s.MoveTo(1, 0); },
     "T '250' 3+0 focus @2400,320 2400x315 | D hidden [] #-1 | flags 0,0 | errors grid.LeaveCell 0x80004005; "},
    {"EntryWhoseEditorFailsToMoveKeepsItsFlag", [](S& s) { s.w().text_editor->fail_at("Move", 1); s.MoveTo(0, 1); },
     "T '100' 0+0 @840,3000 1335x285 | D hidden [] #-1 | flags 1,0 | errors grid.EnterCell 0x80004005; "},
};

TEST_P(EditingScenario, EndsInTheExpectedState) {
    GetParam().act(*this);
    EXPECT_EQ(State(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Transitions, EditingScenario, ::testing::ValuesIn(kScenarios),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- commit points: no edit is lost ---------------------------------------------------------

class CommitTest : public EditingScenario {
public:
    using ControlFixture::Add;
    void SetUp() override {
        EditingScenario::SetUp();
        other = MakeGroup(u"Other", {{u"Colour", u"Blue"}});
        ASSERT_EQ(Add(other), S_OK);
        log().clear();
    }
    comrt::ComPtr<_clsTessel> other;
};

TEST_F(CommitTest, SwitchingGroupWritesThePendingEditIntoTheGroupItWasMadeIn) {
    // By the host, by the user's pick in the selector, and after Clear by a selection.
    const std::function<void(CommitTest&)> switches[] = {
        [](CommitTest& t) { EXPECT_EQ(t.Show(1), S_OK); },
        [](CommitTest& t) { t.w().selector->user_pick(1); },
        [](CommitTest& t) {
            EXPECT_EQ(t.host().Clear(), S_OK);
            EXPECT_EQ(t.Add(t.other), S_OK);
            EXPECT_EQ(t.Show(0), S_OK);
        },
    };
    int round = 0;
    for (const auto& switch_group : switches) {
        SCOPED_TRACE(::testing::Message() << "switch " << round++);
        ASSERT_EQ(Show(0), S_OK);
        MoveTo(4, 1);
        Type(u"typed " + std::u16string(1, static_cast<char16_t>(u'0' + round)));
        switch_group(*this);
        EXPECT_EQ(Printable(ItemValue(*group, 5)), "typed " + std::to_string(round));
        EXPECT_EQ(Printable(ItemValue(*other, 1)), "Blue") << "the new group is untouched";
        EXPECT_EQ(Printable(fakes.grid->cell_text(0, 0)), "Colour");
        EXPECT_FALSE(fakes.text_editor->visible());
        if (round == 3) break;  // Clear left only the other group
    }
    EXPECT_TRUE(site->failures.empty()) << site->text();
}

TEST_F(CommitTest, TerminatingTheControlWritesThePendingEdit) {
    MoveTo(1, 1);
    Pick(2);
    Terminate();
    EXPECT_EQ(Printable(ItemValue(*group, 2)), "c");
    EXPECT_TRUE(site->failures.empty()) << site->text();
}

TEST_F(CommitTest, AValueTheHostRefusesStaysInItsEditorUntilMendedOrCancelled) {
    site->refusal = [](LONG index, std::u16string_view value) -> std::u16string {
        return index == 1 && value.find_first_not_of(u"0123456789") != value.npos ? u"A whole number" : u"";
    };
    const auto key = [this](std::int16_t k) { w().text_editor->user_key(k); };
    MoveTo(0, 1);
    Type(u"ten");
    // Every commit of the user's or the host's where the editor can stay: nothing is written,
    // the editor stays over its cell, which stays current, and the reason shows under it.
    const std::function<void()> commits[] = {
        [&] { key(widgets::keys::kReturn); }, [&] { key(widgets::keys::kTab); }, [&] { key(widgets::keys::kDown); },
        [&] { Press(4, 1, kBefore); }, [&] { Press(0, 0); },
        [&] { EXPECT_EQ(S_FALSE, ctl.as<IPropertiesEditing>()->CommitEdit()); },
    };
    for (const auto& commit : commits) {
        log().clear();
        commit();
        EXPECT_EQ(State(), "T 'ten' 3+0 focus @2400,320 2400x315 | D hidden [] #-1 | flags 1,0");
        EXPECT_THAT(log().entries(), ::testing::Contains("surface.ShowMessage(2400,635,2400,A whole number)"));
    }
    // Mended, it is written; Escape forgets a refused value; where the editor cannot stay it
    // is dropped. Each time the reason goes.
    Type(u"10");
    const std::function<void()> ends[] = {[&] { key(widgets::keys::kReturn); }, [&] { key(widgets::keys::kEscape); },
                                          [&] { fakes.surface->raise_exit_focus(); }, [&] { EXPECT_EQ(Show(1), S_OK); }};
    for (const auto& end : ends) {
        end();
        EXPECT_EQ(Printable(ItemValue(*group, 1)), "10");
        EXPECT_FALSE(fakes.text_editor->visible() || !fakes.surface->message().empty());
        ASSERT_EQ(Show(0), S_OK);
        MoveTo(0, 1);
        Type(u"x");
        key(widgets::keys::kReturn);
    }
    EXPECT_TRUE(site->failures.empty()) << site->text();
}

TEST_F(CommitTest, AnUntouchedEditorNeverOverwritesANewerValue) {
    // The host changes the item while its editor is open and untouched: the user's way out
    // of the cell, whichever it is, keeps the host's value.
    MoveTo(0, 1);
    HostPuts(1, u"from the host");
    MoveTo(1, 1);
    MoveTo(0, 1);
    HostPuts(1, u"again");
    EXPECT_EQ(Show(1), S_OK);
    EXPECT_EQ(Printable(ItemValue(*group, 1)), "again");
}

// ---- a refill and an emptied grid -------------------------------------------------------------

class RefillTest : public EditingFixture {
protected:
    HRESULT Refresh() { return ctl.as<IPropertiesEditing>()->RefreshValues(); }
    // The value cell's place once the control is 6000 twips wide: the split moves right.
    void Widen() { fakes.surface->resize(6000, 3975); }
};

TEST_F(RefillTest, AnEditKeptOpenByARefreshStillFollowsItsCell) {
    // The refill's cell moves used to drop the editor flags while the edit stayed open, so
    // the next size message left the editor where the old split had been.
    fakes.grid->user_move_to(0, 1);
    fakes.text_editor->user_type(u"typed");
    ASSERT_EQ(S_OK, Refresh());
    Widen();
    EXPECT_EQ(State(), "T 'typed' 5+0 focus @3000,320 3000x315 | D hidden [] #-1 | flags 1,0");

    fakes.grid->user_move_to(1, 1);
    fakes.drop_down_editor->user_pick(2);
    ASSERT_EQ(S_OK, Refresh());
    fakes.surface->resize(4800, 3975);
    // The refill shows the item's value in the cell; the open list keeps the pick.
    EXPECT_EQ(State(), "T hidden 'typed' | D [a,b,c,b] #2 focus @2400,635 2400 | flags 0,1 | cell0=typed | item1=typed");
}

TEST_F(RefillTest, ARefreshThatAnItemRunsInsideARefreshOpensNoEditor) {
    // The inner refresh ended the outer one's fill, whose last moves then opened an editor
    // that nothing followed.
    const auto item = comrt::make<pg_testing::CallingBackItem>(ItemAt(*group, 5), [this] { Refresh(); });
    CollectionRemove(*ItemsCollectionOf(*group), 5);
    CollectionAdd(*ItemsCollectionOf(*group), item.get());
    fakes.grid->user_move_to(0, 1);
    ASSERT_EQ(S_OK, ctl.as<IPropertiesEditing>()->CancelEdit());
    item->armed = true;
    ASSERT_EQ(S_OK, Refresh());
    EXPECT_EQ(State(), "T hidden '100' | D hidden [] #-1 | flags 0,0");
}

TEST_F(RefillTest, OnceTheRowsWentNoKeyOpensAnEditorForAHiddenItem) {
    // Selecting past the last group takes the rows away and keeps the current group. Typing
    // or F2 on the empty grid used to open an editor for item 1, whose commit then failed on
    // the missing cell and made every later selection fail.
    fakes.grid->user_move_to(0, 1);
    ASSERT_EQ(S_OK, Select(1));
    ASSERT_EQ(0, fakes.grid->rows());
    ASSERT_EQ(1, fakes.grid->col()) << "the value column stays current";
    fakes.grid->user_type(u'x');
    fakes.grid->user_key(widgets::keys::kF2);
    fakes.grid->user_key(widgets::keys::kReturn);
    fakes.surface->raise_exit_focus();
    EXPECT_EQ(State(), "T hidden '100' | D hidden [] #-1 | flags 0,0 | cell0= | cell1= | cell2= | cell3= | cell4=");
    EXPECT_EQ(S_OK, Select(0));
    EXPECT_EQ(Printable(fakes.grid->cell_text(0, 1)), "100");
    EXPECT_TRUE(site->failures.empty()) << site->text();
}

// ---- the names of failing handlers ---------------------------------------------------------

// A handler made to fail once, and the name the error channel must hear it under. Hosts
// match these names, so a sink that reports under another handler's name is a fault.
struct FailingHandler {
    const char* name;
    void (*act)(fakes::FakeWidgets&, PropertiesCtl&);
};
void PrintTo(const FailingHandler& handler, std::ostream* out) { *out << handler.name; }

class HandlerNameTest : public EditingFixture, public ::testing::WithParamInterface<FailingHandler> {};

const FailingHandler kFailingHandlers[] = {
    {"grid.EnterCell", [](fakes::FakeWidgets& w, PropertiesCtl&) { w.text_editor->fail_at("Text=", 1); w.grid->user_move_to(0, 1); }},
    {"grid.LeaveCell", [](fakes::FakeWidgets& w, PropertiesCtl&) { w.grid->fail_at("Col", 1); w.grid->user_move_to(0, 1); }},
    {"grid.MouseDown", [](fakes::FakeWidgets& w, PropertiesCtl&) { w.grid->fail_at("Col", 1); w.grid->user_click(0, 0); }},
    {"grid.Scroll", [](fakes::FakeWidgets& w, PropertiesCtl&) { w.text_editor->fail_at("Visible=", 1); w.grid->user_scroll_to(1); }},
    {"textEditor.GotFocus", [](fakes::FakeWidgets& w, PropertiesCtl&) { w.text_editor->fail_at("Text=", 1); w.text_editor->SetFocus(); }},
    {"selector.Click", [](fakes::FakeWidgets& w, PropertiesCtl&) { w.selector->fail_at("ListIndex", 1); w.selector->user_pick(0); }},
    {"dropDownEditor.Click",
     [](fakes::FakeWidgets& w, PropertiesCtl&) {
         w.grid->user_move_to(1, 1);
         w.grid->fail_at("Text=", 1);
         w.drop_down_editor->user_pick(2);
     }},
    {"control.Initialize", [](fakes::FakeWidgets& w, PropertiesCtl&) { w.grid->fail_at("Left=", 1); w.surface->raise_initialize(); }},
    {"control.Resize", [](fakes::FakeWidgets& w, PropertiesCtl&) { w.grid->fail_at("Width=", 1); w.surface->resize(6000, 3975); }},
    {"control.Terminate", [](fakes::FakeWidgets& w, PropertiesCtl&) { w.selector->fail_at("Clear", 1); w.surface->raise_terminate(); }},
    {"control.WriteProperties",
     [](fakes::FakeWidgets& w, PropertiesCtl& control) {
         auto bag = comrt::make<fakes::FakePropertyBag>(w.env);
         bag->fail_at("WriteProperty", 1);
         control.Save(bag.get(), TRUE, TRUE);
     }},
    {"control.ReadProperties",
     [](fakes::FakeWidgets& w, PropertiesCtl& control) {
         auto bag = comrt::make<fakes::FakePropertyBag>(w.env);
         comrt::Variant colour;
         colour->vt = VT_I4;
         colour->lVal = 0;
         bag->set_entry(u"BackColor", *colour.get());
         bag->set_entry(u"ForeColor", *colour.get());
         control.Load(bag.get(), nullptr);  // no font stored
     }},
    {"editorHook",
     [](fakes::FakeWidgets& w, PropertiesCtl&) {
         w.grid->user_move_to(0, 1);
         w.text_editor->fail_at("Move", 1);
         w.surface->paint();
     }},
};

TEST_P(HandlerNameTest, AFailingHandlerIsReportedOnceUnderItsRoleName) {
    site->failures.clear();
    GetParam().act(fakes, impl());
    ASSERT_EQ(site->failures.size(), 1u) << site->text();
    EXPECT_EQ(Printable(site->failures[0].handler), GetParam().name);
}

INSTANTIATE_TEST_SUITE_P(EveryHandler, HandlerNameTest, ::testing::ValuesIn(kFailingHandlers),
                         [](const auto& info) {
                             std::string name = info.param.name;
                             std::erase(name, '.');
                             return name;
                         });

using pg_testing::CallingBackItem;

class CallBackTest : public ControlFixture {
protected:
    void SetUp() override {
        ControlFixture::SetUp();
        Start();
    }
};

// The host's item calls back into the control while the commit of the user's text reads
// it: the text still reaches the item, and whatever the call back does finds no edit
// left open to write twice, to lose, or to call through once it is gone.
TEST_F(CallBackTest, AnItemThatCallsBackDuringTheCommitGetsTheUsersTextOnce) {
    const struct {
        const char* name;
        std::function<void(PropertiesCtl&)> call_back;
        const char* first_row;  // the grid's first row afterwards
        const char* failures;   // reported meanwhile
    } rows[] = {
        {"commit", [](PropertiesCtl& c) { c.CommitEdit(); }, "G.Name1=typed", ""},
        {"cancel", [](PropertiesCtl& c) { c.CancelEdit(); }, "G.Name1=typed", ""},
        {"show the other group",
         [](PropertiesCtl& c) {
             SHORT other = 1;
             comrt::Variant result;
             c.SelectPropertyGroup(&other, result.put());
         },
         // The user's move goes on to row 1, which the group shown now lacks.
         "Other.Name1=Other.Value1", "grid.EnterCell 0x800A0009; "},
        {"clear", [](PropertiesCtl& c) { c.Clear(); }, "G.Name1=typed", ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const comrt::ComPtr<_clsTessel> group = pg_testing::NewGroup(u"G");
        const comrt::ComPtr<_clsTessel> plain = MakeGroup(u"G", 2);
        const comrt::ComPtr<CallingBackItem> item = comrt::make<CallingBackItem>(
            ItemAt(*plain, 1), [this, &row] { row.call_back(impl()); });
        CollectionAdd(*ItemsCollectionOf(*group), item.get());
        CollectionAdd(*ItemsCollectionOf(*group), ItemAt(*plain, 2).get());
        ASSERT_EQ(S_OK, ctl->Clear());
        ASSERT_EQ(S_OK, Add(group));
        ASSERT_EQ(S_OK, Add(MakeGroup(u"Other", 1)));
        ASSERT_EQ(S_OK, Select(0));
        fakes.grid->user_move_to(0, 1);
        fakes.text_editor->user_type(u"typed");
        item->armed = true;
        fakes.grid->user_move_to(1, 1);
        EXPECT_FALSE(item->armed) << "the commit read the item";
        EXPECT_EQ(u"typed", ItemValue(*plain, 1));
        EXPECT_EQ(row.first_row, GridRows().at(0));
        EXPECT_EQ(row.failures, site->text());
        site->failures.clear();
    }
}

}  // namespace
}  // namespace orvane::testing
