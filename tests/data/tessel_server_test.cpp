// libtessel.so as an in-process server: its exports, the unload check, registration with
// the regsvr tool, activation by class id and ProgID, and its type library.
//
// TESSEL_LIBRARY, REGSVR_TOOL and TYPELIB_DUMP_TOOL are absolute paths from the build.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <set>
#include <string>

#include <comrt/objbase.h>
#include <comrt/registry.h>
#include <comrt/typeinfo.h>
#include <testing/registry_fixture.h>
#include <testing/server_library.h>
#include <testing/tool_output.h>

#include "tessel_test_util.h"

namespace {

using namespace tessel_test;
using comrt::ComPtr;

using pg_testing::RunTool;
using pg_testing::ToolRun;

// The library, loaded once for the whole run and never unloaded (activation later finds
// the same handle).
const pg_testing::ServerLibrary& Tessel() {
    static const auto* const library = new pg_testing::ServerLibrary(TESSEL_LIBRARY);
    return *library;
}

ComPtr<IClassFactory> FactoryOf(const CLSID& clsid) {
    ComPtr<IClassFactory> factory;
    EXPECT_EQ(S_OK, Tessel().get_class_object(clsid, IID_IClassFactory, factory.put_void()));
    return factory;
}

TEST(TesselServer, ExportsExactlyTheFourServerFunctions) {
    ASSERT_TRUE(Tessel().loaded()) << Tessel().load_error();
    const ToolRun nm = RunTool(std::string("nm -D --defined-only --format=just-symbols ") + TESSEL_LIBRARY);
    if (nm.status != 0) GTEST_SKIP() << "nm is not available: " << nm.output;
    const std::string& listing = nm.output;
    std::set<std::string> exported;
    std::size_t start = 0;
    for (std::size_t end; (end = listing.find('\n', start)) != std::string::npos; start = end + 1) {
        const std::string name = listing.substr(start, end - start);
        if (!name.empty() && name.rfind("__", 0) != 0) exported.insert(name);  // "__" belongs to the toolchain
    }
    EXPECT_THAT(exported, testing::ElementsAre("DllCanUnloadNow", "DllGetClassObject", "DllRegisterServer",
                                               "DllUnregisterServer"));
}

TEST(TesselServer, CanUnloadOnlyWhenNothingLives) {
    ASSERT_TRUE(Tessel().loaded()) << Tessel().load_error();
    auto can_unload = [] { return Hex(Tessel().can_unload_now()); };
    ASSERT_EQ(Hex(S_OK), can_unload());

    ComPtr<IClassFactory> groups = FactoryOf(CLSID_clsTessel);
    ASSERT_TRUE(groups);
    EXPECT_EQ(Hex(S_FALSE), can_unload()) << "a class factory lives";

    ComPtr<_clsTessel> group;
    ASSERT_EQ(S_OK, groups->CreateInstance(nullptr, IID__clsTessel, group.put_void()));
    ComPtr<IUnknown> outer = group.as<IUnknown>();
    ComPtr<IUnknown> refused;
    EXPECT_EQ(Hex(CLASS_E_NOAGGREGATION), Hex(groups->CreateInstance(outer.get(), IID_IUnknown, refused.put_void())));
    outer = nullptr;
    groups = nullptr;
    EXPECT_EQ(Hex(S_FALSE), can_unload()) << "a group lives";

    // An item made by the group and kept by the host outlives the group.
    ASSERT_NO_THROW(pg_testing::AddItem(*group, {u"Kept", u"Kept"}));
    ComPtr<_Collection> items;
    ASSERT_EQ(S_OK, group->get_ItemsCollection(items.put()));
    ComPtr<_clsPropertyItem> kept = ElementAt(items.get(), 1);
    ASSERT_TRUE(kept);
    group = nullptr;
    EXPECT_EQ(0, CountOf(items.get()));
    EXPECT_EQ(Hex(S_FALSE), can_unload()) << "an item lives";
    EXPECT_EQ("Kept", Name(kept.get()));
    kept = nullptr;
    EXPECT_EQ(Hex(S_FALSE), can_unload()) << "the collection lives: its code is the library's";
    items = nullptr;
    EXPECT_EQ(Hex(S_OK), can_unload()) << "the last release";

    // A server lock holds the library without any object.
    ComPtr<IClassFactory> items_factory = FactoryOf(CLSID_clsPropertyItem);
    ASSERT_EQ(S_OK, items_factory->LockServer(TRUE));
    items_factory = nullptr;
    EXPECT_EQ(Hex(S_FALSE), can_unload());
    ASSERT_EQ(S_OK, FactoryOf(CLSID_clsPropertyItem)->LockServer(FALSE));
    EXPECT_EQ(Hex(S_OK), can_unload());

    ComPtr<IClassFactory> unknown;
    EXPECT_EQ(Hex(CLASS_E_CLASSNOTAVAILABLE),
              Hex(Tessel().get_class_object(IID__clsTessel, IID_IClassFactory, unknown.put_void())));
}

TEST(TesselServer, TypelibDumpShowsBothClassesAndInterfaces) {
    const ToolRun dump = RunTool(std::string(TYPELIB_DUMP_TOOL) + " " + TESSEL_LIBRARY);
    ASSERT_EQ(0, dump.status) << dump.output;
    // Whitespace runs as one space, so the checks read as the declarations do.
    const std::string text = pg_testing::Squeezed(dump.output);
    const char* expected[] = {
        "uuid(6CD20C86-FCB1-44B6-B123-91E9CC53833E), version(1.0) ] library Tessel",
        "uuid(EB6EDA4C-DF46-4F19-9DAE-F7A4AFBD2938), hidden, dual, nonextensible, oleautomation ] "
        "interface _clsPropertyItem : IDispatch {",
        "/* slot 7 */ [id(0x40030000), propget] HRESULT ItemName([out, retval] BSTR*);",
        "/* slot 12 */ [id(0x40030002), propput] HRESULT ItemType([in] short);",
        "/* slot 13 */ [id(0x60030000)] HRESULT SetValueCmb([in, out] SAFEARRAY(BSTR)* ValuesArray);",
        "/* slot 14 */ [id(0x60030001)] HRESULT GetItem([in, out] short* nIndex, [out, retval] BSTR*);",
        "/* slot 15 */ [id(0x60030002)] HRESULT Count([out, retval] short*);",
        "uuid(87DCC9C0-C664-481A-8214-96038074A155), hidden, dual, nonextensible, oleautomation ] "
        "interface _clsTessel : IDispatch {",
        "/* slot 9 */ [id(0x40030001), propget] HRESULT ItemsCollection([out, retval] _Collection**); "
        "/* slot 11 */ [id(0x40030001), propputref] HRESULT ItemsCollection([in] _Collection*);",
        "/* slot 12 */ [id(0x60030000)] HRESULT AddItem([in, out] BSTR* sName, [in, out] BSTR* sValue, "
        "[in, out] short* nType, [in, out] SAFEARRAY(BSTR)* oValues, [out, retval] long*);",
        "/* slot 13 */ [id(0x60030001)] HRESULT Clear();",
        "uuid(2BE01A27-49A0-4453-AE9E-17BC9D98BD17) ] coclass clsPropertyItem { [default] interface _clsPropertyItem;",
        "uuid(0F73DE08-04F1-47DE-B805-BCB713D790C9) ] coclass clsTessel { [default] interface _clsTessel;",
    };
    for (const char* line : expected) EXPECT_THAT(text, testing::HasSubstr(line));
}

class TesselRegistration : public pg_testing::TemporaryRegistryTest {
protected:
    void TearDown() override { CoFreeUnusedLibraries(); }

    static ToolRun Regsvr(const char* flags) { return RunTool(std::string(REGSVR_TOOL) + flags + " " + TESSEL_LIBRARY); }
};

TEST_F(TesselRegistration, RegisterCreateByClassIdAndProgIdUnregister) {
    ToolRun run = Regsvr("");
    ASSERT_EQ(0, run.status) << run.output;

    EXPECT_EQ("Tessel.clsTessel Apartment " + comrt::guid_string(LIBID_Tessel),
              pg_testing::ClassRegistration(CLSID_clsTessel));

    struct Row {
        const char16_t* progid;
        const CLSID* clsid;
        const IID* iid;
    } rows[] = {
        {u"Tessel.clsTessel", &CLSID_clsTessel, &IID__clsTessel},
        {u"Tessel.clsPropertyItem", &CLSID_clsPropertyItem, &IID__clsPropertyItem},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(Printable(row.progid));
        ComPtr<IUnknown> by_id;
        EXPECT_EQ(S_OK, CoCreateInstance(*row.clsid, nullptr, CLSCTX_INPROC_SERVER, *row.iid, by_id.put_void()));
        CLSID found{};
        ASSERT_EQ(S_OK, CLSIDFromProgID(row.progid, &found));
        EXPECT_TRUE(found == *row.clsid);
        ComPtr<IDispatch> by_progid;
        EXPECT_EQ(S_OK, CoCreateInstance(found, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, by_progid.put_void()));
        EXPECT_TRUE(by_progid.try_as<IUnknown>());
    }
    ComPtr<ITypeLib> lib;
    EXPECT_EQ(S_OK, LoadRegTypeLib(LIBID_Tessel, 1, 0, LOCALE_USER_DEFAULT, lib.put()));
    lib = nullptr;

    run = Regsvr(" -u");
    ASSERT_EQ(0, run.status) << run.output;
    for (const Row& row : rows) {
        ComPtr<IUnknown> none;
        EXPECT_EQ(Hex(REGDB_E_CLASSNOTREG),
                  Hex(CoCreateInstance(*row.clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, none.put_void())));
        CLSID found{};
        EXPECT_EQ(Hex(CO_E_CLASSSTRING), Hex(CLSIDFromProgID(row.progid, &found)));
    }
    EXPECT_EQ(Hex(S_OK), Hex(Tessel().can_unload_now()));
}

}  // namespace
