// A library that carries the probe type library and nothing else: DllGetClassObject
// answers CLSID_TypeLib, DllCanUnloadNow reports whether anything of it is alive.
#include <comrt/dispatch.h>

#include "probe_types.h"

STDAPI DllGetClassObject(REFCLSID rclsid, REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (rclsid != comrt::CLSID_TypeLib) return CLASS_E_CLASSNOTAVAILABLE;
    comrt::ComPtr<ITypeLib> lib;
    const HRESULT hr = comrt::create_typelib(probe::kLibrary, lib.put());
    return FAILED(hr) ? hr : lib->QueryInterface(riid, ppv);
}

STDAPI DllCanUnloadNow() { return comrt::module::can_unload_now(); }
