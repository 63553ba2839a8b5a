// The editor hook over the fakes: chaining, re-placement, install and removal, failure
// containment, and several controls on one thread.
#include <control/editor_hook.h>

#include <climits>
#include <stdexcept>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <control/editor_placement.h>
#include <tests/fakes/fake_widgets.h>

namespace orvane {
namespace {

using fakes::FakeWidgets;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr UINT WM_KEYDOWN_ = 0x0100;
constexpr HRESULT kWidgetFailure = static_cast<HRESULT>(0x800A0179);

// A control's editor tracking over its fakes: a grid at (120, 480) whose current cell is
// row 2, column 1 (cell left 1500, top 2 * 255, width 2001, height 255).
std::shared_ptr<EditorTracking> MakeTracking(const FakeWidgets& w,
                                             std::shared_ptr<EditingState> editing = std::make_shared<EditingState>()) {
    w.grid->SetColWidth(0, 1500);
    w.grid->SetColWidth(1, 2001);
    w.grid->SetRows(10);
    w.grid->set_default_row_height(255);
    w.grid->user_move_to(2, 1);

    auto tracking = std::make_shared<EditorTracking>();
    tracking->editing = std::move(editing);
    tracking->control_window = widgets::ToHandle(w.surface->window());
    tracking->grid = w.grid;
    tracking->text_editor = w.text_editor;
    tracking->drop_down_editor = w.drop_down_editor;
    return tracking;
}

class EditorHookTest : public ::testing::Test {
protected:
    void SetUp() override {
        tracking_ = MakeTracking(w_, editing_);
        InstallEditorHook(tracking_);
        ASSERT_TRUE(tracking_->hook_installed);
        w_.env->log().clear();
    }
    void TearDown() override {
        if (tracking_ && tracking_->hook_installed) RemoveEditorHook(*tracking_);
    }

    HWND window() const { return w_.surface->window(); }
    fakes::FakeWindowSystem& windows() { return w_.env->windows(); }
    std::vector<std::string> log() const { return w_.env->log().entries(); }

    FakeWidgets w_;
    std::shared_ptr<EditingState> editing_ = std::make_shared<EditingState>();
    std::shared_ptr<EditorTracking> tracking_;
};

TEST_F(EditorHookTest, EveryMessageReachesThePreviousProcedureFirstAndItsResultIsReturned) {
    struct Row {
        UINT msg;
        bool replaces;
    };
    const Row rows[] = {{WM_PAINT, true}, {WM_SIZE, true}, {WM_NULL, false}, {WM_KEYDOWN_, false}, {0x0014, false}};
    editing_->text_editor_active = true;
    windows().set_handler(window(), [](UINT msg, WPARAM wParam, LPARAM lParam) {
        return static_cast<LRESULT>(msg * 1000 + wParam + lParam);
    });

    for (const Row& row : rows) {
        w_.env->log().clear();
        const std::size_t before = windows().received(window()).size();
        const LRESULT result = windows().send_message(window(), row.msg, 7, -3);

        EXPECT_EQ(result, static_cast<LRESULT>(row.msg * 1000 + 4)) << "message 0x" << std::hex << row.msg;
        const auto& received = windows().received(window());
        ASSERT_EQ(received.size(), before + 1) << "message 0x" << std::hex << row.msg;
        EXPECT_EQ(received.back().wParam, 7u);
        EXPECT_EQ(received.back().lParam, -3);
        const auto entries = log();
        ASSERT_FALSE(entries.empty());
        EXPECT_EQ(entries.front().substr(0, 13), "surface.proc(") << "message 0x" << std::hex << row.msg;
        EXPECT_EQ(w_.env->log().starting_with("text_editor.Move").size(), row.replaces ? 1u : 0u)
            << "message 0x" << std::hex << row.msg;
    }
}

TEST_F(EditorHookTest, PaintWithBothFlagsClearTouchesNoWidget) {
    windows().set_default_result(window(), 42);
    EXPECT_EQ(w_.surface->paint(), 42);
    EXPECT_THAT(log(), ElementsAre("surface.proc(0x000F)"));
}

TEST_F(EditorHookTest, TextEditorLiesOverTheCellNarrowerByTheScrollBarAllowance) {
    struct Row {
        bool scroll_bar;
        std::int32_t width;
    };
    editing_->text_editor_active = true;
    for (const Row row : {Row{false, 2001}, Row{true, 1701}}) {
        w_.grid->set_vertical_scroll_bar(row.scroll_bar);
        w_.surface->paint();
        EXPECT_EQ(w_.text_editor->left(), 120.0f + 1500) << "scroll bar " << row.scroll_bar;
        EXPECT_EQ(w_.text_editor->top(), 480.0 + 510) << "scroll bar " << row.scroll_bar;
        EXPECT_EQ(w_.text_editor->width(), row.width) << "scroll bar " << row.scroll_bar;
        EXPECT_EQ(w_.text_editor->height(), 255) << "scroll bar " << row.scroll_bar;
    }
}

TEST_F(EditorHookTest, DropDownGetsLeftTopAndWidthAndKeepsItsHeight) {
    editing_->drop_down_editor_active = true;
    w_.grid->set_vertical_scroll_bar(true);
    w_.surface->paint();

    EXPECT_THAT(w_.env->log().starting_with("drop_down_editor."),
                ElementsAre("drop_down_editor.Left=1620", "drop_down_editor.Top=990", "drop_down_editor.Width=1701"));
    EXPECT_EQ(w_.drop_down_editor->height(), 315.0f);
    EXPECT_TRUE(w_.env->log().starting_with("text_editor.").empty());
}

TEST_F(EditorHookTest, BothEditorsMoveOnOneMessageTextEditorFirstReadingTheGridInOrder) {
    editing_->text_editor_active = true;
    editing_->drop_down_editor_active = true;
    w_.surface->paint();

    EXPECT_THAT(log(), ElementsAre("surface.proc(0x000F)",
                                   // text editor: allowance, then six reads, then one Move
                                   "grid.hWnd", "grid.Left", "grid.CellLeft", "grid.Top", "grid.CellTop",
                                   "grid.CellWidth", "grid.CellHeight", "text_editor.Move(1620,990,2001,255)",
                                   // drop-down: allowance read afresh, each edge read just before it is set
                                   "grid.hWnd", "grid.Left", "grid.CellLeft", "drop_down_editor.Left=1620", "grid.Top",
                                   "grid.CellTop", "drop_down_editor.Top=990", "grid.CellWidth", "drop_down_editor.Width=2001"));
}

TEST_F(EditorHookTest, TextEditorTopKeepsDoublePrecisionWhileTheDropDownGetsSingle) {
    // 0.1f + 100000 is exact in double precision but not in single precision.
    w_.grid->SetTop(0.1f);
    w_.grid->SetRows(200);
    w_.grid->set_default_row_height(1000);
    w_.grid->user_move_to(100, 1);
    editing_->text_editor_active = true;
    editing_->drop_down_editor_active = true;
    w_.surface->paint();

    const double exact = static_cast<double>(0.1f) + 100000;
    EXPECT_EQ(w_.text_editor->top(), exact);
    EXPECT_EQ(w_.drop_down_editor->top(), static_cast<float>(exact));
    EXPECT_NE(static_cast<double>(w_.drop_down_editor->top()), exact);
}

TEST_F(EditorHookTest, ResizeIsHandledByTheControlBeforeTheEditorIsMoved) {
    struct Sink final : widgets::ContainerEvents {
        HRESULT Initialize() noexcept override { return S_OK; }
        HRESULT Resize() noexcept override { return S_OK; }
        HRESULT Terminate() noexcept override { return S_OK; }
    } sink;
    w_.surface->SetEventSink(&sink);
    editing_->text_editor_active = true;
    w_.surface->resize(6000, 4000);
    w_.surface->SetEventSink(nullptr);

    const auto entries = log();
    ASSERT_GE(entries.size(), 3u);
    EXPECT_EQ(entries[0], "surface.proc(0x0005)");
    EXPECT_EQ(entries[1], "surface:Resize");
    EXPECT_EQ(entries.back(), "text_editor.Move(1620,990,2001,255)");
}

TEST_F(EditorHookTest, InstallingTwiceKeepsTheFirstPreviousProcedureAndRemovalRestoresIt) {
    const WNDPROC first = tracking_->previous_window_proc;
    EXPECT_EQ(first, fakes::FakeWindowSystem::original_proc());
    EXPECT_EQ(windows().window_proc(window()), &EditorHookWindowProc);

    InstallEditorHook(tracking_);
    EXPECT_EQ(tracking_->previous_window_proc, first);
    EXPECT_EQ(windows().window_proc(window()), &EditorHookWindowProc);

    RemoveEditorHook(*tracking_);
    EXPECT_FALSE(tracking_->hook_installed);
    EXPECT_EQ(windows().window_proc(window()), first);
    // Removal leaves the rest of the tracking state as it was.
    EXPECT_EQ(tracking_->previous_window_proc, first);
    EXPECT_EQ(tracking_->control_window, widgets::ToHandle(window()));
    EXPECT_EQ(tracking_->grid, w_.grid);
}

TEST_F(EditorHookTest, AfterRemovalTheWindowNoLongerPassesThroughTheHook) {
    RemoveEditorHook(*tracking_);
    editing_->text_editor_active = true;
    editing_->drop_down_editor_active = true;
    w_.env->log().clear();

    windows().set_default_result(window(), 9);
    EXPECT_EQ(w_.surface->paint(), 9);
    EXPECT_THAT(log(), ElementsAre("surface.proc(0x000F)"));
    EXPECT_EQ(HookedEditorTracking(tracking_->control_window), nullptr);

    // The hook can be installed again afterwards.
    InstallEditorHook(tracking_);
    EXPECT_TRUE(tracking_->hook_installed);
    w_.surface->paint();
    EXPECT_EQ(w_.env->log().starting_with("text_editor.Move").size(), 1u);
}

TEST_F(EditorHookTest, FailingReplacementIsContainedAndReported) {
    // A failure ends the re-placement at its step; the message's result still comes back.
    struct Row {
        const char* fake;
        const char* member;
        std::size_t text_moves;  // successful calls after the failure point
        std::size_t combo_puts;
    };
    const Row rows[] = {
        {"grid", "hWnd", 0, 0},    {"grid", "CellHeight", 0, 0}, {"text_editor", "Move", 0, 0},
        {"drop_down_editor", "Left=", 1, 0}, {"drop_down_editor", "Width=", 1, 2},
    };
    std::vector<HRESULT> reported;
    tracking_->report_error = [&](HRESULT hr) { reported.push_back(hr); };
    editing_->text_editor_active = true;
    editing_->drop_down_editor_active = true;
    windows().set_default_result(window(), 77);
    const auto succeeded = [this](const std::string& prefix) {
        std::size_t count = 0;
        for (const std::string& entry : w_.env->log().starting_with(prefix))
            if (entry.find("(failed)") == std::string::npos) ++count;
        return count;
    };

    for (const Row& row : rows) {
        const std::string fake = row.fake;
        fakes::FakeBase& target = fake == "grid"    ? static_cast<fakes::FakeBase&>(*w_.grid)
                                  : fake == "text_editor" ? static_cast<fakes::FakeBase&>(*w_.text_editor)
                                                    : static_cast<fakes::FakeBase&>(*w_.drop_down_editor);
        target.fail_at(row.member, 1, kWidgetFailure);
        reported.clear();
        w_.env->log().clear();

        EXPECT_EQ(w_.surface->paint(), 77) << row.fake << "." << row.member;
        EXPECT_THAT(reported, ElementsAre(kWidgetFailure)) << row.fake << "." << row.member;
        EXPECT_EQ(succeeded("text_editor.Move("), row.text_moves) << row.fake << "." << row.member;
        EXPECT_EQ(succeeded("drop_down_editor."), row.combo_puts) << row.fake << "." << row.member;
    }
}

TEST_F(EditorHookTest, FailureWithoutOrInsideTheErrorChannelStillReturnsTheResult) {
    editing_->text_editor_active = true;
    windows().set_default_result(window(), 5);

    w_.text_editor->fail_at("Move", 1);
    EXPECT_EQ(w_.surface->paint(), 5);

    tracking_->report_error = [](HRESULT) { throw std::runtime_error("channel down"); };
    w_.text_editor->fail_at("Move", 1);
    EXPECT_EQ(w_.surface->paint(), 5);
}

TEST_F(EditorHookTest, ActiveFlagWithoutItsWidgetIsReportedNotDereferenced) {
    HRESULT reported = S_OK;
    tracking_->report_error = [&](HRESULT hr) { reported = hr; };
    editing_->drop_down_editor_active = true;
    tracking_->drop_down_editor.reset();
    w_.surface->paint();
    EXPECT_EQ(reported, comrt::runtime_hresult(comrt::runtime_error::object_not_set));
}

TEST_F(EditorHookTest, HookRemovedWhileTheControlHandlesTheMessageMovesNothing) {
    editing_->text_editor_active = true;
    windows().set_handler(window(), [this](UINT, WPARAM, LPARAM) {
        // The control terminates inside its own handling and lets its tracking state go.
        RemoveEditorHook(*tracking_);
        tracking_.reset();
        return static_cast<LRESULT>(3);
    });
    EXPECT_EQ(w_.surface->paint(), 3);
    EXPECT_TRUE(w_.env->log().starting_with("text_editor.").empty());
    EXPECT_EQ(windows().window_proc(window()), fakes::FakeWindowSystem::original_proc());
}

TEST(EditorHookInstall, FailedReplacementLeavesTheHookUninstalled) {
    FakeWidgets w;
    auto tracking = MakeTracking(w);
    // A window without a procedure takes none.
    int bare = 0;
    HWND bare_window = nullptr;
    ASSERT_EQ(ComrtCreateWindowHandle(&bare, &bare_window), S_OK);
    tracking->control_window = widgets::ToHandle(bare_window);

    InstallEditorHook(tracking);
    EXPECT_FALSE(tracking->hook_installed);
    EXPECT_EQ(tracking->previous_window_proc, nullptr);
    EXPECT_EQ(tracking->hook_reference, nullptr);
    EXPECT_EQ(GetWindowLongPtrA(bare_window, GWLP_USERDATA), 0) << "the user data given back";
    EXPECT_EQ(HookedEditorTracking(tracking->control_window), nullptr);
    ComrtDestroyWindowHandle(bare_window);
    tracking->control_window = widgets::ToHandle(w.surface->window());

    // A removal then has nothing to restore and leaves the window's procedure alone.
    RemoveEditorHook(*tracking);
    EXPECT_EQ(w.env->windows().window_proc(w.surface->window()), fakes::FakeWindowSystem::original_proc());

    // The next install succeeds.
    InstallEditorHook(tracking);
    EXPECT_TRUE(tracking->hook_installed);
    RemoveEditorHook(*tracking);
}

TEST(EditorHookInstall, UnknownWindowOrASecondControlOnAHookedWindowIsNotInstalled) {
    FakeWidgets w;
    auto tracking = MakeTracking(w);
    auto stray = MakeTracking(w);
    stray->control_window = 0x7777;
    InstallEditorHook(stray);
    EXPECT_FALSE(stray->hook_installed);

    InstallEditorHook(tracking);
    auto second = MakeTracking(w);
    InstallEditorHook(second);
    EXPECT_FALSE(second->hook_installed);
    EXPECT_EQ(HookedEditorTracking(tracking->control_window), tracking);
    RemoveEditorHook(*tracking);
    InstallEditorHook(nullptr);  // does nothing
}

TEST(EditorHookInstall, TwoControlsOnOneThreadEachTrackTheirOwnEditors) {
    auto env = std::make_shared<fakes::FakeEnvironment>();
    FakeWidgets a(env, "a.");
    FakeWidgets b(env, "b.");
    auto editing_a = std::make_shared<EditingState>();
    auto editing_b = std::make_shared<EditingState>();
    auto tracking_a = MakeTracking(a, editing_a);
    auto tracking_b = MakeTracking(b, editing_b);
    b.grid->SetLeft(1000);
    InstallEditorHook(tracking_a);
    InstallEditorHook(tracking_b);
    ASSERT_TRUE(tracking_a->hook_installed);
    ASSERT_TRUE(tracking_b->hook_installed);
    editing_a->text_editor_active = true;
    editing_b->drop_down_editor_active = true;

    env->log().clear();
    a.surface->paint();
    EXPECT_THAT(env->log().starting_with("a.text_editor."), ElementsAre("a.text_editor.Move(1620,990,2001,255)"));
    EXPECT_THAT(env->log().starting_with("b."), IsEmpty());

    env->log().clear();
    b.surface->paint();
    EXPECT_THAT(env->log().starting_with("b.drop_down_editor."),
                ElementsAre("b.drop_down_editor.Left=2500", "b.drop_down_editor.Top=990", "b.drop_down_editor.Width=2001"));
    EXPECT_THAT(env->log().starting_with("a."), IsEmpty());

    // Removing the first leaves the second hooked and working.
    RemoveEditorHook(*tracking_a);
    EXPECT_EQ(env->windows().window_proc(a.surface->window()), fakes::FakeWindowSystem::original_proc());
    EXPECT_EQ(env->windows().window_proc(b.surface->window()), &EditorHookWindowProc);
    env->log().clear();
    a.surface->paint();
    b.surface->resize(5000, 3000);
    EXPECT_THAT(env->log().starting_with("a.text_editor."), IsEmpty());
    EXPECT_EQ(env->log().starting_with("b.drop_down_editor.Width=").size(), 1u);
    RemoveEditorHook(*tracking_b);
}

TEST(EditorPlacement, WidthIsClampedAtZeroAndOverflowsOutsideThe32BitRange) {
    EXPECT_EQ(EditorWidth(1000, kScrollBarAllowance), 700);
    EXPECT_EQ(EditorWidth(300, kScrollBarAllowance), 0);
    EXPECT_EQ(EditorWidth(299, kScrollBarAllowance), 0) << "a column narrower than the scroll bar";
    EXPECT_EQ(EditorWidth(0, kScrollBarAllowance), 0);
    EXPECT_EQ(EditorWidth(INT_MIN + 300, kScrollBarAllowance), 0);
    try {
        EditorWidth(INT_MIN + 299, kScrollBarAllowance);
        FAIL() << "no overflow";
    } catch (const comrt::com_error& e) {
        EXPECT_EQ(e.code(), comrt::runtime_hresult(comrt::runtime_error::overflow));
    }
}

TEST(EditorPlacement, FailedStyleReadGivesNoAllowance) {
    FakeWidgets w;
    w.grid->set_vertical_scroll_bar(true);
    EXPECT_EQ(ScrollBarAllowance(*w.grid), kScrollBarAllowance);
    w.env->windows().destroy_window(w.grid->window());
    EXPECT_EQ(ScrollBarAllowance(*w.grid), 0);
}

}  // namespace
}  // namespace orvane
