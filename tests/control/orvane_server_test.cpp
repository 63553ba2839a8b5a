// liborvane.so as an in-process server: its exports, the unload check, what a control
// from its class factory answers before it is activated, registration with the regsvr
// tool and its type library. ORVANE_LIBRARY, REGSVR_TOOL and TYPELIB_DUMP_TOOL are
// absolute paths from the build.
#include <gmock/gmock.h>

#include <comrt/objbase.h>
#include <comrt/registry.h>
#include <testing/registry_fixture.h>
#include <testing/server_library.h>
#include <testing/tool_output.h>

#include "control_fixture.h"

namespace orvane::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

using pg_testing::ToolRun;

// The library, loaded once for the whole run and never unloaded.
const pg_testing::ServerLibrary& Library() {
    static const auto* const library = new pg_testing::ServerLibrary(ORVANE_LIBRARY);
    return *library;
}
std::string CanUnload() { return Hex(Library().can_unload_now()); }

// The tool's exit status, and its output with whitespace runs as one space.
ToolRun RunTool(const std::string& command) {
    ToolRun run = pg_testing::RunTool(command);
    run.output = pg_testing::Squeezed(run.output);
    return run;
}

// A control from the library's class factory, not activated.
comrt::ComPtr<_PropertiesCtl> CreateFromLibrary() {
    comrt::ComPtr<IClassFactory> factory;
    comrt::check(Library().get_class_object(CLSID_PropertiesCtl, IID_IClassFactory, factory.put_void()));
    comrt::ComPtr<_PropertiesCtl> control;
    comrt::check(factory->CreateInstance(nullptr, IID__PropertiesCtl, control.put_void()));
    return control;
}

TEST(OrvaneServer, ExportsExactlyTheFourServerFunctions) {
    ASSERT_TRUE(Library().loaded()) << Library().load_error();
    const ToolRun nm = RunTool(std::string("nm -D --defined-only --format=just-symbols ") + ORVANE_LIBRARY);
    if (nm.status != 0) GTEST_SKIP() << "nm is not available: " << nm.output;
    EXPECT_EQ("DllCanUnloadNow DllGetClassObject DllRegisterServer DllUnregisterServer ", nm.output);
}

TEST(OrvaneServer, CanUnloadOnceTheControlIsGone) {
    ASSERT_TRUE(Library().loaded()) << Library().load_error();
    ASSERT_EQ(Hex(S_OK), CanUnload());
    {
        comrt::ComPtr<_PropertiesCtl> control = CreateFromLibrary();
        EXPECT_EQ(Hex(S_FALSE), CanUnload());
        comrt::ComPtr<ITypeInfo> info;
        ASSERT_EQ(S_OK, control->GetTypeInfo(0, 0, info.put()));
        control = nullptr;
        EXPECT_EQ(Hex(S_FALSE), CanUnload()) << "its type information reads the library's description";
    }
    EXPECT_EQ(Hex(S_OK), CanUnload());
}

TEST(OrvaneServer, AControlNotYetActivatedFailsClearly) {
    ASSERT_TRUE(Library().loaded()) << Library().load_error();
    comrt::ComPtr<_PropertiesCtl> control = CreateFromLibrary();
    comrt::ComPtr<IOleObject> activation = control.try_as<IOleObject>();
    comrt::ComPtr<IOleInPlaceObject> in_place = control.try_as<IOleInPlaceObject>();
    comrt::ComPtr<IPersistPropertyBag> persist = control.try_as<IPersistPropertyBag>();
    ASSERT_TRUE(activation && in_place && persist);

    // A group is refused before anything else is needed; a call that needs the widgets
    // says that the control is not active yet.
    _clsTessel* none = nullptr;
    comrt::Variant result;
    EXPECT_EQ(Hex(kObjectNotSet), Hex(control->AddPropertyGroup(&none, result.put())));
    SHORT first = 0;
    EXPECT_EQ(Hex(E_UNEXPECTED), Hex(control->SelectPropertyGroup(&first, result.put())));
    OLE_COLOR colour = 1;
    EXPECT_EQ(Hex(E_UNEXPECTED), Hex(control->get_BackColor(&colour)));
    EXPECT_EQ(0u, colour);

    // In place: no window yet, nothing to place or load; deactivating is harmless.
    HWND window = reinterpret_cast<HWND>(1);
    EXPECT_EQ(Hex(E_FAIL), Hex(in_place->GetWindow(&window)));
    EXPECT_EQ(nullptr, window);
    const RECT area{0, 0, 100, 100};
    EXPECT_EQ(Hex(E_UNEXPECTED), Hex(in_place->SetObjectRects(&area, &area)));
    EXPECT_EQ(Hex(S_OK), Hex(in_place->InPlaceDeactivate()));
    EXPECT_EQ(Hex(E_POINTER), Hex(persist->Load(nullptr, nullptr)));
    CLSID clsid{};
    EXPECT_EQ(Hex(S_OK), Hex(persist->GetClassID(&clsid)));
    EXPECT_TRUE(clsid == CLSID_PropertiesCtl);

    // Activation needs a rectangle and a window that exists.
    EXPECT_EQ(Hex(E_INVALIDARG),
              Hex(activation->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, nullptr, 0, nullptr, nullptr)));
    EXPECT_EQ(Hex(E_HANDLE), Hex(activation->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, nullptr, 0,
                                                    reinterpret_cast<HWND>(0x7FFF0000), &area)));
}

TEST(OrvaneServer, RegistersByProgIdAndDumpsAControlLibrary) {
    {
        const pg_testing::TemporaryRegistry registry;
        ASSERT_EQ(Hex(S_OK), Hex(registry.status())) << registry.failure();
        ToolRun run = RunTool(std::string(REGSVR_TOOL) + " " + ORVANE_LIBRARY);
        ASSERT_EQ(0, run.status) << run.output;

        EXPECT_EQ("Orvane.PropertiesCtl Apartment " + comrt::guid_string(LIBID_Orvane),
                  pg_testing::ClassRegistration(CLSID_PropertiesCtl));
        CLSID clsid{};
        ASSERT_EQ(S_OK, CLSIDFromProgID(u"Orvane.PropertiesCtl", &clsid));
        {
            comrt::ComPtr<IDispatch> control;
            ASSERT_EQ(S_OK, CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, control.put_void()));
            EXPECT_TRUE(control.try_as<IOleObject>());
            comrt::ComPtr<ITypeLib> lib;
            EXPECT_EQ(S_OK, LoadRegTypeLib(LIBID_Orvane, 5, 0, LOCALE_USER_DEFAULT, lib.put()));
        }
        run = RunTool(std::string(REGSVR_TOOL) + " -u " + ORVANE_LIBRARY);
        EXPECT_EQ(0, run.status) << run.output;
        EXPECT_EQ(Hex(REGDB_E_CLASSNOTREG), pg_testing::ClassRegistration(CLSID_PropertiesCtl));
        comrt::ComPtr<IUnknown> none;
        EXPECT_EQ(Hex(REGDB_E_CLASSNOTREG), Hex(CoCreateInstance(CLSID_PropertiesCtl, nullptr, CLSCTX_INPROC_SERVER,
                                                                 IID_IUnknown, none.put_void())));
        CoFreeUnusedLibraries();
    }

    const ToolRun dump = RunTool(std::string(TYPELIB_DUMP_TOOL) + " " + ORVANE_LIBRARY);
    ASSERT_EQ(0, dump.status) << dump.output;
    for (const char* line : {
             "uuid(3EF75750-E43E-11D5-8872-0000E23465BF), version(5.0), control ] library Orvane",
             "/* slot 7 */ [id(0x60030008)] HRESULT AddPropertyGroup([in, out] _clsTessel** mPropData, "
             "[out, retval] VARIANT*);",
             "/* slot 14 */ [id(0x68030002), propputref] HRESULT BackColor([in] OLE_COLOR);",
             "/* slot 20 */ [id(0x68030000), propputref] HRESULT Font([in] IFontDisp*);",
             "uuid(333080DD-FE79-4B76-ABE4-3A69E3F1A543), control ] coclass PropertiesCtl { [default] interface "
             "_PropertiesCtl; [default, source] dispinterface __PropertiesCtl;",
         })
        EXPECT_THAT(dump.output, HasSubstr(line));
}

}  // namespace
}  // namespace orvane::testing
