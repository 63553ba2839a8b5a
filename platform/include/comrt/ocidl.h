// Persistence and change notification between a control and its container, laid out as
// the platform declares them: a property bag of named VARIANTs, the control's load and
// save through it, and the sink through which a control reports a changed property.
#pragma once

#include <comrt/oaidl.h>
#include <comrt/objidl.h>
#include <comrt/oleidl.h>

#ifdef _WIN32
COMRT_SYSTEM_INTERFACE_ID(IOleControl);
COMRT_SYSTEM_INTERFACE_ID(IProvideClassInfo);
COMRT_SYSTEM_INTERFACE_ID(IProvideClassInfo2);
COMRT_SYSTEM_INTERFACE_ID(IConnectionPoint);
COMRT_SYSTEM_INTERFACE_ID(IConnectionPointContainer);
COMRT_SYSTEM_INTERFACE_ID(IErrorLog);
COMRT_SYSTEM_INTERFACE_ID(IPropertyBag);
COMRT_SYSTEM_INTERFACE_ID(IPersist);
COMRT_SYSTEM_INTERFACE_ID(IPersistPropertyBag);
COMRT_SYSTEM_INTERFACE_ID(IPropertyNotifySink);
COMRT_SYSTEM_INTERFACE_ID(IPersistStreamInit);
COMRT_SYSTEM_INTERFACE_ID(IOleControlSite);
COMRT_SYSTEM_INTERFACE_ID(IEnumConnectionPoints);
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

// An object that loads and saves its persisted state as bytes of a stream.
struct IPersistStreamInit : IPersist {
    // S_OK when the object changed since it was last saved (with fClearDirty), S_FALSE
    // when not.
    virtual HRESULT STDMETHODCALLTYPE IsDirty() noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE Load(LPSTREAM pStm) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE Save(LPSTREAM pStm, BOOL fClearDirty) noexcept = 0;
    // The most bytes a Save would write now.
    virtual HRESULT STDMETHODCALLTYPE GetSizeMax(ULARGE_INTEGER* pCbSize) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE InitNew() noexcept = 0;
};
COMRT_INTERFACE_ID(IPersistStreamInit, "7FD52380-4E07-101B-AE2D-08002B2EC713");

// Implemented by a container: a control calls OnChanged after a property that its
// container persists has changed.
struct IPropertyNotifySink : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE OnChanged(DISPID dispID) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE OnRequestEdit(DISPID dispID) noexcept = 0;
};
COMRT_INTERFACE_ID(IPropertyNotifySink, "9BFBBC02-EFF1-101A-84ED-00AA00341D07");

// What a control tells its container of its keyboard handling.
struct CONTROLINFO {
    ULONG cb;        // sizeof(CONTROLINFO), set by the caller
    HACCEL hAccel;   // the control's mnemonics; null for none
    USHORT cAccel;   // entries of hAccel
    DWORD dwFlags;   // CTRLINFO_EATS_RETURN, CTRLINFO_EATS_ESCAPE
};
using LPCONTROLINFO = CONTROLINFO*;
#define CTRLINFO_EATS_RETURN 1
#define CTRLINFO_EATS_ESCAPE 2

// A control's side of the container's ambient properties and keyboard.
struct IOleControl : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetControlInfo(CONTROLINFO* pCI) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE OnMnemonic(MSG* pMsg) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE OnAmbientPropertyChange(DISPID dispID) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE FreezeEvents(BOOL bFreeze) noexcept = 0;
};
COMRT_INTERFACE_ID(IOleControl, "B196B288-BAB4-101A-B69C-00AA00341D07");

// An object's class, described by its type library: its coclass, and (version 2) the
// interface of its events.
struct IProvideClassInfo : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetClassInfo(ITypeInfo** ppTI) noexcept = 0;
};
COMRT_INTERFACE_ID(IProvideClassInfo, "B196B283-BAB4-101A-B69C-00AA00341D07");
#define GUIDKIND_DEFAULT_SOURCE_DISP_IID 1
struct IProvideClassInfo2 : IProvideClassInfo {
    // GUIDKIND_DEFAULT_SOURCE_DISP_IID: the default source (event) interface's id.
    virtual HRESULT STDMETHODCALLTYPE GetGUID(DWORD dwGuidKind, GUID* pGUID) noexcept = 0;
};
COMRT_INTERFACE_ID(IProvideClassInfo2, "A6BC3AC0-DBAA-11CE-9DE3-00AA004BB851");

// Outgoing interfaces: an object's connection points, each taking sinks of one interface.
struct IConnectionPointContainer;
struct IEnumConnections;
struct IConnectionPoint;
struct IEnumConnectionPoints : IUnknown {
    // Up to cConnections points into ppCP (new references); S_FALSE when fewer remain.
    virtual HRESULT STDMETHODCALLTYPE Next(ULONG cConnections, IConnectionPoint** ppCP,
                                           ULONG* pcFetched) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE Skip(ULONG cConnections) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE Reset() noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE Clone(IEnumConnectionPoints** ppEnum) noexcept = 0;
};
COMRT_INTERFACE_ID(IEnumConnectionPoints, "B196B285-BAB4-101A-B69C-00AA00341D07");
struct IConnectionPoint : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* pIID) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE GetConnectionPointContainer(IConnectionPointContainer** ppCPC) noexcept = 0;
    // Connects pUnkSink (asked for the point's interface); *pdwCookie names the connection.
    virtual HRESULT STDMETHODCALLTYPE Advise(IUnknown* pUnkSink, DWORD* pdwCookie) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE Unadvise(DWORD dwCookie) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections** ppEnum) noexcept = 0;
};
COMRT_INTERFACE_ID(IConnectionPoint, "B196B286-BAB4-101A-B69C-00AA00341D07");
struct IConnectionPointContainer : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints** ppEnum) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID riid, IConnectionPoint** ppCP) noexcept = 0;
};
COMRT_INTERFACE_ID(IConnectionPointContainer, "B196B284-BAB4-101A-B69C-00AA00341D07");
#define CONNECT_E_NOCONNECTION _HRESULT_TYPEDEF_(0x80040200L)
#define CONNECT_E_ADVISELIMIT _HRESULT_TYPEDEF_(0x80040201L)
#define CONNECT_E_CANNOTCONNECT _HRESULT_TYPEDEF_(0x80040202L)

struct POINTL {
    LONG x;
    LONG y;
};
struct POINTF {
    float x;
    float y;
};

// The container's side of a control: focus, keys it hands back, and the extended control.
struct IOleControlSite : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE OnControlInfoChanged() noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE LockInPlaceActive(BOOL fLock) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE GetExtendedControl(IDispatch** ppDisp) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE TransformCoords(POINTL* pPtlHimetric, POINTF* pPtfContainer,
                                                      DWORD dwFlags) noexcept = 0;
    // S_OK when the container handled the key, S_FALSE when the control is to.
    virtual HRESULT STDMETHODCALLTYPE TranslateAccelerator(MSG* pMsg, DWORD grfModifiers) noexcept = 0;
    // The control got (TRUE) or lost the focus.
    virtual HRESULT STDMETHODCALLTYPE OnFocus(BOOL fGotFocus) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE ShowPropertyFrame() noexcept = 0;
};
COMRT_INTERFACE_ID(IOleControlSite, "B196B289-BAB4-101A-B69C-00AA00341D07");
#endif  // _WIN32
