// Embedded objects and their containers, laid out as the platform declares them: the
// object and its client site (IOleObject, IOleClientSite), in-place activation in the
// container's window (IOleInPlaceObject, IOleInPlaceActiveObject, IOleInPlaceSite), and
// what the site names of the container's frame and document windows.
#pragma once

#include <comrt/unknwn.h>

#ifdef _WIN32
COMRT_SYSTEM_INTERFACE_ID(IOleWindow);
COMRT_SYSTEM_INTERFACE_ID(IOleInPlaceObject);
COMRT_SYSTEM_INTERFACE_ID(IOleInPlaceActiveObject);
COMRT_SYSTEM_INTERFACE_ID(IOleInPlaceUIWindow);
COMRT_SYSTEM_INTERFACE_ID(IOleInPlaceFrame);
COMRT_SYSTEM_INTERFACE_ID(IOleInPlaceSite);
COMRT_SYSTEM_INTERFACE_ID(IOleClientSite);
COMRT_SYSTEM_INTERFACE_ID(IOleObject);
COMRT_SYSTEM_INTERFACE_ID(IViewObject);
COMRT_SYSTEM_INTERFACE_ID(IViewObject2);
#else
// A rectangle in device pixels: left and top inclusive, right and bottom exclusive.
struct RECT {
    LONG left;
    LONG top;
    LONG right;
    LONG bottom;
};
using LPRECT = RECT*;
using LPCRECT = const RECT*;

// An object with a window.
struct IOleWindow : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetWindow(HWND* phwnd) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL fEnterMode) noexcept = 0;
};
COMRT_INTERFACE_ID(IOleWindow, "00000114-0000-0000-C000-000000000046");

// An object active in place inside its container's window.
struct IOleInPlaceObject : IOleWindow {
    // Leaves the container's window: the object's window and everything in it go.
    virtual HRESULT STDMETHODCALLTYPE InPlaceDeactivate() noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE UIDeactivate() noexcept = 0;
    // Moves the object's window to lprcPosRect (pixels of the container's window);
    // lprcClipRect is the visible part of it.
    virtual HRESULT STDMETHODCALLTYPE SetObjectRects(LPCRECT lprcPosRect, LPCRECT lprcClipRect) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE ReactivateAndUndo() noexcept = 0;
};
COMRT_INTERFACE_ID(IOleInPlaceObject, "00000113-0000-0000-C000-000000000046");

#define INPLACE_E_NOTUNDOABLE _HRESULT_TYPEDEF_(0x800401A0L)

// ---- what the interfaces below pass ------------------------------------------------------

struct POINT {
    LONG x;
    LONG y;
};
struct SIZE {
    LONG cx;
    LONG cy;
};
// An extent in HIMETRIC units (hundredths of a millimetre).
using SIZEL = SIZE;
using LPSIZEL = SIZEL*;

// A window message, as a container's message loop offers it to the active object.
struct MSG {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    DWORD time;
    POINT pt;
};
using LPMSG = MSG*;

// Handles the container keeps of its own; no object here looks inside them.
struct HACCEL__;
using HACCEL = HACCEL__*;
struct HMENU__;
using HMENU = HMENU__*;
using HOLEMENU = void*;
using BORDERWIDTHS = RECT;
using LPCBORDERWIDTHS = const RECT*;

// The container's frame as GetWindowContext describes it.
struct OLEINPLACEFRAMEINFO {
    UINT cb;  // sizeof(OLEINPLACEFRAMEINFO), set by the caller
    BOOL fMDIApp;
    HWND hwndFrame;
    HACCEL haccel;
    UINT cAccelEntries;
};
using LPOLEINPLACEFRAMEINFO = OLEINPLACEFRAMEINFO*;
struct OLEMENUGROUPWIDTHS {
    LONG width[6];
};
using LPOLEMENUGROUPWIDTHS = OLEMENUGROUPWIDTHS*;

// Interfaces passed only by pointer here, never called by the stand-in's users.
struct IMoniker;
struct IOleContainer;
struct IDataObject;
struct IEnumOLEVERB;
struct IAdviseSink;
struct IEnumSTATDATA;
struct LOGPALETTE;
struct DVTARGETDEVICE;
struct HDC__;
using HDC = HDC__*;

// A rectangle in logical units of a device context.
struct RECTL {
    LONG left;
    LONG top;
    LONG right;
    LONG bottom;
};
using LPRECTL = RECTL*;
using LPCRECTL = const RECTL*;

// Verbs (IOleObject::DoVerb).
#define OLEIVERB_PRIMARY (0L)
#define OLEIVERB_SHOW (-1L)
#define OLEIVERB_OPEN (-2L)
#define OLEIVERB_HIDE (-3L)
#define OLEIVERB_UIACTIVATE (-4L)
#define OLEIVERB_INPLACEACTIVATE (-5L)
#define OLEIVERB_DISCARDUNDOSTATE (-6L)
// IOleObject::Close.
#define OLECLOSE_SAVEIFDIRTY 0
#define OLECLOSE_NOSAVE 1
#define OLECLOSE_PROMPTSAVE 2
// Aspects of an object's presentation; controls draw their content.
#define DVASPECT_CONTENT 1
#define DVASPECT_THUMBNAIL 2
#define DVASPECT_ICON 4
#define DVASPECT_DOCPRINT 8
// IOleObject::GetMiscStatus.
#define OLEMISC_RECOMPOSEONRESIZE 0x1
#define OLEMISC_ONLYICONIC 0x2
#define OLEMISC_INSERTNOTREPLACE 0x4
#define OLEMISC_STATIC 0x8
#define OLEMISC_CANTLINKINSIDE 0x10
#define OLEMISC_CANLINKBYOLE1 0x20
#define OLEMISC_ISLINKOBJECT 0x40
#define OLEMISC_INSIDEOUT 0x80
#define OLEMISC_ACTIVATEWHENVISIBLE 0x100
#define OLEMISC_RENDERINGISDEVICEINDEPENDENT 0x200
#define OLEMISC_INVISIBLEATRUNTIME 0x400
#define OLEMISC_ALWAYSRUN 0x800
#define OLEMISC_ACTSLIKEBUTTON 0x1000
#define OLEMISC_ACTSLIKELABEL 0x2000
#define OLEMISC_NOUIACTIVATE 0x4000
#define OLEMISC_ALIGNABLE 0x8000
#define OLEMISC_SIMPLEFRAME 0x10000
#define OLEMISC_SETCLIENTSITEFIRST 0x20000

#define OLE_E_ADVISENOTSUPPORTED _HRESULT_TYPEDEF_(0x80040003L)
#define OLE_E_NOT_INPLACEACTIVE _HRESULT_TYPEDEF_(0x80040010L)
#define DV_E_LINDEX _HRESULT_TYPEDEF_(0x80040068L)
#define DV_E_DVASPECT _HRESULT_TYPEDEF_(0x8004006BL)
#define OLEOBJ_E_NOVERBS _HRESULT_TYPEDEF_(0x80040180L)
#define OLEOBJ_E_INVALIDVERB _HRESULT_TYPEDEF_(0x80040181L)
#define OLE_S_USEREG _HRESULT_TYPEDEF_(0x00040000L)
#define OLEOBJ_S_INVALIDVERB _HRESULT_TYPEDEF_(0x00040180L)
#define OLE_E_BLANK _HRESULT_TYPEDEF_(0x80040007L)
#define VIEW_E_DRAW _HRESULT_TYPEDEF_(0x80040140L)

// ---- the object's side ---------------------------------------------------------------------

struct IOleInPlaceUIWindow;

// The in-place object while it is active: keys offered by the container's message loop,
// and the container's windows being activated.
struct IOleInPlaceActiveObject : IOleWindow {
    // S_OK when the object handled the message (the container then drops it), S_FALSE
    // when the container is to dispatch it as usual.
    virtual HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG lpmsg) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE OnFrameWindowActivate(BOOL fActivate) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE OnDocWindowActivate(BOOL fActivate) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE ResizeBorder(LPCRECT prcBorder, IOleInPlaceUIWindow* pUIWindow,
                                                   BOOL fFrameWindow) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE EnableModeless(BOOL fEnable) noexcept = 0;
};
COMRT_INTERFACE_ID(IOleInPlaceActiveObject, "00000117-0000-0000-C000-000000000046");

// ---- the container's side ------------------------------------------------------------------

// A window of the container in which the active object may negotiate border space.
struct IOleInPlaceUIWindow : IOleWindow {
    virtual HRESULT STDMETHODCALLTYPE GetBorder(LPRECT lprectBorder) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE RequestBorderSpace(LPCBORDERWIDTHS pborderwidths) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE SetBorderSpace(LPCBORDERWIDTHS pborderwidths) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE SetActiveObject(IOleInPlaceActiveObject* pActiveObject,
                                                      LPCOLESTR pszObjName) noexcept = 0;
};
COMRT_INTERFACE_ID(IOleInPlaceUIWindow, "00000115-0000-0000-C000-000000000046");

// The container's frame window: menus, status text, modelessness, accelerators.
struct IOleInPlaceFrame : IOleInPlaceUIWindow {
    virtual HRESULT STDMETHODCALLTYPE InsertMenus(HMENU hmenuShared, LPOLEMENUGROUPWIDTHS lpMenuWidths) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE SetMenu(HMENU hmenuShared, HOLEMENU holemenu, HWND hwndActiveObject) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE RemoveMenus(HMENU hmenuShared) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE SetStatusText(LPCOLESTR pszStatusText) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE EnableModeless(BOOL fEnable) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG lpmsg, WORD wID) noexcept = 0;
};
COMRT_INTERFACE_ID(IOleInPlaceFrame, "00000116-0000-0000-C000-000000000046");

// Where an embedded object lives in its container.
struct IOleClientSite : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE SaveObject() noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE GetMoniker(DWORD dwAssign, DWORD dwWhichMoniker, IMoniker** ppmk) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE GetContainer(IOleContainer** ppContainer) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE ShowObject() noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE OnShowWindow(BOOL fShow) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE RequestNewObjectLayout() noexcept = 0;
};
COMRT_INTERFACE_ID(IOleClientSite, "00000118-0000-0000-C000-000000000046");

// The client site's part for in-place activation: the window the object lives in, its
// rectangle, and the notifications of the object's activation and deactivation.
struct IOleInPlaceSite : IOleWindow {
    // S_OK when the container lets the object activate in place, S_FALSE when not.
    virtual HRESULT STDMETHODCALLTYPE CanInPlaceActivate() noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE OnInPlaceActivate() noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE OnUIActivate() noexcept = 0;
    // The frame and document windows (each may come back null), the object's rectangle
    // and its visible part in pixels of the site's window, and the frame's description.
    virtual HRESULT STDMETHODCALLTYPE GetWindowContext(IOleInPlaceFrame** ppFrame, IOleInPlaceUIWindow** ppDoc,
                                                       LPRECT lprcPosRect, LPRECT lprcClipRect,
                                                       LPOLEINPLACEFRAMEINFO lpFrameInfo) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE Scroll(SIZE scrollExtant) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE OnUIDeactivate(BOOL fUndoable) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE OnInPlaceDeactivate() noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE DiscardUndoState() noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE DeactivateAndUndo() noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE OnPosRectChange(LPCRECT lprcPosRect) noexcept = 0;
};
COMRT_INTERFACE_ID(IOleInPlaceSite, "00000119-0000-0000-C000-000000000046");

// An embedded object: sited by its container, sized in HIMETRIC, activated by verbs.
struct IOleObject : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE SetClientSite(IOleClientSite* pClientSite) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE GetClientSite(IOleClientSite** ppClientSite) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE SetHostNames(LPCOLESTR szContainerApp, LPCOLESTR szContainerObj) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE Close(DWORD dwSaveOption) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE SetMoniker(DWORD dwWhichMoniker, IMoniker* pmk) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE GetMoniker(DWORD dwAssign, DWORD dwWhichMoniker, IMoniker** ppmk) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE InitFromData(IDataObject* pDataObject, BOOL fCreation, DWORD dwReserved) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE GetClipboardData(DWORD dwReserved, IDataObject** ppDataObject) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE DoVerb(LONG iVerb, LPMSG lpmsg, IOleClientSite* pActiveSite, LONG lindex,
                                             HWND hwndParent, LPCRECT lprcPosRect) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE EnumVerbs(IEnumOLEVERB** ppEnumOleVerb) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE Update() noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE IsUpToDate() noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE GetUserClassID(CLSID* pClsid) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE GetUserType(DWORD dwFormOfType, LPOLESTR* pszUserType) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE SetExtent(DWORD dwDrawAspect, SIZEL* psizel) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE GetExtent(DWORD dwDrawAspect, SIZEL* psizel) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE Advise(IAdviseSink* pAdvSink, DWORD* pdwConnection) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE Unadvise(DWORD dwConnection) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE EnumAdvise(IEnumSTATDATA** ppenumAdvise) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE GetMiscStatus(DWORD dwAspect, DWORD* pdwStatus) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE SetColorScheme(LOGPALETTE* pLogpal) noexcept = 0;
};
COMRT_INTERFACE_ID(IOleObject, "00000112-0000-0000-C000-000000000046");

// An object's picture: drawn into a device context the container gives (a metafile, a
// printer, a window's), and its size for an aspect.
struct IViewObject : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Draw(DWORD dwDrawAspect, LONG lindex, void* pvAspect, DVTARGETDEVICE* ptd,
                                           HDC hdcTargetDev, HDC hdcDraw, LPCRECTL lprcBounds, LPCRECTL lprcWBounds,
                                           BOOL(STDMETHODCALLTYPE* pfnContinue)(ULONG_PTR dwContinue),
                                           ULONG_PTR dwContinue) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE GetColorSet(DWORD dwDrawAspect, LONG lindex, void* pvAspect,
                                                  DVTARGETDEVICE* ptd, HDC hicTargetDev,
                                                  LOGPALETTE** ppColorSet) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE Freeze(DWORD dwDrawAspect, LONG lindex, void* pvAspect,
                                             DWORD* pdwFreeze) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE Unfreeze(DWORD dwFreeze) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE SetAdvise(DWORD aspects, DWORD advf, IAdviseSink* pAdvSink) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE GetAdvise(DWORD* pAspects, DWORD* pAdvf, IAdviseSink** ppAdvSink) noexcept = 0;
};
COMRT_INTERFACE_ID(IViewObject, "0000010D-0000-0000-C000-000000000046");
struct IViewObject2 : IViewObject {
    // The object's size for the aspect in HIMETRIC, as it would draw it.
    virtual HRESULT STDMETHODCALLTYPE GetExtent(DWORD dwDrawAspect, LONG lindex, DVTARGETDEVICE* ptd,
                                                LPSIZEL lpsizel) noexcept = 0;
};
COMRT_INTERFACE_ID(IViewObject2, "00000127-0000-0000-C000-000000000046");
#endif  // _WIN32
