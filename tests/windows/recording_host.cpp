// The registered orvane.dll embedded by the recording container (tests/control), as the
// system's host windows embed controls: created through CoCreateInstance by its ProgID,
// sited in a real window of this program, with its own Win32 widgets. Every call between
// container and control is logged and checked, as the Linux tests check them over fakes;
// groups come from the registered tessel.dll. Each case ends with orvane.dll unloaded.
// Run after regsvr32 of both DLLs, on a display.
#include <gmock/gmock.h>

#include <map>
#include <string>
#include <utility>

#include <comrt/font_attributes.h>
#include <orvane/orvane.h>

#include "hosting.h"
#include "recording_container.h"

namespace {

using comrt::ComPtr;
using orvane::testing::RecordingContainer;
using pg_testing::Hex;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

// The control's property ids, as the site and the sinks hear them: Font, ForeColor, BackColor.
constexpr const char* kFontChanged = "OnChanged(1745027072)";
constexpr const char* kForeColorChanged = "OnChanged(1745027073)";
constexpr const char* kBackColorChanged = "OnChanged(1745027074)";

// Saved properties by name; a missing one is E_INVALIDARG, as a container's bag answers.
class PropertyBag final : public comrt::implements<PropertyBag, IPropertyBag> {
public:
    HRESULT STDMETHODCALLTYPE Read(LPCOLESTR name, VARIANT* value, IErrorLog*) noexcept override try {
        const auto it = entries.find(name);
        if (it == entries.end()) return E_INVALIDARG;
        VariantInit(value);
        return VariantCopy(value, it->second.get());
    } catch (...) {
        return E_OUTOFMEMORY;
    }
    HRESULT STDMETHODCALLTYPE Write(LPCOLESTR name, VARIANT* value) noexcept override try {
        return VariantCopy(entries[name].get(), value);
    } catch (...) {
        return E_OUTOFMEMORY;
    }
    std::map<std::wstring, comrt::Variant> entries;
};

class RecordingHost : public ::testing::Test {
protected:
    void SetUp() override {
        WNDCLASSW parent_class{};
        parent_class.lpfnWndProc = DefWindowProcW;
        parent_class.hInstance = GetModuleHandleW(nullptr);
        parent_class.lpszClassName = L"RecordingHost";
        RegisterClassW(&parent_class);  // fails harmlessly for the second case
        parent = CreateWindowExW(0, L"RecordingHost", L"Recording host", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                                 CW_USEDEFAULT, CW_USEDEFAULT, 440, 360, nullptr, nullptr, parent_class.hInstance,
                                 nullptr);
        ASSERT_NE(nullptr, parent);
        ShowWindow(parent, SW_SHOW);
        container->window = parent;
    }
    void TearDown() override {
        DestroyWindow(parent);
        container = nullptr;
        // Everything released: the library answers that it can go, and goes.
        const HMODULE orvane = GetModuleHandleW(L"orvane.dll");
        ASSERT_NE(nullptr, orvane) << "the control came from the registered orvane.dll";
        const auto can_unload = reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(
            reinterpret_cast<void*>(GetProcAddress(orvane, "DllCanUnloadNow")));
        ASSERT_NE(nullptr, can_unload);
        EXPECT_EQ(Hex(S_OK), Hex(can_unload()));
        CoFreeUnusedLibraries();
        EXPECT_EQ(nullptr, GetModuleHandleW(L"orvane.dll")) << "CoFreeUnusedLibraries unloads orvane.dll";
    }

    // A new control by its ProgID, as a host window creates one.
    static ComPtr<IOleObject> Create() {
        CLSID clsid{};
        EXPECT_EQ(Hex(S_OK), Hex(CLSIDFromProgID(L"Orvane.PropertiesCtl", &clsid)));
        EXPECT_TRUE(clsid == CLSID_PropertiesCtl);
        ComPtr<IOleObject> object;
        EXPECT_EQ(Hex(S_OK), Hex(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject,
                                                  object.put_void())));
        return object;
    }
    // The control's window.
    static HWND WindowOf(const ComPtr<IOleObject>& object) {
        HWND window = nullptr;
        EXPECT_EQ(S_OK, object.try_as<IOleWindow>()->GetWindow(&window));
        return window;
    }
    // The first window of class `name` among all below `under`.
    static HWND Descendant(HWND under, const wchar_t* name) {
        std::pair<const wchar_t*, HWND> search{name, nullptr};
        EnumChildWindows(
            under,
            [](HWND window, LPARAM found) -> BOOL {
                auto& [wanted, hit] = *reinterpret_cast<std::pair<const wchar_t*, HWND>*>(found);
                wchar_t class_name[64] = {};
                GetClassNameW(window, class_name, 64);
                if (_wcsicmp(class_name, wanted) == 0) hit = window;
                return !hit;
            },
            reinterpret_cast<LPARAM>(&search));
        return search.second;
    }

    HWND parent = nullptr;
    ComPtr<RecordingContainer> container = comrt::make<RecordingContainer>();
};

// The host window's sequence on the real widgets: the same calls, in the same order, as
// over the fakes; the control then shows a group from tessel.dll and takes an edit.
TEST_F(RecordingHost, AHostWindowsSequenceSitesActivatesSizesAndClosesTheControl) {
    ComPtr<IOleObject> object = Create();
    ASSERT_TRUE(object);
    ASSERT_EQ(Hex(S_OK), Hex(object.try_as<IPersistStreamInit>()->InitNew()));
    ASSERT_EQ(Hex(S_OK), Hex(container->Embed(*object)));
    EXPECT_THAT(container->take(),
                ElementsAre("container: SetClientSite -> 0x00000000", "container: SetHostNames -> 0x00000000",
                            "container: SetExtent -> 0x00000000", "site: CanInPlaceActivate", "site: OnInPlaceActivate",
                            "site: GetWindow", "site: GetWindowContext", "site: Ambient(-701)",
                            "site: Ambient(-704)", "site: Ambient(-703)",
                            "container: DoVerb(INPLACEACTIVATE) -> 0x00000000"))
        << "initialised new, it takes the ambient colours and font once it has widgets";
    const HWND window = WindowOf(object);
    ASSERT_TRUE(IsWindow(window));
    EXPECT_EQ(parent, GetParent(window));
    RECT placed{};
    GetWindowRect(window, &placed);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&placed), 2);
    EXPECT_EQ(10, placed.left) << "at the rectangle the site gave";
    EXPECT_EQ(285, placed.bottom);
    EXPECT_EQ(S_OK, object->DoVerb(OLEIVERB_SHOW, nullptr, nullptr, 0, nullptr, nullptr));
    EXPECT_THAT(container->site_calls(), IsEmpty()) << "active already";

    // A resize of the host window moves and sizes the control's window.
    ASSERT_EQ(Hex(S_OK), Hex(container->Resize(RECT{0, 0, 400, 300})));
    GetWindowRect(window, &placed);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&placed), 2);
    EXPECT_EQ(0, placed.left);
    EXPECT_EQ(400, placed.right);
    EXPECT_EQ(300, placed.bottom);

    // A group from tessel.dll, shown in the grid, whose window lies in the parent's.
    const ComPtr<IDispatch> group = hosting::MakeGroup(L"General", {{L"Name", L"Ada"}, {L"Notes", L"none"}}, {});
    const ComPtr<IDispatch> control = object.try_as<IDispatch>();
    hosting::Call(control.get(), L"AddPropertyGroup", DISPATCH_METHOD, {hosting::Object(group.get())});
    SHORT first = 0;
    ASSERT_EQ(S_OK, object.try_as<_PropertiesCtl>()->SelectPropertyGroup(&first, comrt::Variant().put()));
    hosting::Pump(100);
    const HWND grid = Descendant(window, L"Orvane.Grid");
    ASSERT_NE(nullptr, grid) << "the control shows its grid";
    EXPECT_TRUE(IsChild(parent, grid) && IsWindowVisible(grid));

    // A put tells the site by dispatch id.
    container->take();
    ASSERT_EQ(S_OK, object.try_as<_PropertiesCtl>()->put_BackColor(0x00FF0000));
    EXPECT_THAT(container->site_calls(), ElementsAre(kBackColorChanged));

    // A value typed into the value cell's editor and committed reaches the item.
    container->take();
    ASSERT_EQ(S_OK, object->DoVerb(OLEIVERB_UIACTIVATE, nullptr, nullptr, 0, nullptr, nullptr));
    EXPECT_THAT(container->site_calls(), ElementsAre("OnUIActivate", "OnFocus(1)"));
    SendMessageW(grid, WM_KEYDOWN, VK_RIGHT, 0);
    ASSERT_EQ(S_OK, object.try_as<_PropertiesCtl>()->ChangeCellText());
    const HWND editor = GetFocus();
    ASSERT_TRUE(IsChild(window, editor) && IsWindowVisible(editor)) << "the value cell's editor has the focus";
    SetWindowTextW(editor, L"Grace");
    ASSERT_EQ(S_OK, object.try_as<IPropertiesEditing>()->CommitEdit());
    EXPECT_EQ(L"Grace", hosting::ItemValue(group.get(), 1));

    // Closing deactivates, takes the windows away and tells the site last.
    container->take();
    ASSERT_EQ(Hex(S_OK), Hex(container->Close()));
    EXPECT_THAT(container->site_calls(), ElementsAre("OnFocus(0)", "OnUIDeactivate", "OnInPlaceDeactivate"));
    EXPECT_FALSE(IsWindow(window));
    EXPECT_FALSE(IsWindow(grid));
    const ULONG held = (container->AddRef(), container->Release());
    ASSERT_EQ(Hex(S_OK), Hex(container->Unsite()));
    EXPECT_LT((container->AddRef(), container->Release()), held) << "the control let go of its site";
}

// A host that loads saved properties before it activates the control, then one that
// initialises it new and lends it its ambient appearance; a sink advised through the
// control's connection point hears every change.
TEST_F(RecordingHost, ALoadBeforeActivationIsRestoredAndANewControlFollowsTheAmbience) {
    comrt::Variant back;
    back->vt = VT_UI4;  // as containers give OLE_COLOR
    back->ulVal = 0x80000005;
    container->ambient.emplace(DISPID_AMBIENT_BACKCOLOR, back);
    comrt::FontAttributes saved;
    saved.name = L"Tahoma";
    saved.size.int64 = 120000;
    const ComPtr<IFontDisp> saved_font = comrt::CreateFontObject(saved);
    ComPtr<PropertyBag> bag = comrt::make<PropertyBag>();
    comrt::Variant& colour = bag->entries[L"BackColor"];
    colour->vt = VT_I4;
    colour->lVal = 0x00102030;
    comrt::Variant& font = bag->entries[L"Font"];
    font->vt = VT_DISPATCH;
    (font->pdispVal = saved_font.get())->AddRef();
    const auto advise = [](IUnknown* control, IPropertyNotifySink* sink, DWORD& cookie) {
        ComPtr<IConnectionPoint> point;
        EXPECT_EQ(S_OK, comrt::ComPtr<IUnknown>(control).try_as<IConnectionPointContainer>()->FindConnectionPoint(
                            IID_IPropertyNotifySink, point.put()));
        EXPECT_EQ(S_OK, point->Advise(sink, &cookie));
        return point;
    };
    ComPtr<RecordingContainer> sink = comrt::make<RecordingContainer>();
    DWORD cookie = 0;

    {
        ComPtr<IOleObject> loaded = Create();
        ASSERT_TRUE(loaded);
        ASSERT_EQ(S_OK, loaded->SetClientSite(container.get()));
        ASSERT_EQ(Hex(S_OK), Hex(loaded.try_as<IPersistPropertyBag>()->Load(bag.get(), nullptr)))
            << "before it has widgets";
        const ComPtr<IConnectionPoint> point = advise(loaded.get(), sink.get(), cookie);
        ASSERT_EQ(Hex(S_OK), Hex(container->Embed(*loaded)));
        OLE_COLOR colour_now = 0;
        const ComPtr<_PropertiesCtl> control = loaded.try_as<_PropertiesCtl>();
        ASSERT_EQ(S_OK, control->get_BackColor(&colour_now));
        EXPECT_EQ(0x00102030u, colour_now) << "what it loaded, not the ambient colour";
        ComPtr<IFontDisp> taken;
        ASSERT_EQ(S_OK, control->get_Font(taken.put()));
        EXPECT_EQ(saved_font.get(), taken.get()) << "the loaded font itself";
        EXPECT_THAT(sink->site_calls(), ElementsAre(kBackColorChanged, kFontChanged));
        EXPECT_THAT(container->site_calls(), Contains("HandlerFailed(control.ReadProperties, 0x80070057)"))
            << "the missing ForeColor";
        EXPECT_EQ(S_FALSE, loaded.try_as<IPersistStreamInit>()->IsDirty());
        EXPECT_EQ(S_OK, loaded.try_as<IOleControl>()->OnAmbientPropertyChange(DISPID_UNKNOWN));
        ASSERT_EQ(S_OK, control->get_BackColor(&colour_now));
        EXPECT_EQ(0x00102030u, colour_now) << "a loaded control keeps its own";
        EXPECT_EQ(S_OK, point->Unadvise(cookie));
        container->Close();
        container->Unsite();
    }

    // Initialised new: the site's ambient properties and their changes, which do not make
    // it dirty.
    ComPtr<IOleObject> created = Create();
    ASSERT_TRUE(created);
    ASSERT_EQ(S_OK, created.try_as<IPersistStreamInit>()->InitNew());
    const ComPtr<IConnectionPoint> point = advise(created.get(), sink.get(), cookie);
    container->take();
    sink->take();
    ASSERT_EQ(Hex(S_OK), Hex(container->Embed(*created)));
    const ComPtr<_PropertiesCtl> control = created.try_as<_PropertiesCtl>();
    OLE_COLOR back_now = 0, fore_now = 0;
    ASSERT_EQ(S_OK, control->get_BackColor(&back_now));
    ASSERT_EQ(S_OK, control->get_ForeColor(&fore_now));
    EXPECT_EQ(0x80000005u, back_now);
    EXPECT_EQ(0x80000012u, fore_now) << "no ambient fore colour: its own";
    EXPECT_THAT(container->site_calls(), ::testing::IsSupersetOf({"Ambient(-701)", "Ambient(-704)", "Ambient(-703)"}));
    container->ambient.emplace(DISPID_AMBIENT_FONT, font);
    ASSERT_EQ(S_OK, created.try_as<IOleControl>()->OnAmbientPropertyChange(DISPID_AMBIENT_FONT));
    ComPtr<IFontDisp> taken;
    ASSERT_EQ(S_OK, control->get_Font(taken.put()));
    EXPECT_NE(saved_font.get(), taken.get()) << "a copy of the container's font";
    EXPECT_EQ(comrt::ReadFontAttributes(saved_font.get()), comrt::ReadFontAttributes(taken.get()));
    EXPECT_EQ(S_FALSE, created.try_as<IPersistStreamInit>()->IsDirty());
    sink->take();
    ASSERT_EQ(S_OK, control->put_ForeColor(0x000000FF));
    EXPECT_THAT(sink->site_calls(), ElementsAre(kForeColorChanged));
    EXPECT_EQ(S_OK, created.try_as<IPersistStreamInit>()->IsDirty());
    EXPECT_EQ(S_OK, point->Unadvise(cookie));
    container->Close();
    container->Unsite();
}

}  // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleMock(&argc, argv);
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 2;
    const int result = RUN_ALL_TESTS();
    CoUninitialize();
    return result;
}
