// Activation through the registry: CoCreateInstance by class id and by ProgID, classes
// that are not registered, broken registrations, built-in classes, LoadRegTypeLib,
// unloading, and the small runtime calls that go with them.
#include <comrt/objbase.h>

#include <dlfcn.h>

#include <comrt/collection.h>
#include <comrt/com_ptr.h>
#include <comrt/library_registration.h>
#include <comrt/olectl.h>
#include <comrt/registry.h>
#include <comrt/text.h>
#include <comrt/typeinfo.h>

#include <testing/registry_fixture.h>

#include "testserver/testserver.h"

namespace {

using comrt::ComPtr;
using testserver::kServerA;

class Activation : public pg_testing::TemporaryRegistryTest {
protected:
    void SetUp() override {
        TemporaryRegistryTest::SetUp();
        ASSERT_EQ(comrt::register_server_library(TESTSERVER_A_PATH), S_OK);
    }
    void TearDown() override { CoFreeUnusedLibraries(); }

    // Registers a class served by `server` directly in the registry.
    static void register_class(REFCLSID clsid, const std::string& server) {
        comrt::server_registration entries;
        entries.classes.push_back({clsid, "", server, "Apartment", GUID_NULL});
        ASSERT_EQ(comrt::register_server(entries), S_OK);
    }
};

LONG increment(ICounter* counter) {
    LONG value = 0;
    EXPECT_EQ(counter->Increment(&value), S_OK);
    return value;
}

TEST_F(Activation, CreateByClassIdAndProgIdThenUnregister) {
    ComPtr<ICounter> counter;
    ASSERT_EQ(CoCreateInstance(kServerA.counter, nullptr, CLSCTX_INPROC_SERVER, IID_ICounter, counter.put_void()),
              S_OK);
    EXPECT_EQ(increment(counter.get()), 1);
    for (const char16_t* name : {u"ComrtTestA.Counter", u"comrttesta.COUNTER"}) {
        CLSID clsid{};
        ASSERT_EQ(CLSIDFromProgID(name, &clsid), S_OK);
        ComPtr<IUnknown> other;
        ASSERT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_ALL, IID_IUnknown, other.put_void()), S_OK);
        EXPECT_EQ(increment(other.as<ICounter>().get()), 1) << "a new object each time";
    }
    LPOLESTR progid = nullptr;
    ASSERT_EQ(ProgIDFromCLSID(kServerA.counter, &progid), S_OK);
    EXPECT_EQ(std::u16string(progid), u"ComrtTestA.Counter");
    CoTaskMemFree(progid);

    ASSERT_EQ(comrt::unregister_server_library(TESTSERVER_A_PATH), S_OK);
    ComPtr<IUnknown> none;
    EXPECT_EQ(CoCreateInstance(kServerA.counter, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, none.put_void()),
              REGDB_E_CLASSNOTREG);
    CLSID clsid{};
    EXPECT_EQ(CLSIDFromProgID(u"ComrtTestA.Counter", &clsid), CO_E_CLASSSTRING);
}

TEST_F(Activation, FailuresLeaveOutParametersNull) {
    constexpr CLSID kUnknown = comrt::make_guid("00000000-1111-2222-3333-444444444444");
    constexpr CLSID kMissing = comrt::make_guid("0D000000-0000-4000-8000-000000000001");
    constexpr CLSID kNotALibrary = comrt::make_guid("0D000000-0000-4000-8000-000000000002");
    constexpr CLSID kNoExports = comrt::make_guid("0D000000-0000-4000-8000-000000000003");
    register_class(kMissing, folder_ + "/missing.so");
    register_class(kNotALibrary, path_);
    register_class(kNoExports, COMRT_LIBRARY_PATH);
    const struct {
        const char* name;
        const CLSID& clsid;
        bool outer;
        DWORD context;
        const IID& iid;
        HRESULT hr;
    } rows[] = {
        {"unknown class", kUnknown, false, CLSCTX_INPROC_SERVER, IID_IUnknown, REGDB_E_CLASSNOTREG},
        {"class not creatable", kServerA.hidden, false, CLSCTX_INPROC_SERVER, IID_IUnknown, REGDB_E_CLASSNOTREG},
        {"out-of-process only", kServerA.counter, false, CLSCTX_LOCAL_SERVER, IID_IUnknown, REGDB_E_CLASSNOTREG},
        {"aggregation", kServerA.counter, true, CLSCTX_INPROC_SERVER, IID_IUnknown, CLASS_E_NOAGGREGATION},
        {"interface missing", kServerA.counter, false, CLSCTX_INPROC_SERVER, IID_IDispatch, E_NOINTERFACE},
        {"library file missing", kMissing, false, CLSCTX_INPROC_SERVER, IID_IUnknown, CO_E_DLLNOTFOUND},
        {"not a library", kNotALibrary, false, CLSCTX_INPROC_SERVER, IID_IUnknown, CO_E_ERRORINDLL},
        {"no DllGetClassObject", kNoExports, false, CLSCTX_INPROC_SERVER, IID_IUnknown, CO_E_ERRORINDLL},
    };
    ComPtr<ICounter> outer;
    ASSERT_EQ(CoCreateInstance(kServerA.counter, nullptr, CLSCTX_INPROC_SERVER, IID_ICounter, outer.put_void()), S_OK);
    for (const auto& row : rows) {
        void* p = reinterpret_cast<void*>(0xBAD);
        EXPECT_EQ(CoCreateInstance(row.clsid, row.outer ? outer.get() : nullptr, row.context, row.iid, &p), row.hr)
            << row.name;
        EXPECT_EQ(p, nullptr) << row.name;
    }
    EXPECT_EQ(CoCreateInstance(kServerA.counter, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, nullptr), E_INVALIDARG);
    EXPECT_EQ(CoGetClassObject(kServerA.counter, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory, nullptr),
              E_INVALIDARG);

    CLSID clsid = kServerA.counter;
    for (const char16_t* progid : {u"ComrtTestA.Nothing", u"", u"ComrtTestA.Counter\u00e9"}) {
        EXPECT_EQ(CLSIDFromProgID(progid, &clsid), CO_E_CLASSSTRING);
        EXPECT_EQ(clsid, GUID_NULL);
    }
    EXPECT_EQ(CLSIDFromProgID(nullptr, &clsid), E_INVALIDARG);
    EXPECT_EQ(CLSIDFromProgID(u"ComrtTestA.Counter", nullptr), E_INVALIDARG);
    LPOLESTR progid = reinterpret_cast<LPOLESTR>(0xBAD);
    EXPECT_EQ(ProgIDFromCLSID(kUnknown, &progid), REGDB_E_CLASSNOTREG);
    EXPECT_EQ(progid, nullptr);
    EXPECT_EQ(ProgIDFromCLSID(kUnknown, nullptr), E_INVALIDARG);
}

TEST_F(Activation, DamagedRegistryIsAnErrorButBuiltInsStillWork) {
    write_registry(read_registry_text().substr(0, 40));
    void* p = reinterpret_cast<void*>(0xBAD);
    EXPECT_EQ(CoCreateInstance(kServerA.counter, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, &p),
              REGDB_E_INVALIDVALUE);
    EXPECT_EQ(p, nullptr);
    CLSID clsid{};
    EXPECT_EQ(CLSIDFromProgID(u"ComrtTestA.Counter", &clsid), REGDB_E_INVALIDVALUE);
    ComPtr<ITypeLib> lib;
    EXPECT_EQ(LoadRegTypeLib(kServerA.libid, 1, 0, LOCALE_NEUTRAL, lib.put()), REGDB_E_INVALIDVALUE);

    ComPtr<IFont> font;
    EXPECT_EQ(CoCreateInstance(CLSID_StdFont, nullptr, CLSCTX_INPROC_SERVER, IID_IFont, font.put_void()), S_OK);
}

TEST_F(Activation, BuiltInClassesNeedNoRegistration) {
    const struct {
        const char16_t* progid;
        const CLSID& clsid;
        const IID& iid;
    } rows[] = {
        {u"Comrt.Collection", CLSID_Collection, IID__Collection},
        {u"Comrt.StdFont", CLSID_StdFont, IID_IFontDisp},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(comrt::to_utf8(row.progid));
        CLSID clsid{};
        EXPECT_EQ(CLSIDFromProgID(row.progid, &clsid), S_OK);
        EXPECT_EQ(clsid, row.clsid);
        LPOLESTR progid = nullptr;
        ASSERT_EQ(ProgIDFromCLSID(row.clsid, &progid), S_OK);
        EXPECT_EQ(std::u16string(progid), row.progid);
        CoTaskMemFree(progid);
        ComPtr<IUnknown> object;
        EXPECT_EQ(CoCreateInstance(row.clsid, nullptr, CLSCTX_INPROC_SERVER, row.iid, object.put_void()), S_OK);
    }
}

TEST_F(Activation, LoadRegTypeLibFindsTheRegisteredVersion) {
    ComPtr<ITypeLib> lib;
    ASSERT_EQ(LoadRegTypeLib(kServerA.libid, 1, 0, LOCALE_NEUTRAL, lib.put()), S_OK);
    TLIBATTR* attr = nullptr;
    ASSERT_EQ(lib->GetLibAttr(&attr), S_OK);
    EXPECT_EQ(attr->guid, kServerA.libid);
    EXPECT_EQ(attr->wMinorVerNum, 2);
    lib->ReleaseTLibAttr(attr);

    ITypeLib* none = reinterpret_cast<ITypeLib*>(0xBAD);
    EXPECT_EQ(LoadRegTypeLib(kServerA.libid, 1, 3, LOCALE_NEUTRAL, &none), TYPE_E_LIBNOTREGISTERED);
    EXPECT_EQ(none, nullptr);
    EXPECT_EQ(LoadRegTypeLib(kServerA.libid, 1, 0, LOCALE_NEUTRAL, nullptr), E_INVALIDARG);

    comrt::server_registration moved;
    moved.typelibs.push_back({kServerA.libid, 1, 7, folder_ + "/moved.so", "ComrtTestA"});
    ASSERT_EQ(comrt::register_server(moved), S_OK);
    none = reinterpret_cast<ITypeLib*>(0xBAD);
    EXPECT_EQ(LoadRegTypeLib(kServerA.libid, 1, 3, LOCALE_NEUTRAL, &none), TYPE_E_CANTLOADLIBRARY);
    EXPECT_EQ(none, nullptr);
}

bool is_loaded(const char* path) {
    void* handle = ::dlopen(path, RTLD_NOW | RTLD_NOLOAD);
    if (handle) ::dlclose(handle);
    return handle != nullptr;
}

TEST_F(Activation, UnusedLibrariesAreUnloaded) {
    ASSERT_FALSE(is_loaded(TESTSERVER_A_PATH));
    ComPtr<ICounter> counter;
    ASSERT_EQ(CoCreateInstance(kServerA.counter, nullptr, CLSCTX_INPROC_SERVER, IID_ICounter, counter.put_void()),
              S_OK);
    CoFreeUnusedLibraries();
    EXPECT_TRUE(is_loaded(TESTSERVER_A_PATH)) << "an object is alive";
    counter = nullptr;
    CoFreeUnusedLibraries();
    EXPECT_FALSE(is_loaded(TESTSERVER_A_PATH));
    // And it loads again when needed.
    ASSERT_EQ(CoCreateInstance(kServerA.counter, nullptr, CLSCTX_INPROC_SERVER, IID_ICounter, counter.put_void()),
              S_OK);
    EXPECT_EQ(increment(counter.get()), 1);
}

// A host that ships the libraries beside libcomrt.so names the file instead of registering it.
TEST_F(Activation, ClassObjectsFromALibraryFileNeedNoRegistration) {
    ASSERT_EQ(comrt::unregister_server_library(TESTSERVER_A_PATH), S_OK);
    const std::string beside = TESTSERVER_A_PATH;
    const std::string name = beside.substr(beside.rfind('/') + 1);
    ComPtr<IClassFactory> factory;
    ASSERT_EQ(ComrtGetClassObjectFromFile(name.c_str(), kServerA.counter, IID_IClassFactory, factory.put_void()), S_OK)
        << name << ", a bare name, lies in libcomrt.so's folder";
    ComPtr<ICounter> counter;
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_ICounter, counter.put_void()), S_OK);
    EXPECT_EQ(increment(counter.get()), 1);
    factory = nullptr;
    counter = nullptr;
    CoFreeUnusedLibraries();
    EXPECT_FALSE(is_loaded(TESTSERVER_A_PATH)) << "loaded as a registered library is, and unloaded the same way";

    const struct {
        const char* name;
        const char* file;
        const CLSID& clsid;
        HRESULT hr;
    } rows[] = {
        {"no such file beside the runtime", "libnothing.so.1", kServerA.counter, CO_E_DLLNOTFOUND},
        {"no such path", "/nonexistent/libnothing.so", kServerA.counter, CO_E_DLLNOTFOUND},
        {"not a library", path_.c_str(), kServerA.counter, CO_E_ERRORINDLL},
        {"a class the library lacks", TESTSERVER_A_PATH, kServerA.libid, CLASS_E_CLASSNOTAVAILABLE},
        {"no file", nullptr, kServerA.counter, E_INVALIDARG},
    };
    for (const auto& row : rows) {
        void* p = reinterpret_cast<void*>(0xBAD);
        EXPECT_EQ(ComrtGetClassObjectFromFile(row.file, row.clsid, IID_IClassFactory, &p), row.hr) << row.name;
        EXPECT_EQ(p, nullptr) << row.name;
    }
    EXPECT_EQ(ComrtGetClassObjectFromFile(name.c_str(), kServerA.counter, IID_IClassFactory, nullptr), E_INVALIDARG);
}

TEST(Runtime, ApartmentsCountAndTaskMemory) {
    EXPECT_EQ(CoInitialize(nullptr), S_OK);
    EXPECT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_FALSE);
    CoUninitialize();
    CoUninitialize();
    CoUninitialize();  // one too many: ignored
    EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
    CoUninitialize();

    void* empty = CoTaskMemAlloc(0);
    EXPECT_NE(empty, nullptr);
    CoTaskMemFree(empty);
    CoTaskMemFree(nullptr);
}

}  // namespace
