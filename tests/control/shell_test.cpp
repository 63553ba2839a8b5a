// The control shell on the fakes: siting, in-place activation and deactivation, and the
// container's Initialize, Resize and Terminate.
#include <gmock/gmock.h>

#include <testing/fonts.h>

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
    EXPECT_FALSE(fakes.text_editor->visible());
    EXPECT_FALSE(fakes.drop_down_editor->visible());
    widgets::WidgetSet set = fakes.set();
    EXPECT_EQ(Hex(E_UNEXPECTED), Hex(impl().Site(set, nullptr)));

    comrt::ComPtr<PropertiesCtl> fresh = comrt::make<PropertiesCtl>();
    set.window_system = nullptr;
    EXPECT_EQ(Hex(E_POINTER), Hex(fresh->Site(set, nullptr)));
    EXPECT_EQ(Hex(E_POINTER), Hex(fresh->Site(widgets::WidgetSet{}, nullptr)));
}

// In-place activation over a toolkit that makes fakes: the widgets the toolkit made,
// where it was asked to make them, and the site's channels.
struct FakeToolkit {
    static widgets::WidgetSet Create(HWND parent, const RECT& position) {
        FakeToolkit& toolkit = Current();
        toolkit.parent = parent;
        toolkit.position = position;
        if (FAILED(toolkit.fail_with)) throw comrt::com_error(toolkit.fail_with);
        return toolkit.widgets->set();
    }
    static FakeToolkit& Current() {
        static FakeToolkit toolkit;
        return toolkit;
    }
    fakes::FakeWidgets* widgets = nullptr;
    HRESULT fail_with = S_OK;
    HWND parent = nullptr;
    RECT position{};
};

TEST(Activation, RunsInitializeSizesSavesAndTerminatesThroughCom) {
    fakes::FakeWidgets w;
    FakeToolkit& toolkit = FakeToolkit::Current();
    toolkit = FakeToolkit{&w};
    comrt::ComPtr<RecordingSite> site = comrt::make<RecordingSite>();
    comrt::ComPtr<PropertiesCtl> control = comrt::make<PropertiesCtl>(&FakeToolkit::Create);
    const HWND parent = reinterpret_cast<HWND>(0x10020);
    const RECT area{10, 20, 330, 285};

    ASSERT_EQ(Hex(S_OK), Hex(control->Activate(static_cast<IControlErrorSink*>(site.get()), parent, &area)));
    EXPECT_EQ(parent, toolkit.parent);
    EXPECT_EQ(330, toolkit.position.right);
    EXPECT_TRUE(control->editor_tracking()->hook_installed) << "Initialize ran";
    EXPECT_FALSE(w.text_editor->visible());
    HWND window = nullptr;
    ASSERT_EQ(S_OK, control->GetWindow(&window));
    EXPECT_EQ(w.surface->window(), window);
    EXPECT_EQ(Hex(E_UNEXPECTED), Hex(control->Activate(nullptr, parent, &area))) << "activated once";

    // SetObjectRects hands the rectangle to the surface, which raises Resize.
    w.env->log().clear();
    ASSERT_EQ(S_OK, control->SetObjectRects(&area, &area));
    EXPECT_THAT(w.env->log().starting_with("surface"), ::testing::Contains("surface:Resize"));
    EXPECT_EQ(Hex(E_INVALIDARG), Hex(control->SetObjectRects(nullptr, &area)));

    // A put tells the site by dispatch id.
    ASSERT_EQ(S_OK, control->put_BackColor(0x00FF0000));
    EXPECT_THAT(site->changed, ElementsAre(u"BackColor"));

    // Deactivation terminates, unhooks and takes the window away; the site is let go.
    const ULONG site_references = (site->AddRef(), site->Release());
    ASSERT_EQ(S_OK, control->InPlaceDeactivate());
    EXPECT_FALSE(control->editor_tracking()->hook_installed);
    EXPECT_TRUE(w.surface->destroyed());
    EXPECT_LT((site->AddRef(), site->Release()), site_references);
    EXPECT_EQ(Hex(E_FAIL), Hex(control->GetWindow(&window)));
    EXPECT_EQ(S_OK, control->InPlaceDeactivate()) << "a second time is harmless";
    EXPECT_EQ(Hex(E_UNEXPECTED), Hex(control->Activate(nullptr, parent, &area))) << "not twice";
    EXPECT_THAT(site->failures, IsEmpty()) << site->text();
}

TEST(Activation, AFailingToolkitLeavesTheControlInactive) {
    fakes::FakeWidgets w;
    FakeToolkit& toolkit = FakeToolkit::Current();
    toolkit = FakeToolkit{&w, E_HANDLE};
    comrt::ComPtr<PropertiesCtl> control = comrt::make<PropertiesCtl>(&FakeToolkit::Create);
    const RECT area{0, 0, 100, 100};
    EXPECT_EQ(Hex(E_HANDLE), Hex(control->Activate(nullptr, nullptr, &area)));
    EXPECT_EQ(Hex(E_NOTIMPL), Hex(comrt::make<PropertiesCtl>()->Activate(nullptr, nullptr, &area)))
        << "no toolkit to make widgets with";
    HWND window = nullptr;
    EXPECT_EQ(Hex(E_FAIL), Hex(control->GetWindow(&window)));
    // A failing Initialize handler is reported, and the control is active all the same.
    toolkit.fail_with = S_OK;
    comrt::ComPtr<RecordingSite> site = comrt::make<RecordingSite>();
    w.surface->fail_at("hWnd", 1);
    ASSERT_EQ(S_OK, control->Activate(static_cast<IControlErrorSink*>(site.get()), nullptr, &area));
    ASSERT_EQ(1u, site->failures.size());
    EXPECT_EQ(u"control.Initialize", site->failures[0].handler);
    EXPECT_EQ(S_OK, control->GetWindow(&window));
}

TEST(Activation, TwoControlsOnOneThreadEachKeepTheirGroupsAndHook) {
    auto env = std::make_shared<fakes::FakeEnvironment>();
    fakes::FakeWidgets a(env, "a."), b(env, "b.");
    comrt::ComPtr<RecordingSite> site = comrt::make<RecordingSite>();
    comrt::ComPtr<_PropertiesCtl> first = CreateSitedControl(a, static_cast<IControlErrorSink*>(site.get()));
    comrt::ComPtr<_PropertiesCtl> second = CreateSitedControl(b, static_cast<IControlErrorSink*>(site.get()));
    for (const fakes::FakeWidgets* w : {&a, &b}) {
        w->surface->raise_initialize();
        w->surface->resize(4800, 3975);
    }
    const auto show = [](_PropertiesCtl& control, const comrt::ComPtr<_clsTessel>& group) {
        _clsTessel* arg = group.get();
        comrt::Variant result;
        SHORT index = 0;
        const HRESULT hr = control.AddPropertyGroup(&arg, result.put());
        return FAILED(hr) ? hr : control.SelectPropertyGroup(&index, result.put());
    };
    ASSERT_EQ(S_OK, show(*first, MakeGroup(u"A", 1)));
    ASSERT_EQ(S_OK, show(*second, MakeGroup(u"B", 2)));
    EXPECT_THAT(a.selector->entries(), ElementsAre(u"A"));
    EXPECT_THAT(b.selector->entries(), ElementsAre(u"B"));
    EXPECT_EQ(u"B.Name2", b.grid->cell_text(1, 0));

    const WNDPROC original = fakes::FakeWindowSystem::original_proc();
    EXPECT_NE(original, env->windows().window_proc(a.surface->window()));
    a.surface->raise_terminate();
    first = nullptr;
    EXPECT_EQ(original, env->windows().window_proc(a.surface->window()));
    EXPECT_NE(original, env->windows().window_proc(b.surface->window()));

    // The second control still edits, and its hook brings the editor back over its cell
    // after a resize: value cell 1 at (grid left + column 0, grid top + one row).
    b.grid->user_click(1, 1);
    ASSERT_TRUE(b.text_editor->visible());
    b.text_editor->Move(0, 0, 10, 10);
    b.surface->resize(6000, 5000);
    EXPECT_EQ(3000.0f, b.text_editor->left());
    EXPECT_EQ(static_cast<double>(b.grid->top() + static_cast<float>(b.grid->row_height())), b.text_editor->top());
    EXPECT_EQ(3000, b.text_editor->width());
    EXPECT_THAT(site->failures, IsEmpty()) << site->text();
    b.surface->raise_terminate();
}

TEST_F(ShellTest, InitializeRunsItsStepsInOrderAndInstallsTheHook) {
    fakes.selector->set_height(300);
    fakes.drop_down_editor->set_height(314.5f);  // rounds to the even neighbour
    log().clear();
    fakes.surface->raise_initialize();

    EXPECT_THAT(log().entries(),
                ElementsAre("surface:Initialize", "grid.Left=0", "selector.Top=0", "selector.Height", "grid.Top=305",
                            "selector.Left=0", "text_editor.TabIndex=2", "text_editor.BorderStyle=0", "drop_down_editor.Height",
                            "grid.RowHeightMin=314", "grid.Cols=2", "grid.TabStop=true", "surface.hWnd"));
    const EditorTracking& tracking = *impl().editor_tracking();
    EXPECT_TRUE(tracking.hook_installed);
    EXPECT_EQ(widgets::ToHandle(fakes.surface->window()), tracking.control_window);
    EXPECT_EQ(fakes.grid, tracking.grid);
    EXPECT_EQ(fakes.text_editor, tracking.text_editor);
    EXPECT_EQ(fakes.drop_down_editor, tracking.drop_down_editor);
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
        EXPECT_EQ(row.width, fakes.selector->width());
        EXPECT_EQ(row.grid_height, fakes.grid->height());
        EXPECT_EQ(row.col0, fakes.grid->col_width(0));
        EXPECT_EQ("grid.ColWidth(1)=" + std::to_string(row.col1), log().starting_with("grid.ColWidth(1)=").back());
    }
    EXPECT_THAT(site->failures, IsEmpty()) << site->text();
}

TEST_F(ShellTest, GridTopStaysWhileItsHeightFollowsTheSelector) {
    Start();
    fakes.selector->set_height(400);  // e.g. after a larger font
    for (float height : {5000.0f, 1000.0f}) {
        fakes.surface->resize(4800, height);
        EXPECT_EQ(320.0f, fakes.grid->top());
        EXPECT_EQ(height - 405.0f, fakes.grid->height());
    }
    EXPECT_THAT(log().starting_with("grid.Top"), IsEmpty());
}

TEST_F(ShellTest, ANewFontMovesTheGridBelowTheSelectorAndRaisesItsRows) {
    Start();
    fakes.surface->resize(4800, 3975);
    fakes.selector->set_height(400);  // as the toolkit sizes them for the larger font
    fakes.drop_down_editor->set_height(420);
    comrt::ComPtr<IFontDisp> font = pg_testing::MakeFont(u"Sans", 20);
    IFontDisp* raw = font.get();
    ASSERT_EQ(S_OK, ctl->putref_Font(raw));
    EXPECT_EQ(405.0f, fakes.grid->top());
    EXPECT_EQ(420, fakes.grid->row_height_min());
    EXPECT_EQ(3975.0f - 405.0f, fakes.grid->height()) << "the grid still reaches the bottom";
    EXPECT_THAT(site->failures, IsEmpty()) << site->text();
}

TEST_F(ShellTest, TheSplitTheUserDraggedKeepsItsShareAndTheOpenEditorFollowsIt) {
    Start();
    ASSERT_EQ(S_OK, Add(MakeGroup(u"G", 3)));
    ASSERT_EQ(S_OK, Select(0));
    fakes.surface->resize(4800, 3975);
    fakes.grid->user_click(1, 1);
    ASSERT_TRUE(fakes.text_editor->visible());
    fakes.grid->user_drag_split(1200);
    EXPECT_EQ(3600, fakes.grid->col_width(1)) << "the value column takes the rest";
    EXPECT_EQ(1200.0f + fakes.grid->left(), fakes.text_editor->left()) << "the editor moved with its cell";
    for (float width : {9600.0f, 2400.0f}) {
        fakes.surface->resize(width, 3975);
        EXPECT_EQ(static_cast<std::int32_t>(width / 4), fakes.grid->col_width(0)) << width;
        EXPECT_EQ(static_cast<std::int32_t>(width * 3 / 4), fakes.grid->col_width(1)) << width;
    }
    fakes.grid->user_drag_split(0);
    fakes.surface->resize(4800, 3975);
    EXPECT_EQ(0, fakes.grid->col_width(0)) << "a name column dragged shut stays shut";
    EXPECT_THAT(site->failures, IsEmpty()) << site->text();
}

TEST_F(ShellTest, AFailingStepEndsTheHandlerAndReachesTheErrorChannel) {
    fakes.grid->fail_at("Cols=", 1, E_FAIL);
    fakes.surface->raise_initialize();
    EXPECT_FALSE(impl().editor_tracking()->hook_installed);
    EXPECT_EQ(original, SurfaceProc());
    ASSERT_EQ(1u, site->failures.size()) << site->text();
    EXPECT_EQ(u"control.Initialize", site->failures[0].handler);
    EXPECT_EQ(Hex(E_FAIL), Hex(site->failures[0].hr));
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
    EXPECT_THAT(fakes.selector->entries(), IsEmpty());
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
    EXPECT_THAT(site->failures, IsEmpty()) << site->text();
}

TEST_F(ShellTest, AControlReleasedWithoutTerminateLeavesNoHookOrSinkBehind) {
    Start();
    fakes.selector->AddItem(u"x");
    log().clear();
    ctl = nullptr;
    EXPECT_EQ(original, SurfaceProc());
    EXPECT_TRUE(fakes.surface->destroyed()) << "its window goes with it";
    fakes.surface->raise_initialize();
    fakes.selector->user_pick(0);
    EXPECT_THAT(log().entries(), IsEmpty()) << "no event reaches a sink";
}

TEST_F(ShellTest, TheUnloadCheckAtTheEndOfEachTestSeesWhatIsStillHeld) {
    // The fixture ends with pg_testing::ExpectNothingAlive(); it must name the module of an
    // object still held, or a leak would pass unseen.
    Start();
    comrt::ComPtr<_clsTessel> group = MakeGroup(u"G", 1);
    ASSERT_EQ(S_OK, Add(group));
    const std::string held = pg_testing::LiveComponentModules();
    EXPECT_THAT(held, ::testing::HasSubstr("the test program")) << "the control";
    EXPECT_THAT(held, ::testing::HasSubstr("libtessel.so")) << "the group";

    Terminate();
    ctl = nullptr;
    site = nullptr;
    EXPECT_THAT(pg_testing::LiveComponentModules(), ::testing::Not(::testing::HasSubstr("the test program")));
    group = nullptr;
    EXPECT_EQ("", pg_testing::LiveComponentModules());
}

}  // namespace
}  // namespace orvane::testing
