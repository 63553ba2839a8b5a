// A server library's four exports, as COMRT_DEFINE_SERVER builds them: class objects,
// factories, the unload check, and self-registration into the registry.
#include <comrt/server.h>

#include <comrt/library_registration.h>
#include <comrt/registry.h>

#include <filesystem>

#include <testing/registry_fixture.h>
#include <testing/server_library.h>

#include "testserver/testserver.h"

namespace {

using comrt::ComPtr;
using testserver::kServerA;
using testserver::kServerB;

// The absolute path of a file (the registry keeps absolute library paths).
std::string canonical_path(const char* path) { return std::filesystem::canonical(path).string(); }

class Server : public pg_testing::TemporaryRegistryTest {
protected:
    void SetUp() override {
        TemporaryRegistryTest::SetUp();
        ASSERT_TRUE(a_.loaded()) << a_.load_error();
        ASSERT_EQ(a_.can_unload_now(), S_OK) << "an earlier test left something alive";
    }
    void TearDown() override {
        EXPECT_EQ(a_.can_unload_now(), S_OK) << "this test left something alive";
    }

    ComPtr<IClassFactory> factory() {
        ComPtr<IClassFactory> f;
        EXPECT_EQ(a_.get_class_object(kServerA.counter, IID_IClassFactory, f.put_void()), S_OK);
        return f;
    }

    pg_testing::ServerLibrary a_{TESTSERVER_A_PATH};
};

TEST_F(Server, ClassObjects) {
    constexpr CLSID kUnknown = comrt::make_guid("00000000-1111-2222-3333-444444444444");
    const struct {
        const char* name;
        const CLSID& clsid;
        const IID& iid;
        HRESULT hr;
    } rows[] = {
        {"creatable class", kServerA.counter, IID_IClassFactory, S_OK},
        {"as IUnknown", kServerA.counter, IID_IUnknown, S_OK},
        {"not creatable", kServerA.hidden, IID_IClassFactory, CLASS_E_CLASSNOTAVAILABLE},
        {"another library's class", kServerB.counter, IID_IClassFactory, CLASS_E_CLASSNOTAVAILABLE},
        {"unknown class", kUnknown, IID_IClassFactory, CLASS_E_CLASSNOTAVAILABLE},
        {"factory lacks the interface", kServerA.counter, IID_ICounter, E_NOINTERFACE},
        {"type library", comrt::CLSID_TypeLib, IID_ITypeLib, S_OK},
    };
    for (const auto& row : rows) {
        void* p = reinterpret_cast<void*>(0xBAD);
        EXPECT_EQ(a_.get_class_object(row.clsid, row.iid, &p), row.hr) << row.name;
        if (SUCCEEDED(row.hr))
            static_cast<IUnknown*>(p)->Release();
        else
            EXPECT_EQ(p, nullptr) << row.name;
    }
    EXPECT_EQ(a_.get_class_object(kServerA.counter, IID_IClassFactory, nullptr), E_INVALIDARG);
}

TEST_F(Server, FactoryCreatesAndRefusesAggregation) {
    ComPtr<IClassFactory> f = factory();
    ASSERT_TRUE(f);
    ComPtr<ICounter> first, second;
    ASSERT_EQ(f->CreateInstance(nullptr, IID_ICounter, first.put_void()), S_OK);
    ASSERT_EQ(f->CreateInstance(nullptr, IID_ICounter, second.put_void()), S_OK);
    LONG value = 0;
    EXPECT_EQ(first->Increment(&value), S_OK);
    EXPECT_EQ(first->Increment(&value), S_OK);
    EXPECT_EQ(value, 2);
    EXPECT_EQ(second->Increment(&value), S_OK);
    EXPECT_EQ(value, 1) << "each CreateInstance makes a new object";

    void* p = reinterpret_cast<void*>(0xBAD);
    EXPECT_EQ(f->CreateInstance(first.get(), IID_IUnknown, &p), CLASS_E_NOAGGREGATION);
    EXPECT_EQ(p, nullptr);
    p = reinterpret_cast<void*>(0xBAD);
    EXPECT_EQ(f->CreateInstance(nullptr, IID_IDispatch, &p), E_NOINTERFACE);
    EXPECT_EQ(p, nullptr);
    EXPECT_EQ(f->CreateInstance(nullptr, IID_ICounter, nullptr), E_POINTER);
}

TEST_F(Server, CanUnloadOnlyWhenNothingIsAlive) {
    ComPtr<IClassFactory> f = factory();
    EXPECT_EQ(a_.can_unload_now(), S_FALSE) << "a live factory";
    ComPtr<ICounter> object;
    ASSERT_EQ(f->CreateInstance(nullptr, IID_ICounter, object.put_void()), S_OK);
    ASSERT_EQ(f->LockServer(TRUE), S_OK);
    ASSERT_EQ(f->LockServer(TRUE), S_OK);
    f = nullptr;
    EXPECT_EQ(a_.can_unload_now(), S_FALSE) << "an object and two locks";
    object = nullptr;
    EXPECT_EQ(a_.can_unload_now(), S_FALSE) << "two locks";

    f = factory();
    ASSERT_EQ(f->LockServer(FALSE), S_OK);
    ASSERT_EQ(f->LockServer(FALSE), S_OK);
    EXPECT_EQ(f->LockServer(FALSE), E_UNEXPECTED) << "unlocking more than was locked";
    f = nullptr;
    EXPECT_EQ(a_.can_unload_now(), S_OK);
}

TEST_F(Server, RegistersCreatableClassesAndTheTypeLibrary) {
    ASSERT_EQ(comrt::register_server_library(TESTSERVER_B_PATH), S_OK);
    ASSERT_EQ(comrt::register_server_library(TESTSERVER_A_PATH), S_OK);

    comrt::class_registration counter;
    ASSERT_EQ(comrt::find_class(kServerA.counter, counter), S_OK);
    EXPECT_EQ(counter.progid, "ComrtTestA.Counter");
    EXPECT_EQ(counter.server, canonical_path(TESTSERVER_A_PATH));
    EXPECT_EQ(counter.threading, "Apartment");
    EXPECT_EQ(counter.typelib, kServerA.libid);
    EXPECT_EQ(comrt::find_class(kServerA.hidden, counter), REGDB_E_CLASSNOTREG) << "not creatable";
    comrt::typelib_registration lib;
    ASSERT_EQ(comrt::find_typelib(kServerA.libid, 1, 2, lib), S_OK);
    EXPECT_EQ(lib.path, canonical_path(TESTSERVER_A_PATH));
    EXPECT_EQ(lib.name, "ComrtTestA");

    // Registering again changes nothing; unregistering removes this library's entries only.
    const std::string once = read_registry_text();
    ASSERT_EQ(comrt::register_server_library(TESTSERVER_A_PATH), S_OK);
    EXPECT_EQ(read_registry_text(), once);
    ASSERT_EQ(comrt::unregister_server_library(TESTSERVER_A_PATH), S_OK);
    comrt::registry_contents all;
    ASSERT_EQ(comrt::read_registry(all), S_OK);
    ASSERT_EQ(all.classes.size(), 1u);
    EXPECT_EQ(all.classes[0].clsid, kServerB.counter);
    ASSERT_EQ(all.typelibs.size(), 1u);
    EXPECT_EQ(all.typelibs[0].libid, kServerB.libid);
    EXPECT_EQ(comrt::unregister_server_library(TESTSERVER_B_PATH), S_OK);
}

}  // namespace
