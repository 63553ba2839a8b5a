// liborvane.so's four exports: DllGetClassObject, DllCanUnloadNow, DllRegisterServer,
// DllUnregisterServer (contracts in comrt/server.h). PropertiesCtl is creatable and
// apartment-threaded; ProgID Orvane.PropertiesCtl. The library binds to Tessel objects
// through Tessel's header only and neither links nor loads libtessel.so.
#include <comrt/server.h>

#include <control/PropertiesCtl.h>
#include <control/orvane_typelib.h>

COMRT_DEFINE_SERVER(orvane::kOrvaneLib, comrt::factory<orvane::PropertiesCtl>(CLSID_PropertiesCtl));
