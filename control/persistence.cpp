// The control's persisted properties through the container's property bag: BackColor,
// ForeColor and Font (OnReadProperties, OnWriteProperties in appearance.cpp).
#include <control/PropertiesCtl.h>

#include <control/handler_names.h>

namespace orvane {

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
