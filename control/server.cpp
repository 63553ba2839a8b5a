// liborvane.so's four exports: DllGetClassObject, DllCanUnloadNow, DllRegisterServer,
// DllUnregisterServer (contracts in comrt/server.h). PropertiesCtl is creatable and
// apartment-threaded; ProgID Orvane.PropertiesCtl. Its widgets come from the toolkit
// linked into the library. The library binds to Tessel objects through Tessel's header
// only and neither links nor loads libtessel.so.
#include <comrt/server.h>

#include <control/PropertiesCtl.h>
#include <control/orvane_typelib.h>

namespace {

HRESULT CreatePropertiesCtl(REFIID riid, void** ppv) noexcept try {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    return comrt::make<orvane::PropertiesCtl>(&orvane::widgets::CreateToolkitWidgets)->QueryInterface(riid, ppv);
} catch (...) {
    return comrt::to_hresult();
}

}  // namespace

COMRT_DEFINE_SERVER(orvane::kOrvaneLib, comrt::server_class{CLSID_PropertiesCtl, &CreatePropertiesCtl});
