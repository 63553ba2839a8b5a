/// @file
/// Creating the component's objects without registering anything: from its server
/// libraries where they lie beside libcomrt.so (as built, and as installed), with the
/// registry as the fallback for libraries that lie elsewhere.
#pragma once

#include <comrt/com_ptr.h>
#include <comrt/objbase.h>
#include <comrt/unknwn.h>

namespace comrt {

/// Creates an object of class clsid from the server library `library` (a file name such
/// as "libtessel.so.1") in libcomrt.so's folder, through its own class factory
/// (ComrtGetClassObjectFromFile); when no such file lies there, through the registry
/// (CoCreateInstance). On Windows, through the registry only.
///   out: *object, a new reference to interface iid; null on failure.
///   S_OK; E_INVALIDARG for a null object; REGDB_E_CLASSNOTREG when the file is missing
///   and the class is not registered; otherwise the failures of loading the library, of
///   its class factory and of CoCreateInstance.
inline HRESULT create_side_by_side(const char* library, REFCLSID clsid, REFIID iid, void** object) noexcept {
    if (!object) return E_INVALIDARG;
    *object = nullptr;
#ifndef _WIN32
    ComPtr<IClassFactory> factory;
    const HRESULT found = ComrtGetClassObjectFromFile(library, clsid, IID_IClassFactory, factory.put_void());
    if (SUCCEEDED(found)) {
        const HRESULT created = factory->CreateInstance(nullptr, iid, object);
        if (FAILED(created)) *object = nullptr;
        return created;
    }
    if (found != CO_E_DLLNOTFOUND) return found;
#else
    (void)library;
#endif
    return CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, iid, object);
}

}  // namespace comrt
