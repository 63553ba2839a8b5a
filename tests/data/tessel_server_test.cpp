// libtessel.so as an in-process server: its exports, the unload check, registration with
// the regsvr tool, activation by class id and ProgID, and its type library.
//
// TESSEL_LIBRARY, REGSVR_TOOL and TYPELIB_DUMP_TOOL are absolute paths from the build.
#include <dlfcn.h>
#include <stdlib.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <set>
#include <string>

#include <comrt/objbase.h>
#include <comrt/registry.h>
#include <comrt/typeinfo.h>

#include "tessel_test_util.h"

namespace {

using namespace tessel_test;
using comrt::ComPtr;

using GetClassObjectFn = HRESULT (*)(REFCLSID, REFIID, LPVOID*);
using ExportFn = HRESULT (*)();

// The library, loaded once for the whole run (activation later finds the same handle).
struct Library {
    void* handle = dlopen(TESSEL_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    GetClassObjectFn get_class_object = handle ? reinterpret_cast<GetClassObjectFn>(dlsym(handle, "DllGetClassObject")) : nullptr;
    ExportFn can_unload_now = handle ? reinterpret_cast<ExportFn>(dlsym(handle, "DllCanUnloadNow")) : nullptr;
};

const Library& Tessel() {
    static const Library library;
    return library;
}

std::string RunTool(const std::string& command, int* status) {
    std::string output;
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (!pipe) {
        *status = -1;
        return output;
    }
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, pipe)) output += buffer;
    *status = pclose(pipe);
    return output;
}

ComPtr<IClassFactory> FactoryOf(const CLSID& clsid) {
    ComPtr<IClassFactory> factory;
    EXPECT_EQ(S_OK, Tessel().get_class_object(clsid, IID_IClassFactory, factory.put_void()));
    return factory;
}

TEST(TesselServer, ExportsExactlyTheFourServerFunctions) {
    ASSERT_NE(nullptr, Tessel().handle) << dlerror();
    int status = 0;
    const std::string listing = RunTool(std::string("nm -D --defined-only --format=just-symbols ") + TESSEL_LIBRARY, &status);
    if (status != 0) GTEST_SKIP() << "nm is not available: " << listing;
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
    ASSERT_NE(nullptr, Tessel().get_class_object);
    ASSERT_NE(nullptr, Tessel().can_unload_now);
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
    comrt::Bstr name(u"Kept");
    BSTR n = name.get();
    SHORT type = 0;
    SAFEARRAY* none = nullptr;
    LONG result = -1;
    ASSERT_EQ(S_OK, group->AddItem(&n, &n, &type, &none, &result));
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
    int status = -1;
    std::string dump = RunTool(std::string(TYPELIB_DUMP_TOOL) + " " + TESSEL_LIBRARY, &status);
    ASSERT_EQ(0, status) << dump;
    // Whitespace runs as one space, so the checks read as the declarations do.
    std::string text;
    for (char c : dump) {
        if (!std::isspace(static_cast<unsigned char>(c)))
            text += c;
        else if (!text.empty() && text.back() != ' ')
            text += ' ';
    }
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

class TesselRegistration : public testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/tessel-registry-XXXXXX";
        ASSERT_NE(nullptr, mkdtemp(pattern));
        folder_ = pattern;
        const char* old = getenv("COMRT_REGISTRY");
        if (old) saved_ = old;
        had_ = old != nullptr;
        setenv("COMRT_REGISTRY", (folder_ / "registry.json").c_str(), 1);
    }
    void TearDown() override {
        CoFreeUnusedLibraries();
        if (had_)
            setenv("COMRT_REGISTRY", saved_.c_str(), 1);
        else
            unsetenv("COMRT_REGISTRY");
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }

    static std::string Regsvr(const char* flags, int* status) {
        return RunTool(std::string(REGSVR_TOOL) + flags + " " + TESSEL_LIBRARY, status);
    }

    std::filesystem::path folder_;
    std::string saved_;
    bool had_ = false;
};

TEST_F(TesselRegistration, RegisterCreateByClassIdAndProgIdUnregister) {
    int status = -1;
    std::string output = Regsvr("", &status);
    ASSERT_EQ(0, status) << output;

    comrt::class_registration entry;
    ASSERT_EQ(S_OK, comrt::find_class(CLSID_clsTessel, entry));
    EXPECT_EQ("Tessel.clsTessel", entry.progid);
    EXPECT_EQ("Apartment", entry.threading);
    EXPECT_TRUE(entry.typelib == LIBID_Tessel);

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

    output = Regsvr(" -u", &status);
    ASSERT_EQ(0, status) << output;
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
