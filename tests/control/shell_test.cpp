// The control shell on the fakes: siting, the container's protocol (in-place activation,
// verbs, deactivation), and the container's Initialize, Resize and Terminate.
#include <gmock/gmock.h>

#include <comrt/font_attributes.h>
#include <comrt/typeinfo.h>
#include <testing/fonts.h>

#include "control_fixture.h"
#include "recording_container.h"

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
    set.grid = nullptr;
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

// Each container's life ends with nothing of the control's left alive.
class Activation : public ::testing::Test {
protected:
    void TearDown() override { pg_testing::ExpectNothingAlive(); }
};

// The sequence of the platform's host window, and every call the control makes on the
// site meanwhile, in order.
TEST_F(Activation, AHostWindowsSequenceSitesActivatesSizesAndClosesTheControl) {
    fakes::FakeWidgets w;
    FakeToolkit& toolkit = FakeToolkit::Current();
    toolkit = FakeToolkit{&w};
    comrt::ComPtr<RecordingContainer> container = comrt::make<RecordingContainer>();
    comrt::ComPtr<PropertiesCtl> control = comrt::make<PropertiesCtl>(&FakeToolkit::Create);

    ASSERT_EQ(Hex(S_OK), Hex(container->Embed(*static_cast<IOleObject*>(control.get()))));
    EXPECT_THAT(container->take(),
                ElementsAre("container: SetClientSite -> 0x00000000", "container: SetHostNames -> 0x00000000",
                            "container: SetExtent -> 0x00000000", "site: CanInPlaceActivate", "site: OnInPlaceActivate",
                            "site: GetWindow", "site: GetWindowContext",
                            "container: DoVerb(INPLACEACTIVATE) -> 0x00000000"));
    EXPECT_EQ(container->window, toolkit.parent) << "the control's window lives in the site's";
    EXPECT_EQ(330, toolkit.position.right) << "at the rectangle the site gave";
    EXPECT_TRUE(control->editor_tracking()->hook_installed) << "Initialize ran";
    EXPECT_FALSE(w.text_editor->visible());
    HWND window = nullptr;
    ASSERT_EQ(S_OK, control->GetWindow(&window));
    EXPECT_EQ(w.surface->window(), window);
    SIZEL extent{};
    ASSERT_EQ(S_OK, control->GetExtent(DVASPECT_CONTENT, &extent));
    EXPECT_EQ(8467, extent.cx);
    EXPECT_EQ(Hex(DV_E_DVASPECT), Hex(control->GetExtent(DVASPECT_ICON, &extent)));
    DWORD status = 0;
    ASSERT_EQ(S_OK, control->GetMiscStatus(DVASPECT_CONTENT, &status));
    constexpr DWORD kWindowed = OLEMISC_ACTIVATEWHENVISIBLE | OLEMISC_INSIDEOUT | OLEMISC_SETCLIENTSITEFIRST;
    EXPECT_EQ(kWindowed, status & kWindowed);
    for (const IID& base : {IID_IOleWindow, IID_IPersist, IID_IProvideClassInfo}) {
        comrt::ComPtr<IUnknown> answer;
        EXPECT_EQ(S_OK, control->QueryInterface(base, answer.put_void()));
    }
    // Its class and events, from its type library.
    comrt::ComPtr<ITypeInfo> coclass;
    ASSERT_EQ(S_OK, control->GetClassInfo(coclass.put()));
    TYPEATTR* attributes = nullptr;
    ASSERT_EQ(S_OK, coclass->GetTypeAttr(&attributes));
    EXPECT_EQ(TKIND_COCLASS, attributes->typekind);
    EXPECT_TRUE(attributes->guid == CLSID_PropertiesCtl);
    coclass->ReleaseTypeAttr(attributes);
    GUID events{};
    ASSERT_EQ(S_OK, control->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &events));
    EXPECT_TRUE(events == IID___PropertiesCtl);

    // Active already: a verb shows the control and asks the site nothing.
    EXPECT_EQ(S_OK, control->DoVerb(OLEIVERB_SHOW, nullptr, nullptr, 0, nullptr, nullptr));
    EXPECT_THAT(container->site_calls(), IsEmpty());
    // A resize of the host window reaches the Resize handler.
    w.env->log().clear();
    ASSERT_EQ(S_OK, container->Resize(RECT{0, 0, 400, 300}));
    EXPECT_THAT(w.env->log().starting_with("surface"), ::testing::Contains("surface:Resize"));
    // A put tells the site by dispatch id (BackColor's).
    container->take();
    ASSERT_EQ(S_OK, control->put_BackColor(0x00FF0000));
    EXPECT_THAT(container->site_calls(), ElementsAre("OnChanged(1745027074)"));
    // So does one to a sink connected through the control's connection point.
    comrt::ComPtr<IConnectionPoint> point;
    ASSERT_EQ(S_OK, control->FindConnectionPoint(IID_IPropertyNotifySink, point.put()));
    comrt::ComPtr<RecordingSite> sink = comrt::make<RecordingSite>();
    DWORD cookie = 0;
    ASSERT_EQ(S_OK, point->Advise(static_cast<IPropertyNotifySink*>(sink.get()), &cookie));
    ASSERT_EQ(S_OK, control->put_ForeColor(0x00000080));
    EXPECT_THAT(sink->changed, ElementsAre(u"ForeColor"));
    ASSERT_EQ(S_OK, point->Unadvise(cookie));
    EXPECT_EQ(Hex(CONNECT_E_NOCONNECTION), Hex(point->Unadvise(cookie)));
    EXPECT_EQ(S_OK, control->FindConnectionPoint(IID___PropertiesCtl, comrt::ComPtr<IConnectionPoint>().put()));
    EXPECT_EQ(Hex(CONNECT_E_NOCONNECTION),
              Hex(control->FindConnectionPoint(IID_IOleObject, comrt::ComPtr<IConnectionPoint>().put())));
    // The user interface activates on its verb and deactivates first when the control closes.
    container->take();
    ASSERT_EQ(S_OK, control->DoVerb(OLEIVERB_UIACTIVATE, nullptr, nullptr, 0, nullptr, nullptr));
    EXPECT_THAT(container->site_calls(), ElementsAre("OnUIActivate", "OnFocus(1)"));
    // Keys the container's message loop offers: the control's own it acts on and keeps.
    {
        const comrt::ComPtr<_clsTessel> group = MakeGroup(u"G", 2);
        _clsTessel* arg = group.get();
        comrt::Variant result;
        SHORT first = 0;
        ASSERT_EQ(S_OK, control->AddPropertyGroup(&arg, result.put()));
        ASSERT_EQ(S_OK, control->SelectPropertyGroup(&first, result.put()));
        w.grid->SetCol(1);
        const auto offer = [&](UINT message, WPARAM key, HWND to) {
            MSG msg{to, message, key, 0, 0, {}};
            return control->TranslateAccelerator(&msg);
        };
        const HWND grid_window = widgets::ToHwnd(w.grid->hWnd());
        ASSERT_TRUE(w.text_editor->visible()) << "the value cell's editor opened";
        EXPECT_EQ(S_OK, offer(0x0100, 0x1B, grid_window)) << "Escape cancels";
        EXPECT_FALSE(w.text_editor->visible());
        EXPECT_EQ(S_FALSE, offer(0x0100, 0x71, window)) << "F2 meant for another window";
        EXPECT_EQ(S_OK, offer(0x0100, 0x71, grid_window)) << "F2 opens the cell's editor";
        EXPECT_TRUE(w.text_editor->visible());
        EXPECT_EQ(S_FALSE, offer(0x0100, 'A', grid_window)) << "typing is the editor's";
        EXPECT_EQ(S_FALSE, offer(0x0102, 0x1B, grid_window)) << "no key press";
        ASSERT_EQ(S_OK, control->Clear());
    }
    container->take();

    // Closing terminates, unhooks, takes the window away and tells the site last.
    container->take();
    ASSERT_EQ(S_OK, container->Close());
    EXPECT_THAT(container->site_calls(), ElementsAre("OnFocus(0)", "OnUIDeactivate", "OnInPlaceDeactivate"));
    EXPECT_FALSE(control->editor_tracking()->hook_installed);
    EXPECT_TRUE(w.surface->destroyed());
    EXPECT_EQ(Hex(E_FAIL), Hex(control->GetWindow(&window)));
    EXPECT_EQ(S_OK, control->InPlaceDeactivate()) << "a second time is harmless";
    EXPECT_EQ(Hex(E_UNEXPECTED), Hex(control->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, container.get(), 0,
                                                    container->window, &container->position)))
        << "activated once";
    const ULONG held = (container->AddRef(), container->Release());
    ASSERT_EQ(S_OK, container->Unsite());
    EXPECT_LT((container->AddRef(), container->Release()), held) << "the control let go of its site";
}

TEST_F(Activation, RefusalsFailuresAndVerbsLeaveTheControlAsTheySay) {
    fakes::FakeWidgets w;
    FakeToolkit& toolkit = FakeToolkit::Current();
    toolkit = FakeToolkit{&w, E_HANDLE};
    comrt::ComPtr<RecordingContainer> container = comrt::make<RecordingContainer>();
    comrt::ComPtr<PropertiesCtl> control = comrt::make<PropertiesCtl>(&FakeToolkit::Create);
    ASSERT_EQ(S_OK, control->SetClientSite(container.get()));
    const auto activate = [&](LONG verb) {
        return control->DoVerb(verb, nullptr, nullptr, 0, container->window, &container->position);
    };

    // The site refuses: nothing is made.
    container->refuse = true;
    EXPECT_EQ(Hex(E_FAIL), Hex(activate(OLEIVERB_INPLACEACTIVATE)));
    EXPECT_THAT(container->site_calls(), ElementsAre("CanInPlaceActivate"));
    EXPECT_EQ(nullptr, toolkit.parent);
    // The toolkit fails: the site hears the deactivation of what it was told began.
    container->refuse = false;
    container->take();
    EXPECT_EQ(Hex(E_HANDLE), Hex(activate(OLEIVERB_INPLACEACTIVATE)));
    EXPECT_THAT(container->site_calls(), ElementsAre("CanInPlaceActivate", "OnInPlaceActivate", "GetWindow",
                                                     "GetWindowContext", "OnInPlaceDeactivate"));
    HWND window = nullptr;
    EXPECT_EQ(Hex(E_FAIL), Hex(control->GetWindow(&window)));
    EXPECT_EQ(Hex(E_NOTIMPL), Hex(comrt::make<PropertiesCtl>()->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, nullptr, 0,
                                                                       nullptr, &container->position)))
        << "no toolkit to make widgets with";
    EXPECT_EQ(Hex(OLE_E_NOT_INPLACEACTIVE), Hex(activate(OLEIVERB_HIDE)));
    EXPECT_EQ(Hex(E_NOTIMPL), Hex(activate(-42))) << "a negative verb the control does not know";

    // A failing Initialize handler is reported, and the control is active all the same; a
    // positive verb it does not know acts as the primary one.
    toolkit.fail_with = S_OK;
    container->take();
    w.surface->fail_at("hWnd", 1);
    EXPECT_EQ(Hex(OLEOBJ_S_INVALIDVERB), Hex(activate(7)));
    EXPECT_THAT(container->site_calls(), ::testing::Contains(::testing::StartsWith("HandlerFailed(control.Initialize")));
    EXPECT_EQ(S_OK, control->GetWindow(&window));
    // Hide and show the window.
    ASSERT_EQ(S_OK, activate(OLEIVERB_HIDE));
    EXPECT_FALSE(w.surface->visible());
    ASSERT_EQ(S_OK, activate(OLEIVERB_SHOW));
    EXPECT_TRUE(w.surface->visible());
    // Letting go of the site deactivates first.
    container->take();
    ASSERT_EQ(S_OK, control->SetClientSite(nullptr));
    EXPECT_THAT(container->site_calls(), ElementsAre("OnInPlaceDeactivate"));
    EXPECT_TRUE(w.surface->destroyed());
}

// A host that persists its controls: one loads saved properties before it activates the
// control, the other initialises it new and lends it its ambient appearance.
TEST_F(Activation, ALoadBeforeActivationIsRestoredAndANewControlFollowsTheAmbience) {
    fakes::FakeWidgets w;
    FakeToolkit::Current() = FakeToolkit{&w};
    comrt::ComPtr<RecordingContainer> container = comrt::make<RecordingContainer>();
    comrt::Variant back;
    back->vt = VT_UI4;  // as containers give OLE_COLOR
    back->ulVal = 0x80000005;
    container->ambient.emplace(DISPID_AMBIENT_BACKCOLOR, back);
    comrt::ComPtr<IFontDisp> saved_font = pg_testing::MakeFont(u"Saved", 12);
    comrt::ComPtr<fakes::FakePropertyBag> bag = comrt::make<fakes::FakePropertyBag>(w.env);
    comrt::Variant colour, font;
    colour->vt = VT_I4;
    colour->lVal = 0x00102030;
    font->vt = VT_DISPATCH;
    (font->pdispVal = saved_font.get())->AddRef();
    bag->set_entry(u"BackColor", *colour.get());
    bag->set_entry(u"Font", *font.get());

    comrt::ComPtr<PropertiesCtl> loaded = comrt::make<PropertiesCtl>(&FakeToolkit::Create);
    ASSERT_EQ(S_OK, loaded->SetClientSite(container.get()));
    ASSERT_EQ(S_OK, loaded->Load(bag.get(), nullptr)) << "before it has widgets";
    comrt::ComPtr<IConnectionPoint> point;
    ASSERT_EQ(S_OK, loaded->FindConnectionPoint(IID_IPropertyNotifySink, point.put()));
    comrt::ComPtr<RecordingSite> sink = comrt::make<RecordingSite>();
    DWORD cookie = 0;
    ASSERT_EQ(S_OK, point->Advise(static_cast<IPropertyNotifySink*>(sink.get()), &cookie));
    ASSERT_EQ(S_OK, container->Embed(*static_cast<IOleObject*>(loaded.get())));
    EXPECT_EQ(0x00102030u, w.grid->back_color()) << "what it loaded, not the ambient colour";
    EXPECT_EQ(saved_font.get(), w.text_editor->font().get());
    EXPECT_THAT(sink->changed, ElementsAre(u"BackColor", u"Font"));
    EXPECT_THAT(container->site_calls(), ::testing::Contains("HandlerFailed(control.ReadProperties, 0x80070057)"))
        << "the missing ForeColor";
    EXPECT_EQ(S_FALSE, loaded->IsDirty());
    EXPECT_EQ(S_OK, loaded->OnAmbientPropertyChange(DISPID_UNKNOWN));
    EXPECT_EQ(0x00102030u, w.grid->back_color()) << "a loaded control keeps its own";
    // Its connection points, listed.
    comrt::ComPtr<IEnumConnectionPoints> points;
    ASSERT_EQ(S_OK, loaded->EnumConnectionPoints(points.put()));
    IConnectionPoint* listed[3]{};
    ULONG fetched = 0;
    EXPECT_EQ(S_FALSE, points->Next(3, listed, &fetched));
    ASSERT_EQ(2u, fetched);
    EXPECT_EQ(point.get(), listed[1]);
    for (ULONG i = 0; i < fetched; ++i) listed[i]->Release();
    // The view answers its size and declines a device context it cannot draw into.
    SIZEL size{};
    EXPECT_EQ(S_OK, static_cast<IViewObject2*>(loaded.get())->GetExtent(DVASPECT_CONTENT, -1, nullptr, &size));
    EXPECT_EQ(8467, size.cx);
    RECTL bounds{0, 0, 100, 100};
    EXPECT_EQ(Hex(VIEW_E_DRAW), Hex(loaded->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr,
                                                 reinterpret_cast<HDC>(1), &bounds, nullptr, nullptr, 0)));
    container->Close();
    container->Unsite();

    // A control initialised new takes the site's ambient properties and their changes,
    // which do not make it dirty.
    fakes::FakeWidgets fresh(w.env, "b.");
    FakeToolkit::Current() = FakeToolkit{&fresh};
    comrt::ComPtr<PropertiesCtl> created = comrt::make<PropertiesCtl>(&FakeToolkit::Create);
    ASSERT_EQ(S_OK, created->InitNew());
    container->take();
    ASSERT_EQ(S_OK, container->Embed(*static_cast<IOleObject*>(created.get())));
    EXPECT_EQ(0x80000005u, fresh.surface->back_color());
    EXPECT_EQ(0x80000012u, fresh.surface->fore_color()) << "no ambient fore colour: its own";
    EXPECT_THAT(container->site_calls(), ::testing::IsSupersetOf({"Ambient(-701)", "Ambient(-704)", "Ambient(-703)"}));
    container->ambient.emplace(DISPID_AMBIENT_FONT, font);
    ASSERT_EQ(S_OK, created->OnAmbientPropertyChange(DISPID_AMBIENT_FONT));
    comrt::ComPtr<IFontDisp> taken;
    ASSERT_EQ(S_OK, created->get_Font(taken.put()));
    EXPECT_NE(saved_font.get(), taken.get()) << "a copy of the container's font";
    EXPECT_EQ(comrt::ReadFontAttributes(saved_font.get()), comrt::ReadFontAttributes(taken.get()));
    EXPECT_EQ(S_FALSE, created->IsDirty());
    ASSERT_EQ(S_OK, created->DoVerb(OLEIVERB_UIACTIVATE, nullptr, nullptr, 0, nullptr, nullptr));
    EXPECT_THAT(container->site_calls(), ::testing::Contains("OnFocus(1)"));
    ASSERT_EQ(S_OK, created->put_ForeColor(0x000000FF));
    EXPECT_EQ(S_OK, created->IsDirty());
    container->Close();
    container->Unsite();
}

// The stream form carries what the bag carries, and a load reads exactly its own bytes.
TEST_F(Activation, AStreamCarriesThePropertiesAndALoadReadsOnlyItsOwnBytes) {
    fakes::FakeWidgets w;
    FakeToolkit::Current() = FakeToolkit{&w};
    comrt::ComPtr<RecordingContainer> container = comrt::make<RecordingContainer>();
    comrt::ComPtr<PropertiesCtl> saved = comrt::make<PropertiesCtl>(&FakeToolkit::Create);
    ASSERT_EQ(S_OK, container->Embed(*static_cast<IOleObject*>(saved.get())));
    comrt::ComPtr<IFontDisp> font = pg_testing::MakeFont(u"Stream \u00e9", 9.75, FW_BOLD, true);
    ASSERT_EQ(S_OK, saved->put_Font(font.get()));
    ASSERT_EQ(S_OK, saved->put_BackColor(0x8000000F));
    ASSERT_EQ(S_OK, saved->IsDirty());
    comrt::ComPtr<MemoryStream> stream = comrt::make<MemoryStream>();
    ASSERT_EQ(S_OK, saved->Save(stream.get(), TRUE));
    EXPECT_EQ(S_FALSE, saved->IsDirty());
    ULARGE_INTEGER most{};
    ASSERT_EQ(S_OK, saved->GetSizeMax(&most));
    EXPECT_EQ(stream->bytes.size(), most.QuadPart);
    const std::size_t own = stream->bytes.size();
    stream->bytes.insert(stream->bytes.end(), {0xAB, 0xCD});  // the next object's data
    container->Close();
    container->Unsite();

    comrt::ComPtr<PropertiesCtl> restored = comrt::make<PropertiesCtl>();
    stream->position = 0;
    ASSERT_EQ(S_OK, restored->Load(stream.get()));
    EXPECT_EQ(own, stream->position);
    comrt::ComPtr<fakes::FakePropertyBag> bag = comrt::make<fakes::FakePropertyBag>(w.env);
    ASSERT_EQ(S_OK, restored->Save(bag.get(), TRUE, TRUE)) << "not active: what it loaded";
    EXPECT_EQ(static_cast<LONG>(0x8000000F), bag->entry(u"BackColor")->lVal);
    EXPECT_EQ(static_cast<LONG>(0x80000012), bag->entry(u"ForeColor")->lVal);
    EXPECT_EQ(comrt::ReadFontAttributes(font.get()), comrt::ReadFontAttributes(bag->entry(u"Font")->pdispVal));

    // Damaged bytes, cut short or with a value type no save writes, are refused.
    for (const std::size_t at : {std::size_t{0}, std::size_t{5}, own - 1}) {
        comrt::ComPtr<MemoryStream> damaged = comrt::make<MemoryStream>();
        damaged->bytes.assign(stream->bytes.begin(), stream->bytes.begin() + static_cast<std::ptrdiff_t>(own));
        if (at == own - 1) damaged->bytes[own - 1] = 0xF0;  // unknown font flags
        else damaged->bytes.resize(at);
        EXPECT_EQ(Hex(0x800A0141), Hex(comrt::make<PropertiesCtl>()->Load(damaged.get()))) << at;
    }
    EXPECT_EQ(Hex(E_UNEXPECTED), Hex(comrt::make<PropertiesCtl>()->Save(stream.get(), TRUE))) << "nothing to save";
}

TEST_F(Activation, TwoControlsOnOneThreadEachKeepTheirGroupsAndHook) {
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
    // Another control's hook holds the window, so this one installs none.
    auto other = std::make_shared<EditorTracking>();
    other->control_window = widgets::ToHandle(fakes.surface->window());
    InstallEditorHook(other);
    Start();
    ASSERT_FALSE(impl().editor_tracking()->hook_installed);
    Terminate();
    EXPECT_THAT(log().entries(), ElementsAre("surface:Terminate"));
    RemoveEditorHook(*other);
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
