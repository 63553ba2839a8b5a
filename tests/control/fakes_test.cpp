// The subtle behaviours of the fakes that the control's tests rely on: cell event order,
// focus and Click suppression (the two re-entry paths of the control), injected failures,
// column width rounding, the window procedure chain and the property bag's failures.
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <tests/fakes/fake_widgets.h>

namespace orvane::fakes {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

// Records each grid event with the current cell as the grid reports it at that moment.
struct GridProbe final : widgets::GridEvents {
    explicit GridProbe(FakeGrid& g) : grid(g) {}
    std::string at(const char* event) {
        return std::string(event) + "(" + std::to_string(grid.row()) + "," + std::to_string(grid.col()) + "," +
               format_value(grid.cell_text(grid.row(), grid.col())) + ")";
    }
    HRESULT EnterCell() noexcept override {
        seen.push_back(at("Enter"));
        return enter_result;
    }
    HRESULT LeaveCell() noexcept override {
        seen.push_back(at("Leave"));
        return S_OK;
    }
    HRESULT MouseDown(std::int16_t, std::int16_t, float, float) noexcept override {
        seen.push_back(at("MouseDown"));
        return S_OK;
    }
    HRESULT Scroll() noexcept override { return S_OK; }

    FakeGrid& grid;
    std::vector<std::string> seen;
    HRESULT enter_result = S_OK;
};

class FakeGridTest : public ::testing::Test {
protected:
    void SetUp() override {
        w.grid->SetRows(3);
        w.grid->set_cell_text(0, 0, u"a");
        w.grid->set_cell_text(0, 1, u"b");
        w.grid->set_cell_text(2, 1, u"c");
        w.grid->SetEventSink(&probe);
    }

    FakeWidgets w;
    GridProbe probe{*w.grid};
};

TEST_F(FakeGridTest, CellPutsRaiseLeaveForTheOldCellThenEnterForTheNewOneOnlyOnChange) {
    w.grid->SetCol(1);
    w.grid->SetCol(1);
    w.grid->SetRow(2);
    w.grid->SetRow(2);
    EXPECT_THAT(probe.seen, ElementsAre("Leave(0,0,a)", "Enter(0,1,b)", "Leave(0,1,b)", "Enter(2,1,c)"));

    probe.seen.clear();
    w.grid->set_raises_cell_events_on_put(false);
    w.grid->SetRow(0);
    EXPECT_THAT(probe.seen, IsEmpty());
    EXPECT_EQ(w.grid->row(), 0);
}

TEST_F(FakeGridTest, ShrinkingBelowTheCurrentRowMovesItWithCellEvents) {
    w.grid->SetRow(2);
    probe.seen.clear();
    w.grid->SetRows(1);
    EXPECT_THAT(probe.seen, ElementsAre("Leave(2,0,)", "Enter(0,0,a)"));

    // An empty grid keeps a current cell (0, 0) that holds no text.
    probe.seen.clear();
    w.grid->SetRows(0);
    EXPECT_THAT(probe.seen, IsEmpty());
    EXPECT_EQ(w.grid->Text(), u"");
    EXPECT_NO_THROW(w.grid->SetRow(0));
    EXPECT_THROW(w.grid->SetText(u"x"), comrt::com_error);
}

TEST_F(FakeGridTest, UserClickOrdersMouseDownAsAskedAndRaisesNoCellEventsOnTheCurrentCell) {
    w.grid->user_click(2, 1, MouseDownOrder::before_cell_events);
    w.grid->user_click(0, 1, MouseDownOrder::after_cell_events);
    w.grid->user_click(0, 1);
    EXPECT_THAT(probe.seen, ElementsAre("MouseDown(0,0,a)", "Leave(0,0,a)", "Enter(2,1,c)",  //
                                        "Leave(2,1,c)", "Enter(0,1,b)", "MouseDown(0,1,b)",   //
                                        "MouseDown(0,1,b)"));
}

TEST_F(FakeGridTest, RejectedOrFailingPutRaisesNothingAndAHandlerFailureDoesNotFailThePut) {
    try {
        w.grid->SetRow(3);
        ADD_FAILURE() << "row 3 of 3 accepted";
    } catch (const comrt::com_error& e) {
        EXPECT_EQ(e.code(), CTL_E_INVALIDPROPERTYVALUE);
    }
    w.grid->fail_at("Row=", 2, E_ACCESSDENIED);
    w.grid->SetRow(1);
    EXPECT_THROW(w.grid->SetRow(2), comrt::com_error);
    EXPECT_EQ(w.grid->row(), 1);
    EXPECT_THAT(w.env->log().starting_with("grid.Row="),
                ElementsAre("grid.Row=3", "grid.Row=1", "grid.Row=2 (failed)"));
    EXPECT_EQ(probe.seen.size(), 2u);  // only the move to row 1

    probe.enter_result = E_OUTOFMEMORY;
    EXPECT_NO_THROW(w.grid->SetRow(2));
    EXPECT_EQ(w.grid->row(), 2);
    ASSERT_EQ(w.env->event_failures().size(), 1u);
    EXPECT_EQ(w.env->event_failures()[0].event, "grid:EnterCell");
    EXPECT_EQ(w.env->event_failures()[0].hr, E_OUTOFMEMORY);
}

TEST_F(FakeGridTest, FailAtCountsCallsFromWhenItIsArmed) {
    w.grid->Col();
    w.grid->Col();
    w.grid->fail_at("Col", 2);
    EXPECT_NO_THROW(w.grid->Col());
    EXPECT_THROW(w.grid->Col(), comrt::com_error);
    EXPECT_NO_THROW(w.grid->Col());
    EXPECT_EQ(w.grid->calls("Col"), 5);
}

TEST(FakeGrid, ColumnWidthsKeptInCoarserStepsRoundToTheNearest) {
    struct Row {
        std::int32_t step, set, read;
    };
    const Row rows[] = {{1, 2401, 2401}, {15, 2400, 2400}, {15, 2407, 2400}, {15, 2408, 2415}, {15, 0, 0}};
    FakeWidgets w;
    for (const Row& row : rows) {
        w.grid->set_col_width_step(row.step);
        w.grid->SetColWidth(0, row.set);
        EXPECT_EQ(w.grid->ColWidth(0), row.read) << "step " << row.step << ", width " << row.set;
    }
    EXPECT_THROW(w.grid->ColWidth(2), comrt::com_error);
}

// Text box and drop-down: the focus and Click rules that end the control's re-entry.
struct FocusProbe final : widgets::TextBoxEvents {
    HRESULT GotFocus() noexcept override {
        seen.push_back("Got");
        if (on_got) on_got();
        return S_OK;
    }
    HRESULT LostFocus() noexcept override {
        seen.push_back("Lost");
        return S_OK;
    }
    std::vector<std::string> seen;
    std::function<void()> on_got;
};

struct ClickProbe final : widgets::DropDownEvents {
    HRESULT Click() noexcept override {
        seen.push_back(list ? format_value(list->text()) : "?");
        if (on_click) on_click();
        return S_OK;
    }
    FakeDropDown* list = nullptr;
    std::vector<std::string> seen;
    std::function<void()> on_click;
};

TEST(FakeTextBox, GotFocusOnlyWhenTheFocusArrivesAlsoWhenReenteredFromItsHandler) {
    FakeWidgets w;
    FocusProbe probe;
    w.text_editor->SetEventSink(&probe);
    probe.on_got = [&] { w.text_editor->SetFocus(); };  // the handler takes the focus again

    w.text_editor->SetFocus();
    w.text_editor->SetFocus();
    EXPECT_THAT(probe.seen, ElementsAre("Got"));
    EXPECT_EQ(w.text_editor->calls("SetFocus"), 3);

    w.drop_down_editor->SetFocus();
    w.text_editor->SetFocus();
    w.text_editor->user_leave_focus();
    EXPECT_THAT(probe.seen, ElementsAre("Got", "Lost", "Got", "Lost"));
}

TEST(FakeDropDown, ClickOnlyWhenTheIndexChangesAndTextShowsTheSelectedEntry) {
    FakeWidgets w;
    ClickProbe probe;
    probe.list = w.selector.get();
    w.selector->SetEventSink(&probe);
    w.selector->AddItem(u"x");
    w.selector->AddItem(u"y");
    EXPECT_EQ(w.selector->ListIndex(), -1);
    EXPECT_EQ(w.selector->Text(), u"");

    // The handler sets the index it was raised for, as the selector's handler does.
    probe.on_click = [&] { w.selector->SetListIndex(w.selector->list_index()); };
    w.selector->SetListIndex(1);
    w.selector->SetListIndex(1);
    EXPECT_EQ(w.selector->Text(), u"y");
    w.selector->user_pick(1);  // a user's pick clicks even on the selected entry
    EXPECT_THAT(probe.seen, ElementsAre("y", "y"));

    probe.seen.clear();
    for (std::int16_t bad : {std::int16_t{2}, std::int16_t{-2}}) {
        try {
            w.selector->SetListIndex(bad);
            ADD_FAILURE() << "index " << bad << " accepted";
        } catch (const comrt::com_error& e) {
            EXPECT_EQ(e.code(), CTL_E_INVALIDPROPERTYVALUE) << "index " << bad;
        }
    }
    EXPECT_EQ(w.selector->list_index(), 1);
    w.selector->Clear();
    EXPECT_EQ(w.selector->ListIndex(), -1);
    EXPECT_THROW(w.selector->SetListIndex(0), comrt::com_error);
    EXPECT_THAT(probe.seen, IsEmpty());
}

// The window procedure chain and the platform functions over it.
LRESULT CALLBACK Doubling(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return 2 * CallWindowProcA(FakeWindowSystem::original_proc(), hWnd, msg, wParam, lParam);
}

TEST(FakeWindowSystem, ProceduresChainAndFailuresReturnZeroChangingNothing) {
    FakeWidgets w;
    FakeWindowSystem& windows = w.env->windows();
    const HWND window = w.surface->window();
    windows.set_handler(window, [](UINT msg, WPARAM, LPARAM) { return static_cast<LRESULT>(msg); });

    const LONG_PTR previous = SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Doubling));
    EXPECT_EQ(previous, reinterpret_cast<LONG_PTR>(FakeWindowSystem::original_proc()));
    EXPECT_EQ(windows.send_message(window, WM_PAINT), 2 * WM_PAINT);

    const HWND unknown = widgets::ToHwnd(0x7777);
    EXPECT_EQ(SetWindowLongPtrA(unknown, GWLP_WNDPROC, previous), 0);
    EXPECT_EQ(GetWindowLongA(unknown, GWL_STYLE), 0);
    EXPECT_EQ(CallWindowProcA(nullptr, window, WM_PAINT, 0, 0), 0);
    EXPECT_EQ(windows.window_proc(window), &Doubling);

    w.grid->set_vertical_scroll_bar(true);
    EXPECT_EQ(GetWindowLongA(w.grid->window(), GWL_STYLE), WS_VSCROLL);
}

// The fakes' windows and a handle comrt gives out directly share the process's one table:
// no handle names two windows, each names its own object, and a window's procedure chain
// works from another thread with nothing registered there.
TEST(FakeWindowSystem, WindowsShareTheProcessTableAndNeedNoRegistration) {
    FakeWidgets w;
    int direct_object = 0;
    HWND direct = nullptr;
    ASSERT_EQ(ComrtCreateWindowHandle(&direct_object, &direct), S_OK);
    const HWND fake = w.surface->window();
    EXPECT_NE(direct, fake);
    EXPECT_NE(direct, w.grid->window());
    void* object = nullptr;
    ASSERT_EQ(ComrtGetWindowObject(direct, &object), S_OK);
    EXPECT_EQ(object, &direct_object);
    ASSERT_EQ(ComrtGetWindowObject(fake, &object), S_OK);
    EXPECT_NE(object, nullptr);
    EXPECT_NE(object, &direct_object);

    w.env->windows().set_handler(fake, [](UINT msg, WPARAM, LPARAM) { return static_cast<LRESULT>(msg); });
    LRESULT result = 0;
    std::thread([&] {
        SetWindowLongPtrA(fake, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Doubling));
        result = SendMessageA(fake, WM_SIZE, 0, 0);
    }).join();
    EXPECT_EQ(result, 2 * WM_SIZE);
    EXPECT_EQ(w.env->windows().window_proc(fake), &Doubling);
    EXPECT_EQ(ComrtDestroyWindowHandle(direct), S_OK);
}

TEST(FakePropertyBag, MissingAndDamagedKeysFailWritesKeepTheirFirstPlace) {
    FakeWidgets w;
    comrt::ComPtr<FakePropertyBag> bag = comrt::make<FakePropertyBag>(w.env);
    const auto read = [&](const char16_t* key, comrt::Variant& out) { return bag->Read(key, out.put(), nullptr); };
    comrt::Variant value, got;
    value->vt = VT_I4;
    value->lVal = 5;

    EXPECT_EQ(read(u"BackColor", got), kDataValueNotFound);
    EXPECT_EQ(got.vt(), VT_EMPTY);
    ASSERT_EQ(bag->Write(u"BackColor", value.get()), S_OK);
    ASSERT_EQ(bag->Write(u"Font", value.get()), S_OK);
    value->lVal = 6;
    ASSERT_EQ(bag->Write(u"BackColor", value.get()), S_OK);
    EXPECT_THAT(bag->keys(), ElementsAre(u"BackColor", u"Font"));
    ASSERT_EQ(read(u"BackColor", got), S_OK);
    EXPECT_EQ(got->lVal, 6);

    bag->damage(u"Font", DISP_E_TYPEMISMATCH);
    EXPECT_EQ(read(u"Font", got), DISP_E_TYPEMISMATCH);
    ASSERT_EQ(bag->Write(u"Font", value.get()), S_OK);
    ASSERT_EQ(read(u"Font", got), S_OK);
    EXPECT_EQ(got->lVal, 6);
    EXPECT_EQ(bag->Read(nullptr, got.put(), nullptr), E_POINTER);
}

}  // namespace
}  // namespace orvane::fakes
