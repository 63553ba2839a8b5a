// IUnknown and IClassFactory, laid out exactly as the binary interface: pure virtual
// methods in slot order, no data, no overloads, and no virtual destructor (it would
// shift every slot).
#pragma once

#include <comrt/guid.h>

#ifdef _WIN32
COMRT_SYSTEM_INTERFACE_ID(IUnknown);
COMRT_SYSTEM_INTERFACE_ID(IClassFactory);
#else
struct IUnknown {
    virtual HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppvObject) noexcept = 0;
    virtual ULONG STDMETHODCALLTYPE AddRef() noexcept = 0;
    virtual ULONG STDMETHODCALLTYPE Release() noexcept = 0;
};
COMRT_INTERFACE_ID(IUnknown, "00000000-0000-0000-C000-000000000046");
using LPUNKNOWN = IUnknown*;

struct IClassFactory : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* pUnkOuter, REFIID riid, void** ppvObject) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE LockServer(BOOL fLock) noexcept = 0;
};
COMRT_INTERFACE_ID(IClassFactory, "00000001-0000-0000-C000-000000000046");
#endif  // _WIN32
