// The control as an embedded object: a container sites it (SetClientSite), activates it
// in place with a verb (DoVerb), sizes it (SetObjectRects), offers it keys and ambient
// changes, and closes it (Close, SetClientSite(nullptr)).
//
// In-place activation asks the in-place site, in the order containers expect, whether
// the control may activate, tells it that it does, and takes the site's window and the
// control's rectangle in it; then the widgets are made with the library's toolkit and
// the control is sited on them. Initialize, Resize (from the surface, on SetObjectRects)
// and Terminate then run as the container's events always have, each failure reported
// to the site's error sink.
#include <control/PropertiesCtl.h>

#include <control/widgets/window_procs.h>


namespace orvane {
namespace {

// What a windowed control of this kind declares: it lays itself out again when resized,
// cannot hold links, is active whenever it is visible (in place, with its own window),
// and wants its client site before it is initialised.
// The message a container offers a pressed key with (its wParam the virtual-key code).
constexpr UINT kKeyDownMessage = 0x0100;

// The shift keys held with the key a container offers, as the key events give them.
std::int16_t ShiftState() noexcept {
#ifdef _WIN32
    const auto down = [](int key) { return (GetKeyState(key) & 0x8000) != 0; };
    return static_cast<std::int16_t>((down(VK_SHIFT) ? widgets::keys::kShift : 0) |
                                     (down(VK_CONTROL) ? widgets::keys::kCtrl : 0) |
                                     (down(VK_MENU) ? widgets::keys::kAlt : 0));
#else
    // No keyboard state of the process here: the toolkit delivers keys with their own.
    return 0;
#endif
}

}  // namespace

// ---- IOleObject ------------------------------------------------------------------------------

HRESULT STDMETHODCALLTYPE PropertiesCtl::SetClientSite(IOleClientSite* pClientSite) noexcept try {
    CheckThread();
    // A container that lets go of its site lets go of the control's window with it.
    if (!pClientSite && widgets_.surface) comrt::check(InPlaceDeactivate());
    client_site_ = comrt::ComPtr<IOleClientSite>(pClientSite);
    return S_OK;
} catch (...) {
    return comrt::to_hresult();
}

HRESULT STDMETHODCALLTYPE PropertiesCtl::GetClientSite(IOleClientSite** ppClientSite) noexcept {
    CheckThread();
    if (!ppClientSite) return E_POINTER;
    *ppClientSite = comrt::ComPtr<IOleClientSite>(client_site_).detach();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE PropertiesCtl::SetHostNames(LPCOLESTR, LPCOLESTR) noexcept { return S_OK; }

HRESULT STDMETHODCALLTYPE PropertiesCtl::Close(DWORD) noexcept {
    CheckThread();
    return InPlaceDeactivate();
}

HRESULT STDMETHODCALLTYPE PropertiesCtl::SetMoniker(DWORD, IMoniker*) noexcept { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE PropertiesCtl::GetMoniker(DWORD, DWORD, IMoniker** ppmk) noexcept {
    if (ppmk) *ppmk = nullptr;
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE PropertiesCtl::InitFromData(IDataObject*, BOOL, DWORD) noexcept { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE PropertiesCtl::GetClipboardData(DWORD, IDataObject** ppDataObject) noexcept {
    if (ppDataObject) *ppDataObject = nullptr;
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE PropertiesCtl::DoVerb(LONG iVerb, LPMSG, IOleClientSite* pActiveSite, LONG,
                                                HWND hwndParent, LPCRECT lprcPosRect) noexcept try {
    CheckThread();
    // The site and whatever it calls back into may release the control meanwhile.
    const comrt::ComPtr<PropertiesCtl> self(this);
    IOleClientSite* site = pActiveSite ? pActiveSite : client_site_.get();
    switch (iVerb) {
    case OLEIVERB_HIDE:
        if (!widgets_.surface) return OLE_E_NOT_INPLACEACTIVE;
        comrt::check(UIDeactivate());
        surface().SetVisible(false);
        return S_OK;
    case OLEIVERB_PRIMARY:
    case OLEIVERB_SHOW:
    case OLEIVERB_INPLACEACTIVATE:
    case OLEIVERB_UIACTIVATE:
        break;
    default:
        if (iVerb < 0) return E_NOTIMPL;
        break;
    }
    if (!widgets_.surface) ActivateInPlace(site, hwndParent, lprcPosRect);
    surface().SetVisible(true);
    if (iVerb == OLEIVERB_UIACTIVATE && !ui_active_) {
        ui_active_ = true;
        if (const comrt::ComPtr<IOleInPlaceSite> in_place = in_place_site_) comrt::check(in_place->OnUIActivate());
        if (widgets_.grid) grid().SetFocus();
        if (const auto control_site = ControlSite()) control_site->OnFocus(TRUE);
    }
    return iVerb > 0 ? OLEOBJ_S_INVALIDVERB : S_OK;
} catch (...) {
    return comrt::to_hresult();
}

void PropertiesCtl::ActivateInPlace(IOleClientSite* site, HWND hwndParent, LPCRECT lprcPosRect) {
    if (activated_) throw comrt::com_error(E_UNEXPECTED);
    if (!create_widgets_) throw comrt::com_error(E_NOTIMPL);
    const comrt::ComPtr<IOleInPlaceSite> in_place =
        site ? comrt::ComPtr<IUnknown>(site).try_as<IOleInPlaceSite>() : nullptr;
    HWND parent = hwndParent;
    RECT position{};
    if (in_place) {
        const HRESULT allowed = in_place->CanInPlaceActivate();
        if (allowed != S_OK) throw comrt::com_error(FAILED(allowed) ? allowed : E_FAIL);
        comrt::check(in_place->OnInPlaceActivate());
        try {
            comrt::check(in_place->GetWindow(&parent));
            comrt::ComPtr<IOleInPlaceFrame> frame;
            comrt::ComPtr<IOleInPlaceUIWindow> document;
            RECT clip{};
            OLEINPLACEFRAMEINFO frame_info{};
            frame_info.cb = sizeof(frame_info);
            comrt::check(in_place->GetWindowContext(frame.put(), document.put(), &position, &clip, &frame_info));
        } catch (...) {
            in_place->OnInPlaceDeactivate();
            throw;
        }
    } else {
        if (!lprcPosRect) throw comrt::com_error(E_INVALIDARG);
        position = *lprcPosRect;
    }

    try {
        const widgets::WidgetSet made = create_widgets_(parent, position);
        activated_ = true;
        if (const HRESULT sited = Site(made, site); FAILED(sited)) {
            // Nobody else holds the window: it goes with the failure.
            if (made.surface) made.surface->Destroy();
            throw comrt::com_error(sited);
        }
    } catch (...) {
        if (in_place) in_place->OnInPlaceDeactivate();
        throw;
    }
    in_place_site_ = in_place;
    // A failing Initialize handler went to the error sink; the control runs on.
    sinks_.surface.Initialize();
    RestoreLoadedProperties();
}

HRESULT STDMETHODCALLTYPE PropertiesCtl::EnumVerbs(IEnumOLEVERB** ppEnumOleVerb) noexcept {
    if (ppEnumOleVerb) *ppEnumOleVerb = nullptr;
    return OLEOBJ_E_NOVERBS;
}

HRESULT STDMETHODCALLTYPE PropertiesCtl::Update() noexcept { return S_OK; }

HRESULT STDMETHODCALLTYPE PropertiesCtl::IsUpToDate() noexcept { return S_OK; }

HRESULT STDMETHODCALLTYPE PropertiesCtl::GetUserClassID(CLSID* pClsid) noexcept { return GetClassID(pClsid); }

HRESULT STDMETHODCALLTYPE PropertiesCtl::GetUserType(DWORD, LPOLESTR* pszUserType) noexcept {
    if (pszUserType) *pszUserType = nullptr;
    return OLE_S_USEREG;
}

HRESULT STDMETHODCALLTYPE PropertiesCtl::SetExtent(DWORD dwDrawAspect, SIZEL* psizel) noexcept {
    CheckThread();
    if (!psizel) return E_INVALIDARG;
    if (dwDrawAspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    if (psizel->cx < 0 || psizel->cy < 0) return E_INVALIDARG;
    extent_ = *psizel;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE PropertiesCtl::GetExtent(DWORD dwDrawAspect, SIZEL* psizel) noexcept {
    CheckThread();
    if (!psizel) return E_POINTER;
    if (dwDrawAspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    *psizel = extent_;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE PropertiesCtl::Advise(IAdviseSink*, DWORD* pdwConnection) noexcept {
    if (pdwConnection) *pdwConnection = 0;
    return OLE_E_ADVISENOTSUPPORTED;
}

HRESULT STDMETHODCALLTYPE PropertiesCtl::Unadvise(DWORD) noexcept { return OLE_E_ADVISENOTSUPPORTED; }

HRESULT STDMETHODCALLTYPE PropertiesCtl::EnumAdvise(IEnumSTATDATA** ppenumAdvise) noexcept {
    if (ppenumAdvise) *ppenumAdvise = nullptr;
    return OLE_E_ADVISENOTSUPPORTED;
}

HRESULT STDMETHODCALLTYPE PropertiesCtl::GetMiscStatus(DWORD, DWORD* pdwStatus) noexcept {
    if (!pdwStatus) return E_POINTER;
    *pdwStatus = kMiscStatus;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE PropertiesCtl::SetColorScheme(LOGPALETTE*) noexcept { return E_NOTIMPL; }

// ---- IOleInPlaceObject, IOleInPlaceActiveObject ----------------------------------------------

HRESULT STDMETHODCALLTYPE PropertiesCtl::GetWindow(HWND* phwnd) noexcept try {
    CheckThread();
    if (!phwnd) return E_POINTER;
    *phwnd = nullptr;
    if (!widgets_.surface) return E_FAIL;
    *phwnd = widgets::ToHwnd(surface().hWnd());
    return S_OK;
} catch (...) {
    return comrt::to_hresult();
}

HRESULT STDMETHODCALLTYPE PropertiesCtl::ContextSensitiveHelp(BOOL) noexcept { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE PropertiesCtl::InPlaceDeactivate() noexcept {
    CheckThread();
    if (!widgets_.surface) return S_OK;
    // The site may release the control when it hears of the deactivation.
    const comrt::ComPtr<PropertiesCtl> self(this);
    UIDeactivate();
    // A failing Terminate handler went to the error sink; the window goes all the same.
    sinks_.surface.Terminate();
    Unsite();
    if (const comrt::ComPtr<IOleInPlaceSite> in_place = std::move(in_place_site_)) in_place->OnInPlaceDeactivate();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE PropertiesCtl::UIDeactivate() noexcept {
    CheckThread();
    if (!ui_active_) return S_OK;
    ui_active_ = false;
    if (const auto control_site = ControlSite()) control_site->OnFocus(FALSE);
    if (const comrt::ComPtr<IOleInPlaceSite> in_place = in_place_site_) in_place->OnUIDeactivate(FALSE);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE PropertiesCtl::SetObjectRects(LPCRECT lprcPosRect, LPCRECT) noexcept try {
    CheckThread();
    if (!lprcPosRect) return E_INVALIDARG;
    if (!widgets_.surface) return E_UNEXPECTED;
    surface().SetObjectRect(*lprcPosRect);
    return S_OK;
} catch (...) {
    return comrt::to_hresult();
}

HRESULT STDMETHODCALLTYPE PropertiesCtl::ReactivateAndUndo() noexcept { return INPLACE_E_NOTUNDOABLE; }

HRESULT STDMETHODCALLTYPE PropertiesCtl::TranslateAccelerator(LPMSG lpmsg) noexcept try {
    CheckThread();
    if (!lpmsg || lpmsg->message != kKeyDownMessage || !ui_active_ || !widgets_.surface) return S_FALSE;
    // The site and the item the key writes may release the control meanwhile.
    const comrt::ComPtr<PropertiesCtl> self(this);
    auto key = static_cast<std::int16_t>(lpmsg->wParam);
    const std::int16_t shift = ShiftState();
    // An open editor's keys first; else the grid's, when the key was meant for the grid.
    if (editing_.edit) comrt::check(OnEditorKeyDown(key, shift));
    else if (widgets::ToHandle(lpmsg->hwnd) == grid().hWnd()) comrt::check(OnGridKeyDown(key, shift));
    // A key the control acted on is not the container's to act on again.
    return key == 0 ? S_OK : S_FALSE;
} catch (...) {
    return comrt::to_hresult();
}

HRESULT STDMETHODCALLTYPE PropertiesCtl::OnFrameWindowActivate(BOOL) noexcept { return S_OK; }

HRESULT STDMETHODCALLTYPE PropertiesCtl::OnDocWindowActivate(BOOL) noexcept { return S_OK; }

HRESULT STDMETHODCALLTYPE PropertiesCtl::ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) noexcept { return S_OK; }

HRESULT STDMETHODCALLTYPE PropertiesCtl::EnableModeless(BOOL) noexcept { return S_OK; }

// ---- IOleControl -----------------------------------------------------------------------------

HRESULT STDMETHODCALLTYPE PropertiesCtl::GetControlInfo(CONTROLINFO* pCI) noexcept {
    if (!pCI) return E_POINTER;
    pCI->hAccel = nullptr;
    pCI->cAccel = 0;
    pCI->dwFlags = CTRLINFO_EATS_RETURN | CTRLINFO_EATS_ESCAPE;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE PropertiesCtl::OnMnemonic(MSG*) noexcept { return S_OK; }

HRESULT STDMETHODCALLTYPE PropertiesCtl::OnAmbientPropertyChange(DISPID dispID) noexcept try {
    CheckThread();
    if (follows_ambient_ && widgets_.surface) ApplyAmbient(dispID);
    return S_OK;
} catch (...) {
    // The container's value could not be taken: the control keeps what it shows.
    return S_OK;
}

HRESULT STDMETHODCALLTYPE PropertiesCtl::FreezeEvents(BOOL) noexcept { return S_OK; }

// ---- IViewObject2 ----------------------------------------------------------------------------

HRESULT STDMETHODCALLTYPE PropertiesCtl::Draw(DWORD dwDrawAspect, LONG lindex, void*, DVTARGETDEVICE*, HDC,
                                              HDC hdcDraw, LPCRECTL lprcBounds, LPCRECTL,
                                              BOOL(STDMETHODCALLTYPE*)(ULONG_PTR), ULONG_PTR) noexcept {
    CheckThread();
    if (dwDrawAspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    if (lindex != -1) return DV_E_LINDEX;
    if (!hdcDraw || !lprcBounds) return E_INVALIDARG;
    // The toolkit's widgets paint only into their own windows.
    return VIEW_E_DRAW;
}

HRESULT STDMETHODCALLTYPE PropertiesCtl::GetColorSet(DWORD, LONG, void*, DVTARGETDEVICE*, HDC,
                                                     LOGPALETTE** ppColorSet) noexcept {
    if (!ppColorSet) return E_POINTER;
    *ppColorSet = nullptr;
    return S_FALSE;
}

HRESULT STDMETHODCALLTYPE PropertiesCtl::Freeze(DWORD, LONG, void*, DWORD* pdwFreeze) noexcept {
    if (pdwFreeze) *pdwFreeze = 0;
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE PropertiesCtl::Unfreeze(DWORD) noexcept { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE PropertiesCtl::SetAdvise(DWORD, DWORD, IAdviseSink*) noexcept {
    return OLE_E_ADVISENOTSUPPORTED;
}

HRESULT STDMETHODCALLTYPE PropertiesCtl::GetAdvise(DWORD* pAspects, DWORD* pAdvf, IAdviseSink** ppAdvSink) noexcept {
    if (pAspects) *pAspects = 0;
    if (pAdvf) *pAdvf = 0;
    if (ppAdvSink) *ppAdvSink = nullptr;
    return OLE_E_ADVISENOTSUPPORTED;
}

HRESULT STDMETHODCALLTYPE PropertiesCtl::GetExtent(DWORD dwDrawAspect, LONG lindex, DVTARGETDEVICE*,
                                                   LPSIZEL lpsizel) noexcept {
    if (lindex != -1 && dwDrawAspect == DVASPECT_CONTENT) return DV_E_LINDEX;
    return GetExtent(dwDrawAspect, lpsizel);
}

// ---- IProvideClassInfo2 ----------------------------------------------------------------------

HRESULT STDMETHODCALLTYPE PropertiesCtl::GetClassInfo(ITypeInfo** ppTI) noexcept {
    if (!ppTI) return E_POINTER;
    *ppTI = nullptr;
    comrt::ComPtr<ITypeLib> library;
    if (const HRESULT made = comrt::create_typelib(kOrvaneLib, library.put()); FAILED(made)) return made;
    return library->GetTypeInfoOfGuid(CLSID_PropertiesCtl, ppTI);
}

HRESULT STDMETHODCALLTYPE PropertiesCtl::GetGUID(DWORD dwGuidKind, GUID* pGUID) noexcept {
    if (!pGUID) return E_POINTER;
    *pGUID = GUID{};
    if (dwGuidKind != GUIDKIND_DEFAULT_SOURCE_DISP_IID) return E_INVALIDARG;
    *pGUID = IID___PropertiesCtl;
    return S_OK;
}

// ---- IConnectionPointContainer ---------------------------------------------------------------

HRESULT STDMETHODCALLTYPE PropertiesCtl::EnumConnectionPoints(IEnumConnectionPoints** ppEnum) noexcept try {
    CheckThread();
    if (!ppEnum) return E_POINTER;
    *ppEnum = nullptr;
    std::vector<comrt::ComPtr<IConnectionPoint>> points;
    for (const IID* iid : {&IID___PropertiesCtl, &IID_IPropertyNotifySink}) {
        comrt::ComPtr<IConnectionPoint> point;
        comrt::check(FindConnectionPoint(*iid, point.put()));
        points.push_back(std::move(point));
    }
    *ppEnum = comrt::make<ConnectionPointEnumerator>(std::move(points), 0).detach();
    return S_OK;
} catch (...) {
    return comrt::to_hresult();
}

HRESULT STDMETHODCALLTYPE PropertiesCtl::FindConnectionPoint(REFIID riid, IConnectionPoint** ppCP) noexcept try {
    CheckThread();
    if (!ppCP) return E_POINTER;
    *ppCP = nullptr;
    comrt::ComPtr<ConnectionPoint>* point = riid == IID___PropertiesCtl     ? &event_point_
                                            : riid == IID_IPropertyNotifySink ? &notify_point_
                                                                              : nullptr;
    if (!point) return CONNECT_E_NOCONNECTION;
    if (!*point) *point = comrt::make<ConnectionPoint>(riid, static_cast<IConnectionPointContainer*>(this));
    (*point)->AddRef();
    *ppCP = point->get();
    return S_OK;
} catch (...) {
    return comrt::to_hresult();
}

comrt::ComPtr<IOleControlSite> PropertiesCtl::ControlSite() const noexcept {
    return client_site_ ? comrt::ComPtr<IOleClientSite>(client_site_).try_as<IOleControlSite>() : nullptr;
}

void* PropertiesCtl::find_base_interface(REFIID riid) noexcept {
    if (riid == IID_IOleWindow) return static_cast<IOleWindow*>(static_cast<IOleInPlaceObject*>(this));
    if (riid == IID_IPersist) return static_cast<IPersist*>(static_cast<IPersistPropertyBag*>(this));
    if (riid == IID_IViewObject) return static_cast<IViewObject*>(static_cast<IViewObject2*>(this));
    if (riid == IID_IProvideClassInfo) return static_cast<IProvideClassInfo*>(static_cast<IProvideClassInfo2*>(this));
    return nullptr;
}

}  // namespace orvane
