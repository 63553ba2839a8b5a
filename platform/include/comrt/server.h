// In-process servers: a library writes its class list, the rest is here.
//
//     COMRT_DEFINE_SERVER(kTesselLib,
//                         comrt::factory<clsTessel>(CLSID_clsTessel),
//                         comrt::factory<clsPropertyItem>(CLSID_clsPropertyItem))
//
// at namespace scope in one source file of the library defines its four exports:
//   DllGetClassObject    a class factory for each listed class that the type description
//                        marks creatable (TYPEFLAG_FCANCREATE), the library's ITypeLib for
//                        comrt::CLSID_TypeLib, CLASS_E_CLASSNOTAVAILABLE for anything else;
//   DllCanUnloadNow      S_OK when no object, class factory or server lock of this library
//                        is alive, S_FALSE otherwise (the library's own comrt::module counter);
//   DllRegisterServer    writes each of those classes (ProgID "Library.Class", the library's
//                        absolute path, its threading model, the type library) and the type
//                        library (id, version, path, name) into the registry;
//   DllUnregisterServer  removes every class of the description and that type library version.
// Everything else of the library stays hidden (-fvisibility=hidden).
//
// A factory's CreateInstance is make<T>() followed by QueryInterface; it refuses
// aggregation with CLASS_E_NOAGGREGATION. The factory objects count as live objects of the
// library, as do LockServer(TRUE) locks.
#pragma once

#include <atomic>
#include <span>

#include <comrt/dispatch.h>
#include <comrt/error.h>
#include <comrt/implements.h>
#include <comrt/module.h>
#include <comrt/typedesc.h>

// The four exports, as every server library defines them (through COMRT_DEFINE_SERVER).
//   DllGetClassObject: *ppv a new reference, null on failure; E_INVALIDARG for a null ppv.
//   DllRegisterServer: S_OK; SELFREG_E_CLASS when the library's own path cannot be found or
//   a class gives no valid ProgID; SELFREG_E_TYPELIB for a library name that is not ASCII
//   (on Windows: for a type library that cannot be loaded from the library's resources or
//   registered); the registry's errors (REGDB_E_WRITEREGDB, REGDB_E_INVALIDVALUE for a
//   damaged file); E_OUTOFMEMORY.
// On Windows the system declares them (without noexcept, which their definitions there
// leave out as well); a server library exports them through a module-definition file.
#ifdef _WIN32
#define COMRT_SERVER_ENTRY
#else
#define COMRT_SERVER_ENTRY noexcept
STDAPI DllGetClassObject(REFCLSID rclsid, REFIID riid, LPVOID* ppv) noexcept;
STDAPI DllCanUnloadNow() noexcept;
STDAPI DllRegisterServer() noexcept;
STDAPI DllUnregisterServer() noexcept;
#endif

namespace comrt {

// Makes one object and returns its interface riid.
using creator_fn = HRESULT (*)(REFIID riid, void** ppv) noexcept;

template <typename T>
HRESULT create_instance(REFIID riid, void** ppv) noexcept try {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    return make<T>()->QueryInterface(riid, ppv);
} catch (...) {
    return to_hresult();
}

// One row of a server's class list.
struct server_class {
    CLSID clsid;
    creator_fn create;
};

template <typename T>
constexpr server_class factory(const CLSID& clsid) noexcept {
    return {clsid, &create_instance<T>};
}

// The class factory of one class. Hidden, so that each library has its own, counting in
// that library's module counter.
class COMRT_HIDDEN class_factory final : public implements<class_factory, IClassFactory> {
public:
    explicit class_factory(creator_fn create) noexcept : create_(create) {}

    // S_OK; E_POINTER for a null ppv; CLASS_E_NOAGGREGATION for an outer object; the
    // creation's failure (E_NOINTERFACE, E_OUTOFMEMORY). *ppv is null on failure.
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* pUnkOuter, REFIID riid, void** ppv) noexcept override {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        if (pUnkOuter) return CLASS_E_NOAGGREGATION;
        return create_(riid, ppv);
    }

    // TRUE keeps the library loaded until a matching FALSE. S_OK; E_UNEXPECTED for a FALSE
    // without a lock outstanding (nothing changes).
    HRESULT STDMETHODCALLTYPE LockServer(BOOL fLock) noexcept override {
        std::atomic<long>& locks = server_locks();
        if (fLock) {
            locks.fetch_add(1);
            module::lock();
            return S_OK;
        }
        long held = locks.load();
        do {
            if (held <= 0) return E_UNEXPECTED;
        } while (!locks.compare_exchange_weak(held, held - 1));
        module::unlock();
        return S_OK;
    }

private:
    static std::atomic<long>& server_locks() noexcept {
        static std::atomic<long> locks{0};
        return locks;
    }

    creator_fn create_;
};

// Writes the classes of `classes` that `lib` marks creatable, and `lib` itself, into the
// registry; `anchor` is any address inside the library (its path comes from dladdr, or on
// Windows from the module that holds it). Results as DllRegisterServer above.
//
// On Windows the registry is the system's: for each class CLSID\{clsid} (the ProgID as
// its name) with InprocServer32 (the DLL's path, ThreadingModel), ProgID and TypeLib, and
// the ProgID's key with its CLSID, under Software\Classes of the machine, or of the user
// when the machine's keys cannot be written; then the type libraries the DLL carries as
// resources (TYPELIB 1 its own, each further one a library it refers to) through
// RegisterTypeLib (RegisterTypeLibForUser for the user).
HRESULT register_library(const type_library& lib, std::span<const server_class> classes,
                                      const void* anchor) noexcept;

// Removes every class of `lib` and of `classes`, and this version of `lib`, from the
// registry. S_OK (also when nothing was registered); the registry's errors; E_OUTOFMEMORY.
//
// On Windows it removes exactly what register_library wrote, from the machine's and the
// user's keys: each value only while it still holds what this DLL wrote (a class or type
// library registered since by another file stays), then each key left empty.
// `anchor` as for register_library (only Windows needs it).
HRESULT unregister_library(const type_library& lib, std::span<const server_class> classes,
                           const void* anchor) noexcept;

namespace detail {

// The row of a class that the library serves: listed and marked creatable.
COMRT_HIDDEN inline const server_class* served_class(const type_library& lib, std::span<const server_class> classes,
                                                     REFCLSID clsid) noexcept {
    bool creatable = false;
    for (const class_desc& c : lib.classes)
        if (c.clsid == clsid) creatable = (c.flags & TYPEFLAG_FCANCREATE) != 0;
    if (!creatable) return nullptr;
    for (const server_class& row : classes)
        if (row.clsid == clsid) return &row;
    return nullptr;
}

COMRT_HIDDEN inline HRESULT get_class_object(const type_library& lib, std::span<const server_class> classes,
                                             REFCLSID clsid, REFIID riid, void** ppv) noexcept try {
    if (!ppv) return E_INVALIDARG;
    *ppv = nullptr;
    if (clsid == CLSID_TypeLib) {
        ComPtr<ITypeLib> typelib;
        check(create_typelib(lib, typelib.put()));
        return typelib->QueryInterface(riid, ppv);
    }
    const server_class* row = served_class(lib, classes, clsid);
    if (!row) return CLASS_E_CLASSNOTAVAILABLE;
    return make<class_factory>(row->create)->QueryInterface(riid, ppv);
} catch (...) {
    return to_hresult();
}

}  // namespace detail
}  // namespace comrt

// Defines the four exports of a server library from its type description `library` (a
// comrt::type_library) and its class list (comrt::factory<T>(CLSID) rows).
#define COMRT_DEFINE_SERVER(library, ...)                                                            \
    namespace {                                                                                      \
    constexpr ::comrt::server_class comrt_server_classes[] = {__VA_ARGS__};                          \
    }                                                                                                \
    STDAPI DllGetClassObject(REFCLSID rclsid, REFIID riid, LPVOID* ppv) COMRT_SERVER_ENTRY {         \
        return ::comrt::detail::get_class_object(library, comrt_server_classes, rclsid, riid, ppv); \
    }                                                                                                \
    STDAPI DllCanUnloadNow() COMRT_SERVER_ENTRY { return ::comrt::module::can_unload_now(); }       \
    STDAPI DllRegisterServer() COMRT_SERVER_ENTRY {                                                  \
        return ::comrt::register_library(library, comrt_server_classes, comrt_server_classes);      \
    }                                                                                                \
    STDAPI DllUnregisterServer() COMRT_SERVER_ENTRY {                                                \
        return ::comrt::unregister_library(library, comrt_server_classes, comrt_server_classes);    \
    }                                                                                                \
    static_assert(true, "a use of COMRT_DEFINE_SERVER ends with a semicolon")
