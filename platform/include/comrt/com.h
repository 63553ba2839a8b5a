// Everything of the platform stand-in that a host needs: interfaces and their ids, the
// platform's functions (strings, arrays, variants, activation), ComPtr, the RAII holders
// and the errors. What writes objects and servers (comrt/implements.h, comrt/server.h,
// ...) is included by name.
#pragma once

#include <comrt/com_ptr.h>
#include <comrt/error.h>
#include <comrt/guid.h>
#include <comrt/objbase.h>
#include <comrt/oaidl.h>
#include <comrt/oleauto.h>
#include <comrt/resource.h>
#include <comrt/unknwn.h>
#include <comrt/wintypes.h>
