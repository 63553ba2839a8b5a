// The widget contract (control/widgets/) written once as tests, and run against every
// widget set that implements it: the recording doubles that the control's unit tests use
// and the toolkits of the control's library (Qt; the system's windows on Windows). A rule
// that holds for one set and not the other would make the control's unit tests prove
// nothing about the real control.
//
// A kit makes one control's widgets in a fresh window, names them, acts on them as the
// user does and reports what the user would see where the contract has no member for it:
//
//     struct Kit {
//         widgets::Container& surface(); widgets::Grid& grid(); widgets::TextBox& text_box();
//         widgets::DropDown& drop_down();   // two lists, so that focus can move
//         widgets::DropDown& other_drop_down();
//
//         // The user's hands. Keys are virtual-key codes with the shift state (keys::).
//         void press(widgets::Grid& | widgets::TextBox& | widgets::DropDown&, std::int16_t key, std::int16_t shift);
//         void type(widgets::Grid&, char16_t character);
//         void click(widgets::Grid&, std::int32_t row, std::int32_t col, std::int16_t button, std::int16_t shift);
//         void scroll(widgets::Grid&, std::int32_t top_row);      // row top_row first in view
//         void drag_split(widgets::Grid&, std::int32_t twips);    // column 0 that wide
//         void focus_outside();                                   // to a widget of the window outside the control
//         void repaint(widgets::Container&);                      // the surface paints itself
//         // Sets the row count and shows or hides the vertical scroll bar as the rows need.
//         void lay_out_rows(widgets::Grid&, std::int32_t rows);
//
//         // What the user sees.
//         bool cell_choice(std::int32_t row, std::int32_t col);   // the drop-down glyph
//         bool tab_stop(widgets::Grid&);
//         std::u16string accessible_name(widgets::Grid& | widgets::TextBox& | widgets::DropDown&);
//         bool list_open(widgets::DropDown&);
//         Place place(widgets::TextBox& | widgets::DropDown&);    // on the surface, twips
//     };
//
// Each test suite is instantiated once per kit (contract_fakes_test.cpp,
// contract_qt_test.cpp, and under Wine contract_win32_test.cpp).
#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include <comrt/error.h>
#include <testing/failure.h>
#include <testing/fonts.h>
#include <control/widgets/widget_set.h>

namespace orvane::contract {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

inline constexpr HRESULT kInvalidValue = CTL_E_INVALIDPROPERTYVALUE;
inline constexpr HRESULT kSubscript = comrt::runtime_hresult(comrt::runtime_error::subscript_out_of_range);
inline constexpr HRESULT kOverflow = comrt::runtime_hresult(comrt::runtime_error::overflow);
inline constexpr HRESULT kObjectNotSet = comrt::runtime_hresult(comrt::runtime_error::object_not_set);

namespace keys = widgets::keys;

// The HRESULT a contract member fails with; S_OK when it does not fail.
using pg_testing::FailureOf;

// Where a widget lies on the surface, in twips.
struct Place {
    double left, top, width, height;
};

// Every event of the widgets, in order, with what the event's handler reads: the grid's
// current cell for the cell events, both column widths for ColumnResized, the keys as
// raised. Each handler returns `result`; with `handles_keys` it sets the key (character)
// to 0, which tells the widget it was handled.
struct EventLog final : widgets::GridEvents, widgets::TextBoxEvents, widgets::DropDownEvents, widgets::ContainerEvents {
    explicit EventLog(widgets::Grid* g = nullptr) : grid(g) {}
    // A member that fails (a widget already gone) shows as "?": the log notes it, the test
    // fails on the entry.
    template <typename Read>
    static std::string read(Read&& value) {
        try {
            return std::to_string(value());
        } catch (const comrt::com_error&) {
            return "?";
        }
    }
    std::string cell(const char* event) {
        return std::string(event) + "(" + read([&] { return grid->Row(); }) + "," + read([&] { return grid->Col(); }) +
               ")";
    }
    HRESULT EnterCell() noexcept override { return note(cell("EnterCell")); }
    HRESULT LeaveCell() noexcept override { return note(cell("LeaveCell")); }
    HRESULT MouseDown(std::int16_t button, std::int16_t shift, float x, float y) noexcept override {
        mouse_x = x;
        mouse_y = y;
        return note("MouseDown(" + std::to_string(button) + "," + std::to_string(shift) + ")");
    }
    HRESULT Scroll() noexcept override { return note("Scroll"); }
    HRESULT KeyDown(std::int16_t& key, std::int16_t shift) noexcept override {
        const HRESULT hr = note("KeyDown(" + std::to_string(key) + "," + std::to_string(shift) + ")");
        if (handles_keys) key = 0;
        return hr;
    }
    HRESULT KeyPress(std::int16_t& character) noexcept override {
        const HRESULT hr = note("KeyPress(" + std::to_string(character) + ")");
        if (handles_keys) character = 0;
        return hr;
    }
    HRESULT ColumnResized() noexcept override {
        return note("ColumnResized(" + read([&] { return grid->ColWidth(0); }) + "," +
                    read([&] { return grid->ColWidth(1); }) + ")");
    }
    HRESULT GotFocus() noexcept override { return note("GotFocus"); }
    HRESULT LostFocus() noexcept override { return note("LostFocus"); }
    HRESULT Click() noexcept override { return note("Click"); }
    HRESULT Initialize() noexcept override { return note("Initialize"); }
    HRESULT Resize() noexcept override { return note("Resize"); }
    HRESULT Terminate() noexcept override { return note("Terminate"); }
    HRESULT ExitFocus() noexcept override { return note("ExitFocus"); }
    HRESULT note(std::string event) {
        seen.push_back(std::move(event));
        return result;
    }
    std::vector<std::string> take() { return std::exchange(seen, {}); }

    widgets::Grid* grid;
    std::vector<std::string> seen;
    HRESULT result = S_OK;
    bool handles_keys = false;
    float mouse_x = -1;
    float mouse_y = -1;
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
    EXPECT_THAT(this->events.take(), ElementsAre("LeaveCell(0,0)", "EnterCell(2,0)"));
    EXPECT_EQ(grid.Row(), 2);
    grid.SetRow(2);
    grid.SetCol(0);
    EXPECT_THAT(this->events.take(), IsEmpty()) << "the current cell again";
    // A failing handler fails neither the put nor the event after it.
    this->events.result = E_FAIL;
    EXPECT_EQ(FailureOf([&] { grid.SetCol(1); }), S_OK);
    EXPECT_THAT(this->events.take(), ElementsAre("LeaveCell(2,0)", "EnterCell(2,1)"));
    EXPECT_EQ(grid.Col(), 1);
    grid.SetEventSink(nullptr);
    grid.SetRow(0);
    EXPECT_THAT(this->events.take(), IsEmpty()) << "a disconnected sink";
    EXPECT_EQ(grid.Row(), 0);
}

TYPED_TEST_P(GridContract, PutsOutsideTheGridFailAndChangeNothing) {
    widgets::Grid& grid = this->grid();
    grid.SetRow(1);
    this->events.take();
    for (std::int32_t bad : {-1, 3, 1000}) EXPECT_EQ(FailureOf([&] { grid.SetRow(bad); }), kInvalidValue) << bad;
    for (std::int32_t bad : {-1, 2}) EXPECT_EQ(FailureOf([&] { grid.SetCol(bad); }), kInvalidValue) << bad;
    EXPECT_EQ(grid.Row(), 1);
    EXPECT_EQ(grid.Col(), 0);
    EXPECT_THAT(this->events.take(), IsEmpty());
    EXPECT_EQ(FailureOf([&] { grid.SetRows(-1); }), kInvalidValue);
    EXPECT_EQ(FailureOf([&] { grid.SetCols(-1); }), kInvalidValue);
    EXPECT_EQ(FailureOf([&] { grid.SetRowHeightMin(-1); }), kInvalidValue);
    EXPECT_EQ(FailureOf([&] { grid.SetWidth(-1); }), kInvalidValue);
    EXPECT_EQ(FailureOf([&] { grid.SetHeight(-1); }), kInvalidValue);
    EXPECT_EQ(FailureOf([&] { grid.SetFont(NoFont()); }), kObjectNotSet);
}

// Cells in both the old and the new counts keep their text and choice mark; a cell that a
// shrink took away comes back empty.
TYPED_TEST_P(GridContract, CellsKeepTextAndChoiceThroughCountChangesAndComeBackEmpty) {
    widgets::Grid& grid = this->grid();
    const std::u16string odd = u"caf\u00e9 \U0001F600 \u0000x";
    grid.SetRow(2);
    grid.SetCol(1);
    grid.SetText(u"dropped");
    grid.SetCellChoice(true);
    grid.SetRow(1);
    grid.SetText(odd);
    grid.SetCellChoice(true);
    grid.SetRows(5);
    grid.SetCols(3);
    grid.SetCols(2);
    EXPECT_EQ(grid.Row(), 1);
    EXPECT_EQ(grid.Text(), odd);
    EXPECT_TRUE(this->kit.cell_choice(1, 1));
    EXPECT_FALSE(this->kit.cell_choice(1, 0)) << "only the current cell";
    grid.SetRows(2);
    grid.SetRows(3);
    grid.SetRow(2);
    EXPECT_EQ(grid.Text(), u"");
    EXPECT_FALSE(this->kit.cell_choice(2, 1)) << "a cell added anew has no choice mark";
    grid.SetRow(1);
    grid.SetCellChoice(false);
    EXPECT_FALSE(this->kit.cell_choice(1, 1));
    grid.SetAccessibleName(odd);
    EXPECT_EQ(this->kit.accessible_name(grid), odd);
    grid.SetColumnName(1, odd);
    EXPECT_EQ(this->kit.column_name(1), odd);
    EXPECT_EQ(FailureOf([&] { grid.SetColumnName(2, u"x"); }), kSubscript);
}

TYPED_TEST_P(GridContract, ShrinkingBelowTheCurrentCellMovesItToTheLastOneLeft) {
    widgets::Grid& grid = this->grid();
    grid.SetRow(2);
    grid.SetCol(1);
    this->events.take();
    grid.SetRows(2);
    EXPECT_EQ(grid.Row(), 1);
    EXPECT_THAT(this->events.take(), ElementsAre("LeaveCell(2,1)", "EnterCell(1,1)"));
    grid.SetCols(1);
    EXPECT_THAT(this->events.take(), ElementsAre("LeaveCell(1,1)", "EnterCell(1,0)"));
    grid.SetCols(2);
    grid.SetRows(0);
    EXPECT_EQ(grid.Row(), 0);
    // An empty grid has no current cell: its text reads empty and cannot be written.
    EXPECT_EQ(grid.Text(), u"");
    EXPECT_EQ(FailureOf([&] { grid.SetText(u"x"); }), kInvalidValue);
    EXPECT_EQ(FailureOf([&] { grid.SetCellAlignment(0); }), kInvalidValue);
    EXPECT_EQ(FailureOf([&] { grid.SetCellChoice(true); }), kInvalidValue);
    EXPECT_FALSE(grid.CellVisible()) << "no current cell";
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

// The control places its editors at the grid's Left() / Top() plus the cell's offsets.
TYPED_TEST_P(GridContract, TheCurrentCellsRectangleLiesInTheGridWhereverTheGridIsPlaced) {
    widgets::Grid& grid = this->grid();
    grid.SetColWidth(0, 1500);
    grid.SetColWidth(1, 1500);
    grid.SetRowHeightMin(600);
    grid.SetRow(1);
    grid.SetCol(1);
    EXPECT_GE(grid.CellLeft(), 1500 - 15);
    EXPECT_GE(grid.CellTop(), 600 - 15);
    EXPECT_GE(grid.CellWidth(), 0);
    EXPECT_LE(grid.CellWidth(), 1500);
    EXPECT_NEAR(grid.CellHeight(), 600, 15) << "no row lower than the minimum";
    EXPECT_TRUE(grid.CellVisible());
    const std::int32_t left = grid.CellLeft(), top = grid.CellTop();
    grid.SetLeft(7.5f);
    grid.SetTop(480.25f);
    EXPECT_EQ(grid.Left(), 7.5f) << "exactly as set";
    EXPECT_EQ(grid.Top(), 480.25f);
    EXPECT_EQ(grid.CellLeft(), left) << "relative to the grid";
    EXPECT_EQ(grid.CellTop(), top);
    grid.SetColWidth(1, 0);
    EXPECT_EQ(grid.CellWidth(), 0) << "a cell of no width has none";
    for (bool stop : {false, true}) {
        grid.SetTabStop(stop);
        EXPECT_EQ(this->kit.tab_stop(grid), stop);
    }
}

TYPED_TEST_P(GridContract, KeysReachKeyDownBeforeTheGridActsAndTypedCharactersReachKeyPress) {
    widgets::Grid& grid = this->grid();
    auto& kit = this->kit;
    grid.SetRow(2);
    grid.SetCol(1);
    grid.SetText(u"xylophone");  // where a search by typing "x" would jump to
    grid.SetCol(0);
    grid.SetRow(0);
    grid.SetFocus();
    this->events.take();
    const auto press = [&](std::int16_t key, std::int16_t shift) {
        return [&kit, &grid, key, shift] { kit.press(grid, key, shift); };
    };
    const auto type = [&](char16_t character) { return [&kit, &grid, character] { kit.type(grid, character); }; };
    const struct {
        const char* name;
        std::function<void()> act;
        bool handled;
        std::vector<std::string> expected;
        std::int32_t row, col;
    } rows[] = {
        {"Down", press(keys::kDown, 0), false, {"KeyDown(40,0)", "LeaveCell(0,0)", "EnterCell(1,0)"}, 1, 0},
        {"Right", press(keys::kRight, 0), false, {"KeyDown(39,0)", "LeaveCell(1,0)", "EnterCell(1,1)"}, 1, 1},
        {"Up, handled", press(keys::kUp, 0), true, {"KeyDown(38,0)"}, 1, 1},
        {"Ctrl+Shift+F2", press(keys::kF2, keys::kShift | keys::kCtrl), false, {"KeyDown(113,3)"}, 1, 1},
        {"x typed", type(u'x'), false, {"KeyPress(120)"}, 1, 1},
        {"y typed, handled", type(u'y'), true, {"KeyPress(121)"}, 1, 1},
    };
    for (const auto& row : rows) {
        this->events.handles_keys = row.handled;
        row.act();
        EXPECT_EQ(this->events.take(), row.expected) << row.name;
        EXPECT_EQ(grid.Row(), row.row) << row.name;
        EXPECT_EQ(grid.Col(), row.col) << row.name;
    }
}

// MouseDown comes before or after the cell events of the press, as the grid has it.
TYPED_TEST_P(GridContract, APressRaisesMouseDownWithinTheCellItMovesTo) {
    widgets::Grid& grid = this->grid();
    grid.SetColWidth(0, 1500);
    grid.SetColWidth(1, 1500);
    const struct {
        const char* name;
        std::int32_t row, col;
        std::int16_t button, shift;
        std::vector<std::string> cell_events;
    } rows[] = {
        {"left", 1, 1, 1, 0, {"LeaveCell(0,0)", "EnterCell(1,1)"}},
        {"right with shift", 2, 0, 2, keys::kShift, {"LeaveCell(1,1)", "EnterCell(2,0)"}},
        {"left on the current cell", 2, 0, 1, keys::kCtrl | keys::kAlt, {}},
    };
    for (const auto& row : rows) {
        this->kit.click(grid, row.row, row.col, row.button, row.shift);
        std::vector<std::string> seen = this->events.take();
        const std::string press = "MouseDown(" + std::to_string(row.button) + "," + std::to_string(row.shift) + ")";
        EXPECT_EQ(std::erase(seen, press), 1u) << row.name;
        EXPECT_EQ(seen, row.cell_events) << row.name;
        EXPECT_EQ(grid.Row(), row.row) << row.name;
        EXPECT_EQ(grid.Col(), row.col) << row.name;
        EXPECT_GE(this->events.mouse_x, grid.CellLeft()) << row.name;
        EXPECT_LE(this->events.mouse_x, grid.CellLeft() + grid.CellWidth()) << row.name;
        EXPECT_GE(this->events.mouse_y, grid.CellTop()) << row.name;
        EXPECT_LE(this->events.mouse_y, grid.CellTop() + grid.CellHeight()) << row.name;
    }
}

TYPED_TEST_P(GridContract, ScrollingRaisesScrollAndMovesTheCellsUnderTheCurrentCell) {
    widgets::Grid& grid = this->grid();
    grid.SetRows(100);
    this->kit.scroll(grid, 10);
    EXPECT_THAT(this->events.take(), ElementsAre("Scroll"));
    EXPECT_EQ(grid.Row(), 0) << "the current cell stays";
    EXPECT_LT(grid.CellTop(), 0) << "row 0 lies above the view";
    EXPECT_FALSE(grid.CellVisible());
    grid.SetRow(11);
    EXPECT_TRUE(grid.CellVisible());
    EXPECT_GT(grid.CellTop(), 0);
    EXPECT_LT(grid.CellTop(), 2 * grid.CellHeight() + 15) << "the second row in view";
}

TYPED_TEST_P(GridContract, DraggingTheSplitRaisesColumnResizedWithOnlyTheNameColumnResized) {
    widgets::Grid& grid = this->grid();
    grid.SetColWidth(0, 1500);
    grid.SetColWidth(1, 1500);
    this->kit.drag_split(grid, 2250);
    EXPECT_THAT(this->events.take(), ElementsAre("ColumnResized(2250,1500)"));
}

REGISTER_TYPED_TEST_SUITE_P(GridContract, AMoveRaisesLeaveForTheOldCellThenEnterForTheNewOneAndARepeatRaisesNothing,
                            PutsOutsideTheGridFailAndChangeNothing,
                            CellsKeepTextAndChoiceThroughCountChangesAndComeBackEmpty,
                            ShrinkingBelowTheCurrentCellMovesItToTheLastOneLeft,
                            ColumnWidthsCheckTheColumnAndTheWidth,
                            TheCurrentCellsRectangleLiesInTheGridWhereverTheGridIsPlaced,
                            KeysReachKeyDownBeforeTheGridActsAndTypedCharactersReachKeyPress,
                            APressRaisesMouseDownWithinTheCellItMovesTo,
                            ScrollingRaisesScrollAndMovesTheCellsUnderTheCurrentCell,
                            DraggingTheSplitRaisesColumnResizedWithOnlyTheNameColumnResized);

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
    list.SetAccessibleName(u"Gro\u00dfe \U0001F600");
    EXPECT_EQ(this->kit.accessible_name(list), u"Gro\u00dfe \U0001F600");
}

TYPED_TEST_P(DropDownContract, AnIndexPutClicksOnlyWhenTheIndexChanges) {
    widgets::DropDown& list = this->list();
    for (const char16_t* entry : {u"x", u"y"}) list.AddItem(entry);
    list.SetListIndex(1);
    EXPECT_THAT(this->events.take(), ElementsAre("Click"));
    list.SetListIndex(1);
    EXPECT_THAT(this->events.take(), IsEmpty()) << "the same index";
    list.SetListIndex(-1);
    EXPECT_THAT(this->events.take(), ElementsAre("Click")) << "the selection cleared";
    EXPECT_EQ(list.Text(), u"");
    list.SetListIndex(-1);
    EXPECT_THAT(this->events.take(), IsEmpty());
    this->events.result = E_FAIL;
    EXPECT_EQ(FailureOf([&] { list.SetListIndex(0); }), S_OK) << "a failing handler fails no put";
    EXPECT_THAT(this->events.take(), ElementsAre("Click"));
    for (std::int16_t bad : {-2, 2, 32767}) EXPECT_EQ(FailureOf([&] { list.SetListIndex(bad); }), kInvalidValue) << bad;
    EXPECT_EQ(list.ListIndex(), 0);
    EXPECT_THAT(this->events.take(), IsEmpty());
    list.Clear();
    EXPECT_EQ(list.ListIndex(), -1);
    EXPECT_THAT(this->events.take(), IsEmpty()) << "Clear raises no Click";
    list.AddItem(u"z");
    list.SetEventSink(nullptr);
    list.SetListIndex(0);
    EXPECT_THAT(this->events.take(), IsEmpty()) << "a disconnected sink";
}

TYPED_TEST_P(DropDownContract, AFullListRefusesAnotherEntry) {
    widgets::DropDown& list = this->list();
    for (int i = 0; i < 32768; ++i) list.AddItem(u"e");
    EXPECT_EQ(FailureOf([&] { list.AddItem(u"one too many"); }), kOverflow);
    list.SetListIndex(32767);
    EXPECT_EQ(list.ListIndex(), 32767);
}

TYPED_TEST_P(DropDownContract, PlacementIsInTwipsAndBadPlacementAndStackingAreRefused) {
    widgets::DropDown& list = this->list();
    const float height = list.Height();
    EXPECT_GT(height, 0) << "a list has a height of its own";
    list.SetLeft(1500);
    list.SetTop(300.5f);
    list.SetWidth(2250);
    EXPECT_EQ(FailureOf([&] { list.SetWidth(-1); }), kInvalidValue);
    const Place place = this->kit.place(list);
    EXPECT_NEAR(place.left, 1500, 8);
    EXPECT_NEAR(place.top, 300.5, 8);
    EXPECT_NEAR(place.width, 2250, 8) << "a refused width changes nothing";
    EXPECT_NEAR(place.height, height, 8) << "the height stays the list's own";
    EXPECT_EQ(list.Height(), height);
    EXPECT_EQ(FailureOf([&] { list.ZOrder(2); }), kInvalidValue);
    EXPECT_EQ(FailureOf([&] { list.ZOrder(-1); }), kInvalidValue);
    EXPECT_EQ(FailureOf([&] { list.SetFont(NoFont()); }), kObjectNotSet);
}

TYPED_TEST_P(DropDownContract, ShowListOpensOnlyAVisibleListAndNeitherItNorRefreshClicks) {
    widgets::DropDown& list = this->list();
    for (const char16_t* entry : {u"x", u"y"}) list.AddItem(entry);
    for (int i = 0; i < 40; ++i) list.AddItem(u"z");
    list.SetListIndex(1);
    this->events.take();
    list.SetVisible(false);
    list.ShowList();
    EXPECT_FALSE(this->kit.list_open(list)) << "a hidden list opens nothing";
    list.SetVisible(true);
    list.Refresh();
    list.ShowList();
    EXPECT_TRUE(this->kit.list_open(list));
    EXPECT_THAT(this->events.take(), IsEmpty());
    EXPECT_EQ(list.ListIndex(), 1);
    EXPECT_EQ(list.Text(), u"y");
    list.SetVisible(false);
    EXPECT_FALSE(this->kit.list_open(list)) << "hiding closes it";
}

// The control handles the keys it acts on in its editors; such a key does nothing more.
TYPED_TEST_P(DropDownContract, KeysOnTheClosedListReachKeyDownAndAHandledKeyDoesNothingMore) {
    widgets::DropDown& list = this->list();
    for (const char16_t* entry : {u"x", u"y", u"z"}) list.AddItem(entry);
    list.SetListIndex(1);
    list.SetVisible(true);
    list.SetFocus();
    this->events.take();
    this->events.handles_keys = true;
    const struct {
        std::int16_t key, shift;
        const char* expected;
    } rows[] = {
        {keys::kDown, 0, "KeyDown(40,0)"},
        {keys::kDown, keys::kAlt, "KeyDown(40,4)"},
        {keys::kF4, 0, "KeyDown(115,0)"},
        {keys::kTab, keys::kShift, "KeyDown(9,1)"},
        {keys::kReturn, 0, "KeyDown(13,0)"},
    };
    for (const auto& row : rows) {
        this->kit.press(list, row.key, row.shift);
        EXPECT_THAT(this->events.take(), ElementsAre(row.expected));
    }
    EXPECT_EQ(list.ListIndex(), 1);
    EXPECT_FALSE(this->kit.list_open(list));
}

REGISTER_TYPED_TEST_SUITE_P(DropDownContract, ANewListSelectsNothingAndAddingKeepsOrderAndSelection,
                            AnIndexPutClicksOnlyWhenTheIndexChanges, AFullListRefusesAnotherEntry,
                            PlacementIsInTwipsAndBadPlacementAndStackingAreRefused,
                            ShowListOpensOnlyAVisibleListAndNeitherItNorRefreshClicks,
                            KeysOnTheClosedListReachKeyDownAndAHandledKeyDoesNothingMore);

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
    widgets::DropDown& list = this->kit.other_drop_down();
    list.SetVisible(true);
    const struct {
        const char* name;
        std::function<void()> take_focus;
    } elsewhere[] = {
        {"to a list", [&] { list.SetFocus(); }},
        {"to the grid", [&] { this->kit.grid().SetFocus(); }},
    };
    for (const auto& row : elsewhere) {
        box.SetFocus();
        EXPECT_THAT(this->events.take(), ElementsAre("GotFocus")) << row.name;
        box.SetFocus();
        EXPECT_THAT(this->events.take(), IsEmpty()) << "it has the focus already";
        row.take_focus();
        EXPECT_THAT(this->events.take(), ElementsAre("LostFocus")) << row.name;
    }
    box.SetEventSink(nullptr);
    box.SetFocus();
    EXPECT_THAT(this->events.take(), IsEmpty()) << "a disconnected sink";
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
    box.SetAccessibleName(odd);
    EXPECT_EQ(this->kit.accessible_name(box), odd);
}

TYPED_TEST_P(TextBoxContract, MovePlacesInTwipsAndBadValuesAreRefused) {
    widgets::TextBox& box = this->box();
    box.Move(840.5f, 3000.25, 1335, 285);
    EXPECT_EQ(FailureOf([&] { box.Move(0, 0, -1, 10); }), kInvalidValue);
    EXPECT_EQ(FailureOf([&] { box.Move(0, 0, 10, -1); }), kInvalidValue);
    const Place place = this->kit.place(box);
    EXPECT_NEAR(place.left, 840.5, 8) << "a refused move moves nothing";
    EXPECT_NEAR(place.top, 3000.25, 8);
    EXPECT_NEAR(place.width, 1335, 8);
    EXPECT_NEAR(place.height, 285, 8);
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

// The control handles the keys it acts on in its editors: Tab and Shift+Tab reach KeyDown
// instead of moving the focus, and a handled key does nothing more.
TYPED_TEST_P(TextBoxContract, KeysReachKeyDownAndAHandledTabKeepsTheFocus) {
    widgets::TextBox& box = this->box();
    box.SetVisible(true);
    box.SetText(u"typed");
    box.SetFocus();
    this->events.take();
    const struct {
        std::int16_t key, shift;
        bool handled;
        const char* expected;
    } rows[] = {
        {keys::kTab, 0, true, "KeyDown(9,0)"},
        {keys::kTab, keys::kShift, true, "KeyDown(9,1)"},
        {keys::kReturn, keys::kAlt, true, "KeyDown(13,4)"},
        {keys::kUp, 0, true, "KeyDown(38,0)"},
        {keys::kEscape, 0, false, "KeyDown(27,0)"},
        {keys::kF2, keys::kCtrl, false, "KeyDown(113,2)"},
    };
    for (const auto& row : rows) {
        this->events.handles_keys = row.handled;
        this->kit.press(box, row.key, row.shift);
        EXPECT_THAT(this->events.take(), ElementsAre(row.expected)) << "the only event: no LostFocus";
    }
    EXPECT_EQ(box.Text(), u"typed");
}

REGISTER_TYPED_TEST_SUITE_P(TextBoxContract, GotFocusOnlyWhenTheFocusArrivesAndLostFocusWhenItLeaves,
                            TextIsKeptExactlyAlsoWhileHidden, MovePlacesInTwipsAndBadValuesAreRefused,
                            KeysReachKeyDownAndAHandledTabKeepsTheFocus);

// ---- the surface -----------------------------------------------------------------------------

// The surface raises Resize and ExitFocus; Initialize and Terminate are the control's own to
// raise, so no member and no user action of the surface raises them.
template <typename Kit>
class SurfaceContract : public ::testing::Test {
protected:
    void SetUp() override { surface().SetEventSink(&events); }
    void TearDown() override {
        surface().SetEventSink(nullptr);
        kit.text_box().SetEventSink(nullptr);
        kit.grid().SetEventSink(nullptr);
        kit.drop_down().SetEventSink(nullptr);
        kit.other_drop_down().SetEventSink(nullptr);
    }
    widgets::Container& surface() { return kit.surface(); }

    Kit kit;
    EventLog events{&kit.grid()};
};
TYPED_TEST_SUITE_P(SurfaceContract);

TYPED_TEST_P(SurfaceContract, PlacingResizesTheFirstTimeAndOnEveryNewSize) {
    widgets::Container& surface = this->surface();
    surface.SetObjectRect(RECT{0, 0, 200, 100});
    EXPECT_THAT(this->events.take(), ElementsAre("Resize")) << "no Initialize, no Terminate";
    EXPECT_FLOAT_EQ(surface.ScaleWidth(), 3000.0f) << "15 twips a pixel at 96 DPI";
    EXPECT_FLOAT_EQ(surface.ScaleHeight(), 1500.0f);
    surface.SetObjectRect(RECT{0, 0, 200, 100});
    EXPECT_THAT(this->events.take(), IsEmpty()) << "the same size";
    surface.SetObjectRect(RECT{10, 10, 110, 60});
    EXPECT_THAT(this->events.take(), ElementsAre("Resize"));
    EXPECT_EQ(FailureOf([&] { surface.SetObjectRect(RECT{10, 0, 0, 10}); }), kInvalidValue);
    EXPECT_FLOAT_EQ(surface.ScaleWidth(), 1500.0f);
    // Hiding and showing the window keeps its size and raises nothing.
    surface.SetVisible(false);
    surface.SetVisible(true);
    EXPECT_THAT(this->events.take(), IsEmpty());
    EXPECT_FLOAT_EQ(surface.ScaleWidth(), 1500.0f);
}

// Colours pass to every widget unchanged, system colours included; fonts are shared.
TYPED_TEST_P(SurfaceContract, ColoursComeBackAsGivenAndTheFontIsSharedNotCopied) {
    widgets::Container& surface = this->surface();
    widgets::Grid& grid = this->kit.grid();
    widgets::TextBox& box = this->kit.text_box();
    widgets::DropDown& list = this->kit.drop_down();
    EXPECT_TRUE(surface.Font()) << "a design-time font";
    const widgets::FontRef font = pg_testing::MakeFont(u"Arial", 12);
    const std::pair<OLE_COLOR, OLE_COLOR> colours[] = {{0x80000005u, 0x80000008u}, {0x00123456u, 0x00654321u}};
    for (const auto& pair : colours) {
        // Named copies: clang before 16 cannot capture a structured binding in a lambda.
        const OLE_COLOR back = pair.first;
        const OLE_COLOR fore = pair.second;
        surface.SetBackColor(back);
        surface.SetForeColor(fore);
        EXPECT_EQ(surface.BackColor(), back);
        EXPECT_EQ(surface.ForeColor(), fore);
        const std::pair<const char*, std::function<void()>> puts[] = {
            {"grid", [&] { grid.SetBackColor(back); grid.SetForeColor(fore); grid.SetFont(font); }},
            {"text box", [&] { box.SetBackColor(back); box.SetForeColor(fore); box.SetFont(font); }},
            {"list", [&] { list.SetBackColor(back); list.SetForeColor(fore); list.SetFont(font); }},
        };
        for (const auto& [name, put] : puts) EXPECT_EQ(FailureOf(put), S_OK) << name << " " << std::hex << back;
    }
    surface.SetFont(font);
    EXPECT_EQ(surface.Font().get(), font.get()) << "the same object";
    EXPECT_EQ(FailureOf([&] { surface.SetFont(NoFont()); }), kObjectNotSet);
    EXPECT_EQ(surface.Font().get(), font.get());
    EXPECT_NE(surface.hWnd(), 0u);
    EXPECT_NE(surface.hWnd(), grid.hWnd()) << "windows of their own";
}

TYPED_TEST_P(SurfaceContract, FocusLeavingTheControlRaisesExitFocusAndMovesWithinItDoNot) {
    widgets::TextBox& box = this->kit.text_box();
    widgets::DropDown& list = this->kit.other_drop_down();
    box.SetEventSink(&this->events);
    box.SetVisible(true);
    list.SetVisible(true);
    box.SetFocus();
    list.SetFocus();
    EXPECT_THAT(this->events.take(), ElementsAre("GotFocus", "LostFocus")) << "a move within the control";
    box.SetFocus();
    this->events.take();
    this->kit.focus_outside();
    EXPECT_THAT(this->events.take(), ::testing::UnorderedElementsAre("LostFocus", "ExitFocus"));
    box.SetFocus();
    EXPECT_THAT(this->events.take(), ElementsAre("GotFocus")) << "coming back is no exit";
}

// Every member of the surface and of the widgets in its window fails with E_HANDLE after
// Destroy, which raises nothing, though every sink is connected and an editor has the focus.
TYPED_TEST_P(SurfaceContract, AfterDestroyEveryMemberFailsWithEHandleAndNothingIsRaised) {
    widgets::Container& surface = this->surface();
    widgets::Grid& grid = this->kit.grid();
    widgets::TextBox& box = this->kit.text_box();
    widgets::DropDown& list = this->kit.drop_down();
    grid.SetEventSink(&this->events);
    box.SetEventSink(&this->events);
    list.SetEventSink(&this->events);
    this->kit.other_drop_down().SetEventSink(&this->events);
    box.SetVisible(true);
    box.SetFocus();
    const widgets::FontRef font = surface.Font();
    this->events.take();
    surface.Destroy();
    EXPECT_THAT(this->events.take(), IsEmpty()) << "no Terminate, no LostFocus, nothing";
    const std::pair<const char*, std::function<void()>> calls[] = {
        {"surface.ScaleWidth", [&] { surface.ScaleWidth(); }}, {"surface.ScaleHeight", [&] { surface.ScaleHeight(); }},
        {"surface.hWnd", [&] { surface.hWnd(); }}, {"surface.BackColor", [&] { surface.BackColor(); }},
        {"surface.SetBackColor", [&] { surface.SetBackColor(0); }}, {"surface.ForeColor", [&] { surface.ForeColor(); }},
        {"surface.SetForeColor", [&] { surface.SetForeColor(0); }}, {"surface.Font", [&] { surface.Font(); }},
        {"surface.SetFont", [&] { surface.SetFont(font); }}, {"surface.SetVisible", [&] { surface.SetVisible(true); }},
        {"surface.SetObjectRect", [&] { surface.SetObjectRect(RECT{0, 0, 10, 10}); }},
        {"surface.ShowMessage", [&] { surface.ShowMessage(0, 0, 10, u"x"); }},
        {"surface.HideMessage", [&] { surface.HideMessage(); }},
        {"grid.Text", [&] { grid.Text(); }}, {"grid.SetText", [&] { grid.SetText(u"x"); }},
        {"grid.SetRows", [&] { grid.SetRows(1); }}, {"grid.SetCols", [&] { grid.SetCols(1); }},
        {"grid.Row", [&] { grid.Row(); }}, {"grid.SetRow", [&] { grid.SetRow(0); }},
        {"grid.Col", [&] { grid.Col(); }}, {"grid.SetCol", [&] { grid.SetCol(0); }},
        {"grid.CellLeft", [&] { grid.CellLeft(); }}, {"grid.CellTop", [&] { grid.CellTop(); }},
        {"grid.CellWidth", [&] { grid.CellWidth(); }}, {"grid.CellHeight", [&] { grid.CellHeight(); }},
        {"grid.CellVisible", [&] { grid.CellVisible(); }}, {"grid.SetRowHeightMin", [&] { grid.SetRowHeightMin(0); }},
        {"grid.SetCellAlignment", [&] { grid.SetCellAlignment(0); }},
        {"grid.SetCellChoice", [&] { grid.SetCellChoice(false); }},
        {"grid.ColWidth", [&] { grid.ColWidth(0); }}, {"grid.SetColWidth", [&] { grid.SetColWidth(0, 0); }},
        {"grid.hWnd", [&] { grid.hWnd(); }}, {"grid.SetBackColor", [&] { grid.SetBackColor(0); }},
        {"grid.SetForeColor", [&] { grid.SetForeColor(0); }}, {"grid.SetFont", [&] { grid.SetFont(font); }},
        {"grid.Left", [&] { grid.Left(); }}, {"grid.SetLeft", [&] { grid.SetLeft(0); }},
        {"grid.Top", [&] { grid.Top(); }}, {"grid.SetTop", [&] { grid.SetTop(0); }},
        {"grid.SetWidth", [&] { grid.SetWidth(0); }}, {"grid.SetHeight", [&] { grid.SetHeight(0); }},
        {"grid.SetTabStop", [&] { grid.SetTabStop(true); }}, {"grid.SetFocus", [&] { grid.SetFocus(); }},
        {"grid.SetAccessibleName", [&] { grid.SetAccessibleName(u"x"); }},
        {"grid.SetColumnName", [&] { grid.SetColumnName(0, u"x"); }},
        {"box.Text", [&] { box.Text(); }}, {"box.SetText", [&] { box.SetText(u"x"); }},
        {"box.SetVisible", [&] { box.SetVisible(true); }}, {"box.Move", [&] { box.Move(0, 0, 0, 0); }},
        {"box.SetTabIndex", [&] { box.SetTabIndex(0); }}, {"box.SetBorderStyle", [&] { box.SetBorderStyle(0); }},
        {"box.SetSelStart", [&] { box.SetSelStart(0); }}, {"box.SetSelLength", [&] { box.SetSelLength(0); }},
        {"box.SetFocus", [&] { box.SetFocus(); }}, {"box.ZOrder", [&] { box.ZOrder(0); }},
        {"box.SetBackColor", [&] { box.SetBackColor(0); }}, {"box.SetForeColor", [&] { box.SetForeColor(0); }},
        {"box.SetFont", [&] { box.SetFont(font); }}, {"box.SetAccessibleName", [&] { box.SetAccessibleName(u"x"); }},
        {"list.SetLeft", [&] { list.SetLeft(0); }}, {"list.SetTop", [&] { list.SetTop(0); }},
        {"list.SetWidth", [&] { list.SetWidth(0); }}, {"list.Height", [&] { list.Height(); }},
        {"list.SetVisible", [&] { list.SetVisible(true); }}, {"list.Text", [&] { list.Text(); }},
        {"list.ListIndex", [&] { list.ListIndex(); }}, {"list.SetListIndex", [&] { list.SetListIndex(-1); }},
        {"list.Clear", [&] { list.Clear(); }}, {"list.AddItem", [&] { list.AddItem(u"x"); }},
        {"list.SetFocus", [&] { list.SetFocus(); }}, {"list.ShowList", [&] { list.ShowList(); }},
        {"list.ZOrder", [&] { list.ZOrder(0); }}, {"list.Refresh", [&] { list.Refresh(); }},
        {"list.SetBackColor", [&] { list.SetBackColor(0); }}, {"list.SetForeColor", [&] { list.SetForeColor(0); }},
        {"list.SetFont", [&] { list.SetFont(font); }},
        {"list.SetAccessibleName", [&] { list.SetAccessibleName(u"x"); }},
    };
    for (const auto& [name, call] : calls) EXPECT_EQ(FailureOf(call), E_HANDLE) << name;
    EXPECT_THAT(this->events.take(), IsEmpty());
}

REGISTER_TYPED_TEST_SUITE_P(SurfaceContract, PlacingResizesTheFirstTimeAndOnEveryNewSize,
                            ColoursComeBackAsGivenAndTheFontIsSharedNotCopied,
                            FocusLeavingTheControlRaisesExitFocusAndMovesWithinItDoNot,
                            AfterDestroyEveryMemberFailsWithEHandleAndNothingIsRaised);

// ---- the window procedures -------------------------------------------------------------------

// Whether a kit's windows are the system's own (Windows) rather than entries of comrt's
// window table: a kit says so with `static constexpr bool kSystemWindows = true`.
template <typename Kit>
constexpr bool SystemWindows() {
    if constexpr (requires { Kit::kSystemWindows; }) return Kit::kSystemWindows;
    else return false;
}

// A procedure put in front of a window as the control's window hook is: it chains on with
// CallWindowProcA and notes WM_SIZE and WM_PAINT on the way in and on the way back.
struct Hook {
    EventLog* log = nullptr;
    WNDPROC previous = nullptr;
};
inline Hook hook;

inline LRESULT CALLBACK HookProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    const char* name = msg == WM_SIZE ? "WM_SIZE" : msg == WM_PAINT ? "WM_PAINT" : nullptr;
    if (name) hook.log->note(std::string("in ") + name);
    const LRESULT result = CallWindowProcA(hook.previous, hWnd, msg, wParam, lParam);
    if (name) hook.log->note(std::string("out ") + name);
    return result;
}

// A procedure that keeps the last message it was given and answers 0x1234.
struct Message {
    HWND hWnd;
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
    bool operator==(const Message&) const = default;
};
inline Message echoed{};
inline LRESULT CALLBACK EchoProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    echoed = Message{hWnd, msg, wParam, lParam};
    return 0x1234;
}

template <typename Kit>
class WindowProcContract : public ::testing::Test {
protected:
    void SetUp() override {
        hook = Hook{&events, nullptr};
        surface().SetEventSink(&events);
    }
    void TearDown() override {
        // The window outlives the test's hook.
        if (hook.previous) SetWindowLongPtrA(window(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(hook.previous));
        hook = Hook{};
        surface().SetEventSink(nullptr);
    }
    widgets::Container& surface() { return kit.surface(); }
    HWND window() { return widgets::ToHwnd(surface().hWnd()); }

    Kit kit;
    EventLog events;
};
TYPED_TEST_SUITE_P(WindowProcContract);

// The surface's own handling (Resize for WM_SIZE, its painting) is the original procedure,
// so the hook sees each message around it and acts after the control has laid out.
TYPED_TEST_P(WindowProcContract, AProcedurePutInFrontSeesResizeAndPaintAroundTheSurfacesOwnHandling) {
    widgets::Container& surface = this->surface();
    const LONG_PTR original = SetWindowLongPtrA(this->window(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&HookProc));
    ASSERT_NE(original, 0);
    hook.previous = reinterpret_cast<WNDPROC>(original);
    surface.SetObjectRect(RECT{0, 0, 200, 100});
    EXPECT_THAT(this->events.take(), ElementsAre("in WM_SIZE", "Resize", "out WM_SIZE"));
    this->kit.repaint(surface);
    EXPECT_THAT(this->events.take(), ElementsAre("in WM_PAINT", "out WM_PAINT"));
    EXPECT_EQ(SetWindowLongPtrA(this->window(), GWLP_WNDPROC, original), reinterpret_cast<LONG_PTR>(&HookProc));
    hook.previous = nullptr;
    surface.SetObjectRect(RECT{0, 0, 100, 50});
    EXPECT_THAT(this->events.take(), ElementsAre("Resize")) << "the hook is out";
}

TYPED_TEST_P(WindowProcContract, CallWindowProcPassesTheMessageUnchangedAndReturnsWhatTheProcedureReturned) {
    const Message message{this->window(), 0x8001, static_cast<WPARAM>(-1), static_cast<LPARAM>(-2)};
    EXPECT_EQ(CallWindowProcA(&EchoProc, message.hWnd, message.msg, message.wParam, message.lParam), 0x1234);
    EXPECT_EQ(echoed, message);
    EXPECT_EQ(CallWindowProcA(nullptr, this->window(), WM_SIZE, 0, 0), 0) << "no procedure";
    EXPECT_THAT(this->events.take(), IsEmpty());
}

// Failing calls return 0 and change nothing: a resize afterwards reaches no hook.
TYPED_TEST_P(WindowProcContract, CallsOnUnknownWindowsOrWithOtherIndicesFailWithZero) {
    const HWND window = this->window();
    const HWND unknown = widgets::ToHwnd(0x7FFFFFF1);  // no table hands out odd handles
    const auto hook_proc = reinterpret_cast<LONG_PTR>(&HookProc);
    const struct {
        const char* name;
        std::function<LONG_PTR()> call;
    } rows[] = {
        {"an unknown window's procedure", [&] { return SetWindowLongPtrA(unknown, GWLP_WNDPROC, hook_proc); }},
        {"an unknown window's style", [&] { return SetWindowLongPtrA(unknown, GWL_STYLE, 0); }},
        {"an unknown window's style read", [&] { return GetWindowLongA(unknown, GWL_STYLE); }},
        // Past the window's extra bytes.
        {"an index the window has not", [&] { return SetWindowLongPtrA(window, 0x1000, hook_proc); }},
        {"a procedure read as a style", [&] { return GetWindowLongA(window, GWLP_WNDPROC); }},
    };
    for (const auto& row : rows) EXPECT_EQ(row.call(), 0) << row.name;
    // The window table refuses a null procedure; the system takes whatever it is given.
    if constexpr (!SystemWindows<TypeParam>()) {
        EXPECT_EQ(SetWindowLongPtrA(window, GWLP_WNDPROC, 0), 0) << "a null procedure";
    }
    this->surface().SetObjectRect(RECT{0, 0, 200, 100});
    EXPECT_THAT(this->events.take(), ElementsAre("Resize"));
}

TYPED_TEST_P(WindowProcContract, TheGridsStyleShowsItsVerticalScrollBarAndKeepsTheOtherBits) {
    widgets::Grid& grid = this->kit.grid();
    const HWND window = widgets::ToHwnd(grid.hWnd());
    this->kit.lay_out_rows(grid, 3);
    EXPECT_EQ(GetWindowLongA(window, GWL_STYLE) & WS_VSCROLL, 0) << "3 rows fit";
    this->kit.lay_out_rows(grid, 200);
    const LONG shown = GetWindowLongA(window, GWL_STYLE);
    EXPECT_EQ(shown & WS_VSCROLL, WS_VSCROLL);
    constexpr LONG kChild = 0x40000000;
    EXPECT_EQ(SetWindowLongPtrA(window, GWL_STYLE, shown | kChild), shown) << "the bits replaced";
    EXPECT_EQ(GetWindowLongA(window, GWL_STYLE), shown | kChild);
    this->kit.lay_out_rows(grid, 3);
    EXPECT_EQ(GetWindowLongA(window, GWL_STYLE), (shown | kChild) & ~WS_VSCROLL) << "the bar gone, the other bits kept";
}

REGISTER_TYPED_TEST_SUITE_P(WindowProcContract, AProcedurePutInFrontSeesResizeAndPaintAroundTheSurfacesOwnHandling,
                            CallWindowProcPassesTheMessageUnchangedAndReturnsWhatTheProcedureReturned,
                            CallsOnUnknownWindowsOrWithOtherIndicesFailWithZero,
                            TheGridsStyleShowsItsVerticalScrollBarAndKeepsTheOtherBits);

}  // namespace orvane::contract
