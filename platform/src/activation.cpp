// Activation: CoGetClassObject, CoCreateInstance, ProgIDs, LoadRegTypeLib, class objects
// from a library file named by the caller, and the task allocator and apartment counters
// that go with them.
//
// A class is looked for in the built-in table first, then in the registry. Libraries named
// by the registry are loaded once (dlopen RTLD_NOW | RTLD_LOCAL) into a table keyed by
// path, and leave it only through CoFreeUnusedLibraries.
#include <comrt/objbase.h>

#include <dlfcn.h>
#include <unistd.h>

#include <cstdlib>
#include <map>
#include <mutex>
#include <string>

#include <comrt/collection.h>
#include <comrt/error.h>
#include <comrt/library_registration.h>
#include <comrt/registry.h>
#include <comrt/server.h>
#include <comrt/text.h>
#include <comrt/typedesc.h>

#include "ascii_text.h"
#include "font_object.h"

namespace comrt {
namespace {

// ---- built-in classes -------------------------------------------------------------------

HRESULT create_builtin_collection(REFIID riid, void** ppv) noexcept try {
    ComPtr<_Collection> collection;
    check(::comrt::create_collection(collection.put()));
    return collection->QueryInterface(riid, ppv);
} catch (...) {
    return to_hresult();
}

HRESULT create_font(REFIID riid, void** ppv) noexcept { return create_std_font(nullptr, riid, ppv); }

struct builtin_class {
    const CLSID& clsid;
    const char16_t* progid;
    creator_fn create;
};

const builtin_class kBuiltinClasses[] = {
    {CLSID_Collection, u"Comrt.Collection", &create_builtin_collection},
    {CLSID_StdFont, std_font_progid, &create_font},
};

const builtin_class* find_builtin(REFCLSID clsid) noexcept {
    for (const builtin_class& c : kBuiltinClasses)
        if (c.clsid == clsid) return &c;
    return nullptr;
}

const builtin_class* find_builtin(LPCOLESTR progid) noexcept {
    for (const builtin_class& c : kBuiltinClasses)
        if (equal_ignoring_case(c.progid, progid)) return &c;
    return nullptr;
}

// ---- loaded libraries -------------------------------------------------------------------

using get_class_object_fn = HRESULT (*)(REFCLSID, REFIID, LPVOID*);
using can_unload_now_fn = HRESULT (*)();

class library_table {
public:
    // Loads the library at path (once) and asks its DllGetClassObject.
    HRESULT get_class_object(const std::string& path, REFCLSID clsid, REFIID riid, void** ppv) {
        // Held across the call, so that CoFreeUnusedLibraries cannot unload the library
        // before the class object it hands out counts as alive.
        std::lock_guard guard(mutex_);
        void* handle = nullptr;
        if (const HRESULT hr = open(path, handle); FAILED(hr)) return hr;
        const auto entry = reinterpret_cast<get_class_object_fn>(::dlsym(handle, "DllGetClassObject"));
        if (!entry) {
            // Not a server: nothing of it will ever be in use.
            ::dlclose(handle);
            handles_.erase(path);
            return CO_E_ERRORINDLL;
        }
        return entry(clsid, riid, ppv);
    }

    void free_unused() {
        std::lock_guard guard(mutex_);
        for (auto it = handles_.begin(); it != handles_.end();) {
            const auto can_unload = reinterpret_cast<can_unload_now_fn>(::dlsym(it->second, "DllCanUnloadNow"));
            if (can_unload && can_unload() == S_OK) {
                ::dlclose(it->second);
                it = handles_.erase(it);
            } else {
                ++it;
            }
        }
    }

private:
    HRESULT open(const std::string& path, void*& handle) {
        if (const auto it = handles_.find(path); it != handles_.end()) {
            handle = it->second;
            return S_OK;
        }
        handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!handle) return ::access(path.c_str(), F_OK) == 0 ? CO_E_ERRORINDLL : CO_E_DLLNOTFOUND;
        handles_.emplace(path, handle);
        return S_OK;
    }

    // Recursive: a library's DllGetClassObject may itself create objects.
    std::recursive_mutex mutex_;
    std::map<std::string, void*> handles_;
};

library_table& libraries() {
    static library_table table;
    return table;
}

// ---- ProgIDs ------------------------------------------------------------------------------

HRESULT copy_to_task_memory(std::u16string_view text, LPOLESTR* out) {
    void* memory = CoTaskMemAlloc((text.size() + 1) * sizeof(OLECHAR));
    if (!memory) return E_OUTOFMEMORY;
    auto* copy = static_cast<LPOLESTR>(memory);
    text.copy(copy, text.size());
    copy[text.size()] = u'\0';
    *out = copy;
    return S_OK;
}

thread_local unsigned apartment_depth = 0;

// The folder this library was loaded from, with its trailing slash; empty when the
// loader cannot say.
std::string own_folder() {
    static const int anchor = 0;
    Dl_info info{};
    if (::dladdr(&anchor, &info) == 0 || !info.dli_fname) return {};
    const std::string path = info.dli_fname;
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

}  // namespace
}  // namespace comrt

// ---- apartments -------------------------------------------------------------------------

WINOLEAPI CoInitialize(LPVOID pvReserved) { return CoInitializeEx(pvReserved, COINIT_APARTMENTTHREADED); }

WINOLEAPI CoInitializeEx(LPVOID, DWORD) { return comrt::apartment_depth++ == 0 ? S_OK : S_FALSE; }

WINOLEAPI_(void) CoUninitialize() {
    if (comrt::apartment_depth > 0) --comrt::apartment_depth;
}

// ---- the task allocator -------------------------------------------------------------------

WINOLEAPI_(LPVOID) CoTaskMemAlloc(SIZE_T cb) { return std::malloc(cb == 0 ? 1 : cb); }

WINOLEAPI_(void) CoTaskMemFree(LPVOID pv) { std::free(pv); }

// ---- activation -----------------------------------------------------------------------------

WINOLEAPI CoGetClassObject(REFCLSID rclsid, DWORD dwClsContext, COSERVERINFO*, REFIID riid, LPVOID* ppv) try {
    if (!ppv) return E_INVALIDARG;
    *ppv = nullptr;
    if (!(dwClsContext & CLSCTX_INPROC_SERVER)) return REGDB_E_CLASSNOTREG;
    if (const comrt::builtin_class* builtin = comrt::find_builtin(rclsid))
        return comrt::make<comrt::class_factory>(builtin->create)->QueryInterface(riid, ppv);

    comrt::class_registration entry;
    if (const HRESULT hr = comrt::find_class(rclsid, entry); FAILED(hr)) return hr;
    const HRESULT hr = comrt::libraries().get_class_object(entry.server, rclsid, riid, ppv);
    if (FAILED(hr)) *ppv = nullptr;
    return hr;
} catch (...) {
    return comrt::to_hresult();
}

WINOLEAPI CoCreateInstance(REFCLSID rclsid, LPUNKNOWN pUnkOuter, DWORD dwClsContext, REFIID riid, LPVOID* ppv) try {
    if (!ppv) return E_INVALIDARG;
    *ppv = nullptr;
    comrt::ComPtr<IClassFactory> factory;
    if (const HRESULT hr = CoGetClassObject(rclsid, dwClsContext, nullptr, IID_IClassFactory, factory.put_void());
        FAILED(hr))
        return hr;
    const HRESULT hr = factory->CreateInstance(pUnkOuter, riid, ppv);
    if (FAILED(hr)) *ppv = nullptr;
    return hr;
} catch (...) {
    return comrt::to_hresult();
}

WINOLEAPI CLSIDFromProgID(LPCOLESTR lpszProgID, LPCLSID lpclsid) try {
    if (!lpclsid) return E_INVALIDARG;
    *lpclsid = GUID_NULL;
    if (!lpszProgID) return E_INVALIDARG;
    if (const comrt::builtin_class* builtin = comrt::find_builtin(lpszProgID)) {
        *lpclsid = builtin->clsid;
        return S_OK;
    }
    std::string progid;
    // A ProgID beyond ASCII cannot be registered, so no such class exists.
    if (!comrt::ascii_text(lpszProgID, progid) || progid.empty()) return CO_E_CLASSSTRING;
    CLSID found{};
    if (const HRESULT hr = comrt::find_progid(progid, found); FAILED(hr)) return hr;
    *lpclsid = found;
    return S_OK;
} catch (...) {
    return comrt::to_hresult();
}

WINOLEAPI ProgIDFromCLSID(REFCLSID clsid, LPOLESTR* lplpszProgID) try {
    if (!lplpszProgID) return E_INVALIDARG;
    *lplpszProgID = nullptr;
    if (const comrt::builtin_class* builtin = comrt::find_builtin(clsid))
        return comrt::copy_to_task_memory(builtin->progid, lplpszProgID);
    comrt::class_registration entry;
    if (const HRESULT hr = comrt::find_class(clsid, entry); FAILED(hr)) return hr;
    if (entry.progid.empty()) return REGDB_E_CLASSNOTREG;
    // Registered ProgIDs are ASCII: widening each byte is the conversion.
    const std::u16string wide(entry.progid.begin(), entry.progid.end());
    return comrt::copy_to_task_memory(wide, lplpszProgID);
} catch (...) {
    return comrt::to_hresult();
}

WINOLEAPI ComrtGetClassObjectFromFile(LPCSTR file, REFCLSID rclsid, REFIID riid, LPVOID* ppv) try {
    if (!ppv) return E_INVALIDARG;
    *ppv = nullptr;
    if (!file || !*file) return E_INVALIDARG;
    std::string path = file;
    if (path.find('/') == std::string::npos) path.insert(0, comrt::own_folder());
    std::string resolved;
    if (const HRESULT hr = comrt::library_file_path(path.c_str(), resolved); FAILED(hr)) return hr;
    const HRESULT hr = comrt::libraries().get_class_object(resolved, rclsid, riid, ppv);
    if (FAILED(hr)) *ppv = nullptr;
    return hr;
} catch (...) {
    return comrt::to_hresult();
}

WINOLEAPI_(void) CoFreeUnusedLibraries() {
    try {
        comrt::libraries().free_unused();
    } catch (...) {
        // A lock that cannot be taken leaves every library loaded, which is always safe.
    }
}

WINOLEAUTAPI LoadRegTypeLib(REFGUID rguid, WORD wVerMajor, WORD wVerMinor, LCID, ITypeLib** pptlib) try {
    if (!pptlib) return E_INVALIDARG;
    *pptlib = nullptr;
    comrt::typelib_registration entry;
    if (const HRESULT hr = comrt::find_typelib(rguid, wVerMajor, wVerMinor, entry); FAILED(hr)) return hr;
    // Through the same table as the classes, so that CoFreeUnusedLibraries can unload the
    // library once the type library (which counts as one of its objects) is released.
    const HRESULT hr = comrt::libraries().get_class_object(entry.path, comrt::CLSID_TypeLib, IID_ITypeLib,
                                                           reinterpret_cast<void**>(pptlib));
    if (FAILED(hr)) *pptlib = nullptr;
    return hr == CO_E_DLLNOTFOUND || hr == CO_E_ERRORINDLL ? TYPE_E_CANTLOADLIBRARY : hr;
} catch (...) {
    return comrt::to_hresult();
}

// Loads the type library that the server library file szFile carries (its
// DllGetClassObject hands it out for CLSID_TypeLib). The library is loaded as for
// CoGetClassObject and stays loaded while the type library is held.
WINOLEAUTAPI LoadTypeLib(LPCOLESTR szFile, ITypeLib** pptlib) try {
    if (!pptlib) return E_INVALIDARG;
    *pptlib = nullptr;
    if (!szFile) return E_INVALIDARG;
    std::string path;
    if (FAILED(comrt::library_file_path(comrt::to_utf8(szFile).c_str(), path))) return TYPE_E_CANTLOADLIBRARY;
    const HRESULT hr =
        comrt::libraries().get_class_object(path, comrt::CLSID_TypeLib, IID_ITypeLib, reinterpret_cast<void**>(pptlib));
    if (FAILED(hr)) *pptlib = nullptr;
    return hr == CO_E_DLLNOTFOUND || hr == CO_E_ERRORINDLL ? TYPE_E_CANTLOADLIBRARY : hr;
} catch (...) {
    return comrt::to_hresult();
}
