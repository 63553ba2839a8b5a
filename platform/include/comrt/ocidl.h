// Persistence and change notification between a control and its container, laid out as
// the platform declares them: a property bag of named VARIANTs, the control's load and
// save through it, and the sink through which a control reports a changed property.
#pragma once

#include <comrt/oaidl.h>

#ifdef _WIN32
COMRT_SYSTEM_INTERFACE_ID(IErrorLog);
COMRT_SYSTEM_INTERFACE_ID(IPropertyBag);
COMRT_SYSTEM_INTERFACE_ID(IPersist);
COMRT_SYSTEM_INTERFACE_ID(IPersistPropertyBag);
COMRT_SYSTEM_INTERFACE_ID(IPropertyNotifySink);
#else
// The container's error log for a property bag load: one entry per property that could
// not be read.
struct IErrorLog : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE AddError(LPCOLESTR pszPropName, EXCEPINFO* pExcepInfo) noexcept = 0;
};
COMRT_INTERFACE_ID(IErrorLog, "3127CA40-446E-11CE-8135-00AA004BB851");

// Named VARIANTs, kept by the container for a control.
struct IPropertyBag : IUnknown {
    // Read: the value stored under pszPropName into *pVar (which the caller initialised;
    // its type on entry is the type asked for, VT_EMPTY for the stored one). A name the
    // bag lacks fails (E_INVALIDARG), so does an entry it cannot read back; pErrorLog
    // (optional) receives the failure.
    virtual HRESULT STDMETHODCALLTYPE Read(LPCOLESTR pszPropName, VARIANT* pVar, IErrorLog* pErrorLog) noexcept = 0;
    // Write: stores a copy of *pVar under pszPropName.
    virtual HRESULT STDMETHODCALLTYPE Write(LPCOLESTR pszPropName, VARIANT* pVar) noexcept = 0;
};
COMRT_INTERFACE_ID(IPropertyBag, "55272A00-42CB-11CE-8135-00AA004BB851");

struct IPersist : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetClassID(CLSID* pClassID) noexcept = 0;
};
COMRT_INTERFACE_ID(IPersist, "0000010C-0000-0000-C000-000000000046");

// An object that loads and saves its persisted properties through a property bag.
struct IPersistPropertyBag : IPersist {
    // A new object, with nothing to load.
    virtual HRESULT STDMETHODCALLTYPE InitNew() noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE Load(IPropertyBag* pPropBag, IErrorLog* pErrorLog) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE Save(IPropertyBag* pPropBag, BOOL fClearDirty, BOOL fSaveAllProperties) noexcept = 0;
};
COMRT_INTERFACE_ID(IPersistPropertyBag, "37D84F60-42CB-11CE-8135-00AA004BB851");

// Implemented by a container: a control calls OnChanged after a property that its
// container persists has changed.
struct IPropertyNotifySink : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE OnChanged(DISPID dispID) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE OnRequestEdit(DISPID dispID) noexcept = 0;
};
COMRT_INTERFACE_ID(IPropertyNotifySink, "9BFBBC02-EFF1-101A-84ED-00AA00341D07");
#endif  // _WIN32
