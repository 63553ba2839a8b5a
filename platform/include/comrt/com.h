// Everything of the platform stand-in that library code needs.
#pragma once

#include <comrt/com_ptr.h>
#include <comrt/error.h>
#include <comrt/guid.h>
#include <comrt/implements.h>
#include <comrt/module.h>
#include <comrt/objbase.h>
#include <comrt/oaidl.h>
#include <comrt/oleauto.h>
#include <comrt/resource.h>
#include <comrt/unknwn.h>
#include <comrt/wintypes.h>
