// The control shell on the fakes: siting and the container's Initialize, Resize and
// Terminate.
#include <gmock/gmock.h>

#include "control_fixture.h"

namespace orvane::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class ShellTest : public ControlFixture {
protected:
    WNDPROC SurfaceProc() { return fakes.env->windows().window_proc(fakes.surface->window()); }
    const WNDPROC original = fakes::FakeWindowSystem::original_proc();
};

TEST_F(ShellTest, SitingHidesBothEditorsAndHappensOnce) {
    EXPECT_FALSE(fakes.text1->visible());
    EXPECT_FALSE(fakes.combo2->visible());
    widgets::WidgetSet set = fakes.set();
    EXPECT_EQ(Hex(E_UNEXPECTED), Hex(ctl.as<IControlSite>()->Site(&set, nullptr)));

    comrt::ComPtr<IControlSite> fresh = comrt::make<PropertiesCtl>().as<IControlSite>();
    set.window_system = nullptr;
    EXPECT_EQ(Hex(E_POINTER), Hex(fresh->Site(&set, nullptr)));
    EXPECT_EQ(Hex(E_POINTER), Hex(fresh->Site(nullptr, nullptr)));
}

TEST_F(ShellTest, InitializeRunsItsStepsInOrderAndInstallsTheHook) {
    fakes.combo1->set_height(300);
    fakes.combo2->set_height(314.5f);  // rounds to the even neighbour
    log().clear();
    fakes.surface->raise_initialize();

    EXPECT_THAT(log().entries(),
                ElementsAre("surface:Initialize", "grid.Left=0", "combo1.Top=0", "combo1.Height", "grid.Top=305",
                            "combo1.Left=0", "text1.TabIndex=2", "text1.BorderStyle=0", "combo2.Height",
                            "grid.RowHeightMin=314", "grid.Cols=2", "grid.TabStop=false", "surface.hWnd"));
    const EditorTracking& tracking = *impl().editor_tracking();
    EXPECT_TRUE(tracking.hook_installed);
    EXPECT_EQ(widgets::ToHandle(fakes.surface->window()), tracking.control_window);
    EXPECT_EQ(fakes.grid, tracking.grid);
    EXPECT_EQ(fakes.text1, tracking.text_editor);
    EXPECT_EQ(fakes.combo2, tracking.drop_down_editor);
    EXPECT_NE(original, SurfaceProc());
}

TEST_F(ShellTest, ResizeSharesTheWidthBetweenTheColumns) {
    struct Row {
        float width, height;
        std::int32_t step;  // the grid keeps column widths in steps of this many twips
        float grid_height;
        std::int32_t col0, col1;
    } rows[] = {
        {4800, 3975, 1, 3655, 2400, 2400},   // the design-time size
        {4801, 3975, 1, 3655, 2400, 2401},   // 2400.5 rounds to even
        {4803, 3975, 1, 3655, 2402, 2401},   // 2401.5 rounds to even
        {4800, 3975, 7, 3655, 2401, 2399},   // column 0 kept coarser: column 1 gets the rest
        {4850, 3975, 100, 3655, 2400, 2450},
        {4800, 200, 1, 0, 2400, 2400},       // lower than the selector: no negative height
        {4800, 321, 1, 1, 2400, 2400},
        {15, 3975, 1, 3655, 8, 7},           // one pixel wide
        {0, 3975, 1, 3655, 0, 0},            // nothing wide
        {99, 3975, 100, 3655, 100, 0},       // column 0 kept wider than the control: none left
    };
    fakes.surface->raise_initialize();
    for (const Row& row : rows) {
        SCOPED_TRACE(::testing::Message() << row.width << " x " << row.height << ", step " << row.step);
        fakes.grid->set_col_width_step(row.step);
        fakes.surface->resize(row.width, row.height);
        EXPECT_EQ(row.width, fakes.grid->width());
        EXPECT_EQ(row.width, fakes.combo1->width());
        EXPECT_EQ(row.grid_height, fakes.grid->height());
        EXPECT_EQ(row.col0, fakes.grid->col_width(0));
        EXPECT_EQ("grid.ColWidth(1)=" + std::to_string(row.col1), log().starting_with("grid.ColWidth(1)=").back());
    }
    EXPECT_THAT(errors->failures, IsEmpty()) << errors->text();
}

TEST_F(ShellTest, GridTopStaysWhileItsHeightFollowsTheSelector) {
    Start();
    fakes.combo1->set_height(400);  // e.g. after a larger font
    for (float height : {5000.0f, 1000.0f}) {
        fakes.surface->resize(4800, height);
        EXPECT_EQ(320.0f, fakes.grid->top());
        EXPECT_EQ(height - 405.0f, fakes.grid->height());
    }
    EXPECT_THAT(log().starting_with("grid.Top"), IsEmpty());
}

TEST_F(ShellTest, AFailingStepEndsTheHandlerAndReachesTheErrorChannel) {
    fakes.grid->fail_at("Cols=", 1, E_FAIL);
    fakes.surface->raise_initialize();
    EXPECT_FALSE(impl().editor_tracking()->hook_installed);
    EXPECT_EQ(original, SurfaceProc());
    ASSERT_EQ(1u, errors->failures.size()) << errors->text();
    EXPECT_EQ(u"control.Initialize", errors->failures[0].handler);
    EXPECT_EQ(Hex(E_FAIL), Hex(errors->failures[0].hr));
    ASSERT_EQ(1u, fakes.env->event_failures().size()) << "and the container sees it";
}

TEST_F(ShellTest, TerminateRemovesTheHookAndReleasesTheGroupsButNotTheCurrentOne) {
    Start();
    comrt::ComPtr<_clsTessel> group = MakeGroup(u"G", 2);
    ASSERT_EQ(S_OK, Add(group));
    ASSERT_EQ(S_OK, Add(group));
    ASSERT_EQ(S_OK, Select(0));
    const ULONG before = (group->AddRef(), group->Release());

    Terminate();
    EXPECT_FALSE(impl().editor_tracking()->hook_installed);
    EXPECT_EQ(original, SurfaceProc());
    EXPECT_FALSE(impl().group_collection());
    EXPECT_THAT(fakes.combo1->entries(), IsEmpty());
    EXPECT_EQ(before - 2, (group->AddRef(), group->Release()));
    EXPECT_EQ(impl().current_group(), group);
}

TEST_F(ShellTest, TerminateWithoutHookOrGroupsTouchesNothing) {
    fakes.env->windows().fail_at("SetWindowLongPtr", 1);
    Start();
    ASSERT_FALSE(impl().editor_tracking()->hook_installed);
    Terminate();
    EXPECT_THAT(log().entries(), ElementsAre("surface:Terminate"));
    EXPECT_FALSE(impl().group_collection());
    EXPECT_THAT(errors->failures, IsEmpty()) << errors->text();
}

TEST_F(ShellTest, AControlReleasedWithoutTerminateLeavesNoHookOrSinkBehind) {
    Start();
    ctl = nullptr;
    EXPECT_EQ(original, SurfaceProc());
    fakes.surface->raise_initialize();
    fakes.combo1->AddItem(u"x");
    fakes.combo1->user_pick(0);
    EXPECT_THAT(log().entries(), ElementsAre("combo1.AddItem(x)"));
}

}  // namespace
}  // namespace orvane::testing
