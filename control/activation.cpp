// In-place activation and persistence: how a container embeds the control (orvane.h).
//
// Activate makes the widgets with the library's toolkit and sites the control on them;
// Initialize, Resize (from the surface, on SetObjectRects) and Terminate then run as the
// container's events always have, each failure reported to the site's error sink. Load
// and Save go through the container's property bag.
#include <control/PropertiesCtl.h>

#include <control/handler_names.h>

namespace orvane {

HRESULT STDMETHODCALLTYPE PropertiesCtl::Activate(IUnknown* pSite, HWND hwndParent, LPCRECT lprcPosRect) noexcept try {
    CheckThread();
    if (!lprcPosRect) return E_INVALIDARG;
    if (activated_ || widgets_.surface) return E_UNEXPECTED;
    if (!create_widgets_) return E_NOTIMPL;
    const widgets::WidgetSet made = create_widgets_(hwndParent, *lprcPosRect);
    activated_ = true;
    if (const HRESULT sited = Site(made, pSite); FAILED(sited)) {
        // Nobody else holds the window: it goes with the failure.
        if (made.surface) made.surface->Destroy();
        return sited;
    }
    // A failing Initialize handler went to the error sink; the control runs on.
    sinks_.surface.Initialize();
    return S_OK;
} catch (...) {
    return comrt::to_hresult();
}

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
    // A failing Terminate handler went to the error sink; the window goes all the same.
    sinks_.surface.Terminate();
    Unsite();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE PropertiesCtl::UIDeactivate() noexcept { return S_OK; }

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

HRESULT STDMETHODCALLTYPE PropertiesCtl::GetClassID(CLSID* pClassID) noexcept {
    CheckThread();
    if (!pClassID) return E_POINTER;
    *pClassID = CLSID_PropertiesCtl;
    return S_OK;
}

// A new control keeps its design-time appearance: nothing to restore.
HRESULT STDMETHODCALLTYPE PropertiesCtl::InitNew() noexcept { return S_OK; }

HRESULT STDMETHODCALLTYPE PropertiesCtl::Load(IPropertyBag* pPropBag, IErrorLog* pErrorLog) noexcept {
    CheckThread();
    if (!pPropBag) return E_POINTER;
    if (!widgets_.surface) return E_UNEXPECTED;
    return OnReadProperties(*pPropBag, pErrorLog);
}

HRESULT STDMETHODCALLTYPE PropertiesCtl::Save(IPropertyBag* pPropBag, BOOL, BOOL) noexcept {
    CheckThread();
    if (!pPropBag) return E_POINTER;
    return ReportHandlerStatus(handler_names::kControlWriteProperties, OnWriteProperties(*pPropBag));
}

}  // namespace orvane
