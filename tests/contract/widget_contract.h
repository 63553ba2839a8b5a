// The widget contract (control/widgets/) written once as tests, and run against every
// widget set that implements it: the recording doubles that the control's unit tests use
// and the Qt adapters of the control's library. A rule that holds for one set and not the
// other would make the control's unit tests prove nothing about the real control.
//
// A kit makes one control's widgets in a fresh window and names them:
//
//     struct Kit {
//         widgets::Container& surface(); widgets::Grid& grid(); widgets::TextBox& text_box();
//         widgets::DropDown& drop_down();   // two lists, so that focus can move
//         widgets::DropDown& other_drop_down();
//     };
//
// Each test suite is instantiated once per kit (contract_fakes_test.cpp,
// contract_qt_test.cpp).
#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <comrt/error.h>
#include <testing/failure.h>
#include <control/widgets/widget_set.h>

namespace orvane::contract {

inline constexpr HRESULT kInvalidValue = CTL_E_INVALIDPROPERTYVALUE;
inline constexpr HRESULT kSubscript = comrt::runtime_hresult(comrt::runtime_error::subscript_out_of_range);
inline constexpr HRESULT kOverflow = comrt::runtime_hresult(comrt::runtime_error::overflow);
inline constexpr HRESULT kObjectNotSet = comrt::runtime_hresult(comrt::runtime_error::object_not_set);

// The HRESULT a contract member fails with; S_OK when it does not fail.
using pg_testing::FailureOf;

// Every event of the widgets, in order, with the grid's current cell as the grid reports
// it while the event is raised.
struct EventLog final : widgets::GridEvents, widgets::TextBoxEvents, widgets::DropDownEvents, widgets::ContainerEvents {
    explicit EventLog(widgets::Grid* g = nullptr) : grid(g) {}
    std::string cell(const char* event) {
        return std::string(event) + "(" + std::to_string(grid->Row()) + "," + std::to_string(grid->Col()) + ")";
    }
    HRESULT EnterCell() noexcept override { return note(cell("Enter")); }
    HRESULT LeaveCell() noexcept override { return note(cell("Leave")); }
    HRESULT MouseDown(std::int16_t, std::int16_t, float, float) noexcept override { return note("MouseDown"); }
    HRESULT Scroll() noexcept override { return note("Scroll"); }
    HRESULT GotFocus() noexcept override { return note("GotFocus"); }
    HRESULT LostFocus() noexcept override { return note("LostFocus"); }
    HRESULT Click() noexcept override { return note("Click"); }
    HRESULT Initialize() noexcept override { return note("Initialize"); }
    HRESULT Resize() noexcept override { return note("Resize"); }
    HRESULT Terminate() noexcept override { return note("Terminate"); }
    HRESULT note(std::string event) {
        seen.push_back(std::move(event));
        return S_OK;
    }
    std::vector<std::string> take() { return std::exchange(seen, {}); }

    widgets::Grid* grid;
    std::vector<std::string> seen;
};

inline widgets::FontRef NoFont() { return nullptr; }

// ---- the grid ------------------------------------------------------------------------------

template <typename Kit>
class GridContract : public ::testing::Test {
protected:
    void SetUp() override {
        grid().SetCols(2);
        grid().SetRows(3);
        grid().SetRow(0);
        grid().SetCol(0);
        grid().SetEventSink(&events);
    }
    void TearDown() override { grid().SetEventSink(nullptr); }
    widgets::Grid& grid() { return kit.grid(); }

    Kit kit;
    EventLog events{&kit.grid()};
};
TYPED_TEST_SUITE_P(GridContract);

TYPED_TEST_P(GridContract, AMoveRaisesLeaveForTheOldCellThenEnterForTheNewOneAndARepeatRaisesNothing) {
    widgets::Grid& grid = this->grid();
    grid.SetRow(2);
    const std::vector<std::string> moved = this->events.take();
    // A grid may raise cell events for the logic's puts or only for the user's moves.
    if (!moved.empty()) {
        EXPECT_THAT(moved, ::testing::ElementsAre("Leave(0,0)", "Enter(2,0)"));
    }
    EXPECT_EQ(grid.Row(), 2);
    grid.SetRow(2);
    grid.SetCol(0);
    EXPECT_THAT(this->events.take(), ::testing::IsEmpty()) << "the current cell again";
    grid.SetCol(1);
    const std::vector<std::string> across = this->events.take();
    if (!across.empty()) {
        EXPECT_THAT(across, ::testing::ElementsAre("Leave(2,0)", "Enter(2,1)"));
    }
    EXPECT_EQ(grid.Col(), 1);
}

TYPED_TEST_P(GridContract, PutsOutsideTheGridFailAndChangeNothing) {
    widgets::Grid& grid = this->grid();
    grid.SetRow(1);
    this->events.take();
    for (std::int32_t bad : {-1, 3, 1000}) EXPECT_EQ(FailureOf([&] { grid.SetRow(bad); }), kInvalidValue) << bad;
    for (std::int32_t bad : {-1, 2}) EXPECT_EQ(FailureOf([&] { grid.SetCol(bad); }), kInvalidValue) << bad;
    EXPECT_EQ(grid.Row(), 1);
    EXPECT_EQ(grid.Col(), 0);
    EXPECT_THAT(this->events.take(), ::testing::IsEmpty());
    EXPECT_EQ(FailureOf([&] { grid.SetRows(-1); }), kInvalidValue);
    EXPECT_EQ(FailureOf([&] { grid.SetCols(-1); }), kInvalidValue);
    EXPECT_EQ(FailureOf([&] { grid.SetRowHeightMin(-1); }), kInvalidValue);
    EXPECT_EQ(FailureOf([&] { grid.SetWidth(-1); }), kInvalidValue);
    EXPECT_EQ(FailureOf([&] { grid.SetHeight(-1); }), kInvalidValue);
    EXPECT_EQ(FailureOf([&] { grid.SetFont(NoFont()); }), kObjectNotSet);
}

TYPED_TEST_P(GridContract, TextsAreKeptExactlyAndSurviveCountChanges) {
    widgets::Grid& grid = this->grid();
    const std::u16string odd = u"caf\u00e9 \U0001F600 \u0000x";
    grid.SetRow(1);
    grid.SetCol(1);
    grid.SetText(odd);
    grid.SetRows(5);
    grid.SetCols(3);
    grid.SetCols(2);
    EXPECT_EQ(grid.Row(), 1);
    EXPECT_EQ(grid.Text(), odd);
}

TYPED_TEST_P(GridContract, ShrinkingBelowTheCurrentCellMovesItToTheLastOneLeft) {
    widgets::Grid& grid = this->grid();
    grid.SetRow(2);
    grid.SetCol(1);
    this->events.take();
    grid.SetRows(2);
    EXPECT_EQ(grid.Row(), 1);
    const std::vector<std::string> moved = this->events.take();
    if (!moved.empty()) {
        EXPECT_THAT(moved, ::testing::ElementsAre("Leave(2,1)", "Enter(1,1)"));
    }
    grid.SetRows(0);
    EXPECT_EQ(grid.Row(), 0);
    // An empty grid has no current cell: its text reads empty and cannot be written.
    EXPECT_EQ(grid.Text(), u"");
    EXPECT_EQ(FailureOf([&] { grid.SetText(u"x"); }), kInvalidValue);
    EXPECT_EQ(FailureOf([&] { grid.SetCellAlignment(0); }), kInvalidValue);
    EXPECT_EQ(grid.Text(), u"");
}

TYPED_TEST_P(GridContract, ColumnWidthsCheckTheColumnAndTheWidth) {
    widgets::Grid& grid = this->grid();
    grid.SetColWidth(0, 1500);
    grid.SetColWidth(1, 0);
    EXPECT_NEAR(grid.ColWidth(0), 1500, 15) << "kept in steps of at most a pixel";
    EXPECT_EQ(grid.ColWidth(1), 0);
    EXPECT_EQ(FailureOf([&] { grid.ColWidth(2); }), kSubscript);
    EXPECT_EQ(FailureOf([&] { grid.SetColWidth(-1, 100); }), kSubscript);
    EXPECT_EQ(FailureOf([&] { grid.SetColWidth(0, -1); }), kInvalidValue);
    EXPECT_NEAR(grid.ColWidth(0), 1500, 15);
}

TYPED_TEST_P(GridContract, TheCurrentCellsRectangleLiesInTheGrid) {
    widgets::Grid& grid = this->grid();
    grid.SetColWidth(0, 1500);
    grid.SetColWidth(1, 1500);
    grid.SetRow(1);
    grid.SetCol(1);
    EXPECT_GE(grid.CellLeft(), 1500 - 15);
    EXPECT_GT(grid.CellTop(), 0);
    EXPECT_GE(grid.CellWidth(), 0);
    EXPECT_LE(grid.CellWidth(), 1500);
    EXPECT_GT(grid.CellHeight(), 0);
    grid.SetColWidth(1, 0);
    EXPECT_EQ(grid.CellWidth(), 0) << "a cell of no width has none";
}

REGISTER_TYPED_TEST_SUITE_P(GridContract,
                            AMoveRaisesLeaveForTheOldCellThenEnterForTheNewOneAndARepeatRaisesNothing,
                            PutsOutsideTheGridFailAndChangeNothing, TextsAreKeptExactlyAndSurviveCountChanges,
                            ShrinkingBelowTheCurrentCellMovesItToTheLastOneLeft,
                            ColumnWidthsCheckTheColumnAndTheWidth, TheCurrentCellsRectangleLiesInTheGrid);

// ---- the drop-down lists ---------------------------------------------------------------------

template <typename Kit>
class DropDownContract : public ::testing::Test {
protected:
    void SetUp() override { list().SetEventSink(&events); }
    void TearDown() override { list().SetEventSink(nullptr); }
    widgets::DropDown& list() { return kit.drop_down(); }

    Kit kit;
    EventLog events;
};
TYPED_TEST_SUITE_P(DropDownContract);

TYPED_TEST_P(DropDownContract, ANewListSelectsNothingAndAddingKeepsOrderAndSelection) {
    widgets::DropDown& list = this->list();
    EXPECT_EQ(list.ListIndex(), -1);
    EXPECT_EQ(list.Text(), u"");
    for (const char16_t* entry : {u"b", u"a", u"c", u"a"}) list.AddItem(entry);
    EXPECT_EQ(list.ListIndex(), -1);
    list.SetListIndex(3);
    EXPECT_EQ(list.Text(), u"a");
    list.SetListIndex(0);
    EXPECT_EQ(list.Text(), u"b") << "never sorted";
    list.AddItem(u"d");
    EXPECT_EQ(list.ListIndex(), 0);
}

TYPED_TEST_P(DropDownContract, AnIndexPutClicksOnlyWhenTheIndexChanges) {
    widgets::DropDown& list = this->list();
    for (const char16_t* entry : {u"x", u"y"}) list.AddItem(entry);
    list.SetListIndex(1);
    EXPECT_THAT(this->events.take(), ::testing::ElementsAre("Click"));
    list.SetListIndex(1);
    EXPECT_THAT(this->events.take(), ::testing::IsEmpty()) << "the same index";
    list.SetListIndex(-1);
    EXPECT_THAT(this->events.take(), ::testing::ElementsAre("Click")) << "the selection cleared";
    EXPECT_EQ(list.Text(), u"");
    list.SetListIndex(-1);
    EXPECT_THAT(this->events.take(), ::testing::IsEmpty());
    list.SetListIndex(0);
    this->events.take();
    for (std::int16_t bad : {-2, 2, 32767}) EXPECT_EQ(FailureOf([&] { list.SetListIndex(bad); }), kInvalidValue) << bad;
    EXPECT_EQ(list.ListIndex(), 0);
    EXPECT_THAT(this->events.take(), ::testing::IsEmpty());
    list.Clear();
    EXPECT_EQ(list.ListIndex(), -1);
    EXPECT_THAT(this->events.take(), ::testing::IsEmpty()) << "Clear raises no Click";
}

TYPED_TEST_P(DropDownContract, AFullListRefusesAnotherEntry) {
    widgets::DropDown& list = this->list();
    for (int i = 0; i < 32768; ++i) list.AddItem(u"e");
    EXPECT_EQ(FailureOf([&] { list.AddItem(u"one too many"); }), kOverflow);
    list.SetListIndex(32767);
    EXPECT_EQ(list.ListIndex(), 32767);
}

TYPED_TEST_P(DropDownContract, BadPlacementAndStackingAreRefused) {
    widgets::DropDown& list = this->list();
    EXPECT_EQ(FailureOf([&] { list.SetWidth(-1); }), kInvalidValue);
    EXPECT_EQ(FailureOf([&] { list.ZOrder(2); }), kInvalidValue);
    EXPECT_EQ(FailureOf([&] { list.ZOrder(-1); }), kInvalidValue);
    EXPECT_EQ(FailureOf([&] { list.SetFont(NoFont()); }), kObjectNotSet);
    EXPECT_GT(list.Height(), 0) << "a list has a height of its own";
}

REGISTER_TYPED_TEST_SUITE_P(DropDownContract, ANewListSelectsNothingAndAddingKeepsOrderAndSelection,
                            AnIndexPutClicksOnlyWhenTheIndexChanges, AFullListRefusesAnotherEntry,
                            BadPlacementAndStackingAreRefused);

// ---- the text box ----------------------------------------------------------------------------

template <typename Kit>
class TextBoxContract : public ::testing::Test {
protected:
    void SetUp() override { box().SetEventSink(&events); }
    void TearDown() override { box().SetEventSink(nullptr); }
    widgets::TextBox& box() { return kit.text_box(); }

    Kit kit;
    EventLog events;
};
TYPED_TEST_SUITE_P(TextBoxContract);

TYPED_TEST_P(TextBoxContract, GotFocusOnlyWhenTheFocusArrivesAndLostFocusWhenItLeaves) {
    widgets::TextBox& box = this->box();
    box.SetVisible(true);
    box.SetFocus();
    EXPECT_THAT(this->events.take(), ::testing::ElementsAre("GotFocus"));
    box.SetFocus();
    EXPECT_THAT(this->events.take(), ::testing::IsEmpty()) << "it has the focus already";
    this->kit.other_drop_down().SetVisible(true);
    this->kit.other_drop_down().SetFocus();
    EXPECT_THAT(this->events.take(), ::testing::ElementsAre("LostFocus"));
    box.SetFocus();
    EXPECT_THAT(this->events.take(), ::testing::ElementsAre("GotFocus"));
}

TYPED_TEST_P(TextBoxContract, TextIsKeptExactlyAlsoWhileHidden) {
    widgets::TextBox& box = this->box();
    const std::u16string odd = u"\U0001F600 caf\u00e9";
    box.SetText(odd);
    box.SetVisible(false);
    EXPECT_EQ(box.Text(), odd);
    box.SetSelStart(100);  // beyond the end: cut back
    box.SetSelLength(100);
    EXPECT_EQ(box.Text(), odd);
}

TYPED_TEST_P(TextBoxContract, BadValuesAreRefused) {
    widgets::TextBox& box = this->box();
    EXPECT_EQ(FailureOf([&] { box.Move(0, 0, -1, 10); }), kInvalidValue);
    EXPECT_EQ(FailureOf([&] { box.Move(0, 0, 10, -1); }), kInvalidValue);
    EXPECT_EQ(FailureOf([&] { box.SetTabIndex(-1); }), kInvalidValue);
    EXPECT_EQ(FailureOf([&] { box.SetBorderStyle(2); }), kInvalidValue);
    EXPECT_EQ(FailureOf([&] { box.SetSelStart(-1); }), kInvalidValue);
    EXPECT_EQ(FailureOf([&] { box.SetSelLength(-1); }), kInvalidValue);
    EXPECT_EQ(FailureOf([&] { box.ZOrder(3); }), kInvalidValue);
    EXPECT_EQ(FailureOf([&] { box.SetFont(NoFont()); }), kObjectNotSet);
    box.SetBorderStyle(0);
    box.SetBorderStyle(1);
    box.Move(0, 0, 0, 0);
}

REGISTER_TYPED_TEST_SUITE_P(TextBoxContract, GotFocusOnlyWhenTheFocusArrivesAndLostFocusWhenItLeaves,
                            TextIsKeptExactlyAlsoWhileHidden, BadValuesAreRefused);

// ---- the surface -----------------------------------------------------------------------------

template <typename Kit>
class SurfaceContract : public ::testing::Test {
protected:
    void SetUp() override { surface().SetEventSink(&events); }
    void TearDown() override {
        if (!destroyed) surface().SetEventSink(nullptr);
    }
    widgets::Container& surface() { return kit.surface(); }

    Kit kit;
    EventLog events;
    bool destroyed = false;
};
TYPED_TEST_SUITE_P(SurfaceContract);

TYPED_TEST_P(SurfaceContract, PlacingResizesTheFirstTimeAndOnEveryNewSize) {
    widgets::Container& surface = this->surface();
    surface.SetObjectRect(RECT{0, 0, 200, 100});
    EXPECT_THAT(this->events.take(), ::testing::ElementsAre("Resize"));
    EXPECT_FLOAT_EQ(surface.ScaleWidth(), 3000.0f) << "15 twips a pixel at 96 DPI";
    EXPECT_FLOAT_EQ(surface.ScaleHeight(), 1500.0f);
    surface.SetObjectRect(RECT{0, 0, 200, 100});
    EXPECT_THAT(this->events.take(), ::testing::IsEmpty()) << "the same size";
    surface.SetObjectRect(RECT{10, 10, 110, 60});
    EXPECT_THAT(this->events.take(), ::testing::ElementsAre("Resize"));
    EXPECT_EQ(FailureOf([&] { surface.SetObjectRect(RECT{10, 0, 0, 10}); }), kInvalidValue);
    EXPECT_FLOAT_EQ(surface.ScaleWidth(), 1500.0f);
}

TYPED_TEST_P(SurfaceContract, ColoursComeBackAsGivenAndANullFontIsRefused) {
    widgets::Container& surface = this->surface();
    surface.SetBackColor(0x80000005);
    surface.SetForeColor(0x00123456);
    EXPECT_EQ(surface.BackColor(), 0x80000005u) << "a system colour is kept as such";
    EXPECT_EQ(surface.ForeColor(), 0x00123456u);
    EXPECT_TRUE(surface.Font()) << "a design-time font";
    EXPECT_EQ(FailureOf([&] { surface.SetFont(NoFont()); }), kObjectNotSet);
    EXPECT_NE(surface.hWnd(), 0u);
}

TYPED_TEST_P(SurfaceContract, AfterDestroyEveryWidgetInTheWindowFailsWithEHandle) {
    this->surface().SetEventSink(nullptr);
    this->surface().Destroy();
    this->destroyed = true;
    EXPECT_EQ(FailureOf([&] { this->surface().ScaleWidth(); }), E_HANDLE);
    EXPECT_EQ(FailureOf([&] { this->kit.grid().SetRows(1); }), E_HANDLE);
    EXPECT_EQ(FailureOf([&] { this->kit.text_box().SetText(u"x"); }), E_HANDLE);
    EXPECT_EQ(FailureOf([&] { this->kit.drop_down().AddItem(u"x"); }), E_HANDLE);
    EXPECT_THAT(this->events.take(), ::testing::IsEmpty()) << "no event";
}

REGISTER_TYPED_TEST_SUITE_P(SurfaceContract, PlacingResizesTheFirstTimeAndOnEveryNewSize,
                            ColoursComeBackAsGivenAndANullFontIsRefused,
                            AfterDestroyEveryWidgetInTheWindowFailsWithEHandle);

}  // namespace orvane::contract
