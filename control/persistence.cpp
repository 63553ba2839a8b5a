// The control's persisted properties through either of the container's channels: a
// property bag (IPersistPropertyBag) or a stream (IPersistStreamInit). Both pass through
// a PropertyStore, so they carry the same values; restoring and saving them are the
// OnReadProperties and OnWriteProperties handlers (appearance.cpp).
//
// A container may load the control before it activates it: what it loads is held and
// restored once the control has its widgets (ActivateInPlace). A control that is
// initialised new instead follows the container's ambient properties (appearance.cpp).
#include <control/PropertiesCtl.h>

#include <control/handler_names.h>
#include <control/persisted_properties.h>

namespace orvane {

HRESULT STDMETHODCALLTYPE PropertiesCtl::GetClassID(CLSID* pClassID) noexcept {
    CheckThread();
    if (!pClassID) return E_POINTER;
    *pClassID = CLSID_PropertiesCtl;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE PropertiesCtl::InitNew() noexcept try {
    CheckThread();
    held_ = nullptr;
    follows_ambient_ = true;
    if (widgets_.surface) ApplyAmbient(DISPID_UNKNOWN);
    return S_OK;
} catch (...) {
    return comrt::to_hresult();
}

HRESULT STDMETHODCALLTYPE PropertiesCtl::IsDirty() noexcept {
    CheckThread();
    return dirty_ ? S_OK : S_FALSE;
}

HRESULT STDMETHODCALLTYPE PropertiesCtl::Load(IPropertyBag* pPropBag, IErrorLog* pErrorLog) noexcept try {
    CheckThread();
    if (!pPropBag) return E_POINTER;
    follows_ambient_ = false;
    if (widgets_.surface) {
        comrt::check(OnReadProperties(*pPropBag, pErrorLog));
        dirty_ = false;
        return S_OK;
    }
    const comrt::ComPtr<PropertyStore> held = comrt::make<PropertyStore>();
    for (const OLECHAR* name : kPersistedProperties) held->CopyFrom(*pPropBag, name, pErrorLog);
    held_ = held;
    return S_OK;
} catch (...) {
    return comrt::to_hresult();
}

HRESULT STDMETHODCALLTYPE PropertiesCtl::Load(LPSTREAM pStm) noexcept try {
    CheckThread();
    if (!pStm) return E_POINTER;
    const comrt::ComPtr<PropertyStore> loaded = comrt::make<PropertyStore>();
    loaded->Deserialize(*pStm);
    follows_ambient_ = false;
    if (widgets_.surface) {
        comrt::check(OnReadProperties(*loaded, nullptr));
        dirty_ = false;
    } else {
        held_ = loaded;
    }
    return S_OK;
} catch (...) {
    return comrt::to_hresult();
}

HRESULT STDMETHODCALLTYPE PropertiesCtl::Save(IPropertyBag* pPropBag, BOOL fClearDirty, BOOL) noexcept try {
    CheckThread();
    if (!pPropBag) return E_POINTER;
    try {
        CurrentProperties()->CopyTo(*pPropBag);
    } catch (...) {
        return ReportHandlerStatus(handler_names::kControlWriteProperties, comrt::to_hresult());
    }
    if (fClearDirty) dirty_ = false;
    return S_OK;
} catch (...) {
    return comrt::to_hresult();
}

HRESULT STDMETHODCALLTYPE PropertiesCtl::Save(LPSTREAM pStm, BOOL fClearDirty) noexcept try {
    CheckThread();
    if (!pStm) return E_POINTER;
    std::vector<std::byte> bytes;
    try {
        bytes = CurrentProperties()->Serialize();
    } catch (...) {
        return ReportHandlerStatus(handler_names::kControlWriteProperties, comrt::to_hresult());
    }
    ULONG written = 0;
    comrt::check(pStm->Write(bytes.data(), static_cast<ULONG>(bytes.size()), &written));
    if (written != bytes.size()) return STG_E_MEDIUMFULL;
    if (fClearDirty) dirty_ = false;
    return S_OK;
} catch (...) {
    return comrt::to_hresult();
}

HRESULT STDMETHODCALLTYPE PropertiesCtl::GetSizeMax(ULARGE_INTEGER* pCbSize) noexcept try {
    CheckThread();
    if (!pCbSize) return E_POINTER;
    pCbSize->QuadPart = 0;
    pCbSize->QuadPart = CurrentProperties()->Serialize().size();
    return S_OK;
} catch (...) {
    return comrt::to_hresult();
}

comrt::ComPtr<PropertyStore> PropertiesCtl::CurrentProperties() {
    if (!widgets_.surface) {
        // Not active yet: what a load gave, unchanged.
        if (!held_) throw comrt::com_error(E_UNEXPECTED);
        return held_;
    }
    const comrt::ComPtr<PropertyStore> current = comrt::make<PropertyStore>();
    comrt::check(OnWriteProperties(*current));
    return current;
}

void PropertiesCtl::RestoreLoadedProperties() noexcept {
    if (const comrt::ComPtr<PropertyStore> held = std::move(held_)) {
        OnReadProperties(*held, nullptr);
        dirty_ = false;
    } else if (follows_ambient_) {
        try {
            ApplyAmbient(DISPID_UNKNOWN);
        } catch (...) {
            ReportHandlerStatus(handler_names::kControlReadProperties, comrt::to_hresult());
        }
    }
}

}  // namespace orvane
