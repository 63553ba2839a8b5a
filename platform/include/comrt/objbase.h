// Activation: objects of registered classes created in process, ProgIDs, the task
// allocator and apartment initialisation, with the platform's names and signatures.
//
// A class is found first in comrt's built-in table (the object collection
// "Comrt.Collection" and the standard font "Comrt.StdFont", no registration needed), then
// in the per-user registry (comrt/registry.h), whose entry names the library that serves
// it. That library is loaded with dlopen(RTLD_NOW | RTLD_LOCAL) on first use and stays
// loaded until CoFreeUnusedLibraries finds it unused.
#pragma once

#include <comrt/unknwn.h>

#ifdef _WIN32
// The system declares these (objbase.h, oleauto.h).
#else
struct ITypeLib;
struct COSERVERINFO;

// Execution contexts. Only in-process servers exist here.
enum tagCLSCTX : DWORD {
    CLSCTX_INPROC_SERVER = 0x1,
    CLSCTX_INPROC_HANDLER = 0x2,
    CLSCTX_LOCAL_SERVER = 0x4,
    CLSCTX_REMOTE_SERVER = 0x10,
};
using CLSCTX = tagCLSCTX;
#define CLSCTX_INPROC (CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER)
#define CLSCTX_SERVER (CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER | CLSCTX_REMOTE_SERVER)
#define CLSCTX_ALL (CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER | CLSCTX_REMOTE_SERVER)

enum tagCOINIT : DWORD {
    COINIT_MULTITHREADED = 0x0,
    COINIT_APARTMENTTHREADED = 0x2,
    COINIT_DISABLE_OLE1DDE = 0x4,
    COINIT_SPEED_OVER_MEMORY = 0x8,
};
using COINIT = tagCOINIT;

// ---- apartments ---------------------------------------------------------------------
// Nothing needs an apartment here; the calls only count per thread.
// S_OK for a thread's first call, S_FALSE for each further one.
WINOLEAPI CoInitialize(LPVOID pvReserved);
WINOLEAPI CoInitializeEx(LPVOID pvReserved, DWORD dwCoInit);
// Undoes one CoInitialize(Ex) of this thread; nothing when none is outstanding.
WINOLEAPI_(void) CoUninitialize();

// ---- the task allocator ---------------------------------------------------------------
// Memory handed between components (ProgIDFromCLSID's text): a null result when cb bytes
// cannot be had; CoTaskMemFree accepts null.
WINOLEAPI_(LPVOID) CoTaskMemAlloc(SIZE_T cb);
WINOLEAPI_(void) CoTaskMemFree(LPVOID pv);

// ---- activation -------------------------------------------------------------------------

// The class object (normally IClassFactory) of a class.
//   in:  rclsid; dwClsContext must include CLSCTX_INPROC_SERVER; pServerInfo is ignored.
//   out: *ppv, a new reference to interface riid; null on failure.
//   S_OK; E_INVALIDARG for a null ppv; REGDB_E_CLASSNOTREG for a class that is neither
//   built in nor registered, or a context without CLSCTX_INPROC_SERVER; CO_E_DLLNOTFOUND
//   when the registered library file is missing; CO_E_ERRORINDLL when it cannot be loaded
//   or lacks DllGetClassObject; REGDB_E_INVALIDVALUE / REGDB_E_READREGDB for a damaged or
//   unreadable registry; otherwise what the library's DllGetClassObject returns.
WINOLEAPI CoGetClassObject(REFCLSID rclsid, DWORD dwClsContext, COSERVERINFO* pServerInfo, REFIID riid,
                           LPVOID* ppv);

// Creates one object of a class: its class factory's CreateInstance.
//   in:  pUnkOuter, the controlling object for aggregation (our classes refuse it with
//        CLASS_E_NOAGGREGATION); dwClsContext as for CoGetClassObject.
//   out: *ppv, a new reference to interface riid; null on failure.
//   S_OK; E_INVALIDARG for a null ppv; the failures of CoGetClassObject; what the class
//   factory returns (E_NOINTERFACE when the object lacks riid).
WINOLEAPI CoCreateInstance(REFCLSID rclsid, LPUNKNOWN pUnkOuter, DWORD dwClsContext, REFIID riid, LPVOID* ppv);

// The class of a ProgID ("Library.Class"; ASCII, compared without regard to case).
//   out: *lpclsid; GUID_NULL on failure.
//   S_OK; E_INVALIDARG for a null argument; CO_E_CLASSSTRING for a ProgID that is not
//   registered; REGDB_E_INVALIDVALUE / REGDB_E_READREGDB for a damaged or unreadable
//   registry.
WINOLEAPI CLSIDFromProgID(LPCOLESTR lpszProgID, LPCLSID lpclsid);

// The ProgID of a class.
//   out: *lplpszProgID, NUL-terminated text from CoTaskMemAlloc that the caller frees
//        with CoTaskMemFree; null on failure.
//   S_OK; E_INVALIDARG for a null out-parameter; REGDB_E_CLASSNOTREG for a class that is
//   not registered or has no ProgID; the registry errors as above; E_OUTOFMEMORY.
WINOLEAPI ProgIDFromCLSID(REFCLSID clsid, LPOLESTR* lplpszProgID);

// The class object of a class from a server library file, without the registry: the
// library is loaded as CoGetClassObject loads a registered one (once, until
// CoFreeUnusedLibraries) and its DllGetClassObject is asked.
//   in:  file, the library's path; a bare file name ("libtessel.so.1") names the file of
//        that name in the folder libcomrt.so was loaded from, where the component's
//        libraries lie side by side, as built and as installed.
//   out: *ppv, a new reference to interface riid; null on failure.
//   S_OK; E_INVALIDARG for a null argument; CO_E_DLLNOTFOUND when there is no such file;
//   CO_E_ERRORINDLL when it cannot be loaded or lacks DllGetClassObject; otherwise what
//   its DllGetClassObject returns (CLASS_E_CLASSNOTAVAILABLE for a class it lacks).
WINOLEAPI ComrtGetClassObjectFromFile(LPCSTR file, REFCLSID rclsid, REFIID riid, LPVOID* ppv);

// Unloads every library loaded by activation whose DllCanUnloadNow answers S_OK.
WINOLEAPI_(void) CoFreeUnusedLibraries();

// Loads a registered type library: the version with major version wVerMajor and the
// highest minor version at or above wVerMinor. lcid is not used (one language).
//   out: *pptlib, a new reference; null on failure.
//   S_OK; E_INVALIDARG for a null pptlib; TYPE_E_LIBNOTREGISTERED when no such version is
//   registered; TYPE_E_CANTLOADLIBRARY when its library file is missing, cannot be loaded
//   or lacks DllGetClassObject; the registry errors as above; what the library's
//   DllGetClassObject returns. The library is loaded as for CoGetClassObject.
WINOLEAUTAPI LoadRegTypeLib(REFGUID rguid, WORD wVerMajor, WORD wVerMinor, LCID lcid, ITypeLib** pptlib);

// Loads the type library that a server library file carries, registered or not.
//   in:  szFile, the library's path.
//   out: *pptlib, a new reference; null on failure.
//   S_OK; E_INVALIDARG for a null argument; TYPE_E_CANTLOADLIBRARY when the file is
//   missing, cannot be loaded or lacks DllGetClassObject; what the library's
//   DllGetClassObject returns. The library is loaded as for CoGetClassObject, and
//   CoFreeUnusedLibraries unloads it once the type library is released.
WINOLEAUTAPI LoadTypeLib(LPCOLESTR szFile, ITypeLib** pptlib);
#endif  // _WIN32
