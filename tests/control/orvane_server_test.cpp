// liborvane.so as an in-process server: its exports, the unload check, controls from its
// class factory sited on the fakes (two on one thread), registration with the regsvr
// tool and its type library. ORVANE_LIBRARY, REGSVR_TOOL and TYPELIB_DUMP_TOOL are
// absolute paths from the build.
#include <dlfcn.h>
#include <stdlib.h>

#include <gmock/gmock.h>

#include <cctype>
#include <filesystem>

#include <comrt/objbase.h>
#include <comrt/registry.h>

#include "control_fixture.h"

namespace orvane::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

void* Library() {
    static void* const handle = dlopen(ORVANE_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    return handle;
}
template <typename Fn>
Fn Export(const char* name) {
    return Library() ? reinterpret_cast<Fn>(dlsym(Library(), name)) : nullptr;
}
std::string CanUnload() { return Hex(Export<HRESULT (*)()>("DllCanUnloadNow")()); }

// The tool's output with whitespace runs as one space; status its exit status.
std::string RunTool(const std::string& command, int* status) {
    std::string output;
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    for (int c; pipe && (c = std::fgetc(pipe)) != EOF;)
        if (!std::isspace(c)) output += static_cast<char>(c);
        else if (!output.empty() && output.back() != ' ') output += ' ';
    *status = pipe ? pclose(pipe) : -1;
    return output;
}

comrt::ComPtr<_PropertiesCtl> CreateFromLibrary(const fakes::FakeWidgets& widgets, IControlErrorSink* errors) {
    comrt::ComPtr<IClassFactory> factory;
    comrt::check(Export<HRESULT (*)(REFCLSID, REFIID, LPVOID*)>("DllGetClassObject")(
        CLSID_PropertiesCtl, IID_IClassFactory, factory.put_void()));
    comrt::ComPtr<_PropertiesCtl> control;
    comrt::check(factory->CreateInstance(nullptr, IID__PropertiesCtl, control.put_void()));
    const widgets::WidgetSet set = widgets.set();
    comrt::check(control.as<IControlSite>()->Site(&set, errors));
    widgets.surface->raise_initialize();
    widgets.surface->resize(4800, 3975);
    return control;
}

// Hands a control its only group and shows it.
HRESULT Show(_PropertiesCtl& control, const comrt::ComPtr<_clsTessel>& group) {
    _clsTessel* arg = group.get();
    comrt::Variant result;
    SHORT first = 0;
    const HRESULT hr = control.AddPropertyGroup(&arg, result.put());
    return FAILED(hr) ? hr : control.SelectPropertyGroup(&first, result.put());
}

ULONG References(IUnknown* object) { return (object->AddRef(), object->Release()); }

TEST(OrvaneServer, ExportsExactlyTheFourServerFunctions) {
    ASSERT_NE(nullptr, Library()) << dlerror();
    int status = 0;
    const std::string listing = RunTool(std::string("nm -D --defined-only --format=just-symbols ") + ORVANE_LIBRARY, &status);
    if (status != 0) GTEST_SKIP() << "nm is not available: " << listing;
    EXPECT_EQ("DllCanUnloadNow DllGetClassObject DllRegisterServer DllUnregisterServer ", listing);
}

TEST(OrvaneServer, CanUnloadOnceTheControlIsGoneAndItsGroupsAreReleased) {
    ASSERT_NE(nullptr, Library()) << dlerror();
    ASSERT_EQ(Hex(S_OK), CanUnload());
    comrt::ComPtr<_clsTessel> group = MakeGroup(u"G", 2);
    {
        fakes::FakeWidgets widgets;
        comrt::ComPtr<_PropertiesCtl> control = CreateFromLibrary(widgets, nullptr);
        EXPECT_EQ(Hex(S_FALSE), CanUnload());
        ASSERT_EQ(S_OK, Show(*control, group));
        EXPECT_EQ(3u, References(group.get())) << "the test, the group collection, the current group";
        widgets.surface->raise_terminate();
        EXPECT_EQ(2u, References(group.get())) << "termination releases the collection";
        control = nullptr;
        EXPECT_THAT(widgets.env->event_failures(), IsEmpty());
    }
    EXPECT_EQ(1u, References(group.get()));
    EXPECT_EQ(Hex(S_OK), CanUnload());
}

TEST(OrvaneServer, TwoControlsOnOneThreadEachKeepTheirGroupsAndHook) {
    auto env = std::make_shared<fakes::FakeEnvironment>();
    fakes::FakeWidgets a(env, "a."), b(env, "b.");
    comrt::ComPtr<RecordingErrorSink> errors = comrt::make<RecordingErrorSink>();
    comrt::ComPtr<_PropertiesCtl> first = CreateFromLibrary(a, errors.get());
    comrt::ComPtr<_PropertiesCtl> second = CreateFromLibrary(b, errors.get());
    ASSERT_EQ(S_OK, Show(*first, MakeGroup(u"A", 1)));
    ASSERT_EQ(S_OK, Show(*second, MakeGroup(u"B", 2)));
    EXPECT_THAT(a.combo1->entries(), ElementsAre(u"A"));
    EXPECT_THAT(b.combo1->entries(), ElementsAre(u"B"));
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
    ASSERT_TRUE(b.text1->visible());
    b.text1->Move(0, 0, 10, 10);
    b.surface->resize(6000, 5000);
    EXPECT_EQ(3000.0f, b.text1->left());
    EXPECT_EQ(static_cast<double>(b.grid->top() + static_cast<float>(b.grid->row_height())), b.text1->top());
    EXPECT_EQ(3000, b.text1->width());
    EXPECT_THAT(errors->failures, IsEmpty()) << errors->text();
    b.surface->raise_terminate();
}

TEST(OrvaneServer, RegistersByProgIdAndDumpsAControlLibrary) {
    char folder[] = "/tmp/orvane-registry-XXXXXX";
    ASSERT_NE(nullptr, mkdtemp(folder));
    setenv("COMRT_REGISTRY", (std::filesystem::path(folder) / "registry.json").c_str(), 1);
    int status = -1;
    std::string output = RunTool(std::string(REGSVR_TOOL) + " " + ORVANE_LIBRARY, &status);
    ASSERT_EQ(0, status) << output;

    comrt::class_registration entry;
    ASSERT_EQ(S_OK, comrt::find_class(CLSID_PropertiesCtl, entry));
    EXPECT_EQ("Orvane.PropertiesCtl", entry.progid);
    EXPECT_EQ("Apartment", entry.threading);
    EXPECT_TRUE(entry.typelib == LIBID_Orvane);
    CLSID clsid{};
    ASSERT_EQ(S_OK, CLSIDFromProgID(u"Orvane.PropertiesCtl", &clsid));
    {
        comrt::ComPtr<IDispatch> control;
        ASSERT_EQ(S_OK, CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, control.put_void()));
        EXPECT_TRUE(control.try_as<IControlSite>());
        comrt::ComPtr<ITypeLib> lib;
        EXPECT_EQ(S_OK, LoadRegTypeLib(LIBID_Orvane, 5, 0, LOCALE_USER_DEFAULT, lib.put()));
    }
    output = RunTool(std::string(REGSVR_TOOL) + " -u " + ORVANE_LIBRARY, &status);
    EXPECT_EQ(0, status) << output;
    comrt::ComPtr<IUnknown> none;
    EXPECT_EQ(Hex(REGDB_E_CLASSNOTREG),
              Hex(CoCreateInstance(CLSID_PropertiesCtl, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, none.put_void())));
    CoFreeUnusedLibraries();
    unsetenv("COMRT_REGISTRY");
    std::filesystem::remove_all(folder);

    const std::string dump = RunTool(std::string(TYPELIB_DUMP_TOOL) + " " + ORVANE_LIBRARY, &status);
    ASSERT_EQ(0, status) << dump;
    for (const char* line : {
             "uuid(3EF75750-E43E-11D5-8872-0000E23465BF), version(5.0), control ] library Orvane",
             "/* slot 7 */ [id(0x60030008)] HRESULT AddPropertyGroup([in, out] _clsTessel** mPropData, "
             "[out, retval] VARIANT*);",
             "/* slot 14 */ [id(0x68030002), propputref] HRESULT BackColor([in] OLE_COLOR);",
             "/* slot 20 */ [id(0x68030000), propputref] HRESULT Font([in] IFontDisp*);",
             "uuid(333080DD-FE79-4B76-ABE4-3A69E3F1A543), control ] coclass PropertiesCtl { [default] interface "
             "_PropertiesCtl; [default, source] dispinterface __PropertiesCtl;",
         })
        EXPECT_THAT(dump, HasSubstr(line));
}

}  // namespace
}  // namespace orvane::testing
