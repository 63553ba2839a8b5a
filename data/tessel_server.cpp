// libtessel.so's four exports: DllGetClassObject, DllCanUnloadNow, DllRegisterServer,
// DllUnregisterServer (contracts in comrt/server.h). Both classes are creatable and
// apartment-threaded; ProgIDs Tessel.clsTessel and Tessel.clsPropertyItem.
#include <comrt/server.h>

#include "clsPropertyItem.h"
#include "clsTessel.h"
#include "tessel_typelib.h"

COMRT_DEFINE_SERVER(tessel::kTesselLib,
                    comrt::factory<tessel::clsTessel>(CLSID_clsTessel),
                    comrt::factory<tessel::clsPropertyItem>(CLSID_clsPropertyItem));
