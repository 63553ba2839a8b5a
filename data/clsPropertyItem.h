// clsPropertyItem: one property of a group. A plain data holder: name and value text,
// an editor type code and the item's own copy of a choice list.
#pragma once

#include <comrt/com.h>
#include <comrt/dispatch.h>
#include <tessel/tessel.h>

#include "tessel_typelib.h"

namespace tessel {

class clsPropertyItem final
    : public comrt::implements<clsPropertyItem, comrt::dispatch<_clsPropertyItem, kTesselLib>, ISupportErrorInfo> {
public:
    clsPropertyItem() = default;

    // _clsPropertyItem
    HRESULT STDMETHODCALLTYPE get_ItemName(BSTR* result) noexcept override;
    HRESULT STDMETHODCALLTYPE put_ItemName(BSTR value) noexcept override;
    HRESULT STDMETHODCALLTYPE get_ItemValue(BSTR* result) noexcept override;
    HRESULT STDMETHODCALLTYPE put_ItemValue(BSTR value) noexcept override;
    HRESULT STDMETHODCALLTYPE get_ItemType(SHORT* result) noexcept override;
    HRESULT STDMETHODCALLTYPE put_ItemType(SHORT value) noexcept override;
    HRESULT STDMETHODCALLTYPE SetValueCmb(SAFEARRAY** ValuesArray) noexcept override;
    HRESULT STDMETHODCALLTYPE GetItem(SHORT* nIndex, BSTR* result) noexcept override;
    HRESULT STDMETHODCALLTYPE Count(SHORT* result) noexcept override;

    // ISupportErrorInfo
    HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID riid) noexcept override;

private:
    comrt::Bstr ItemName;
    comrt::Bstr ItemValue;
    SHORT ItemType = 0;
    // The choice list: none, or an array of strings in the caller's dimensions and bounds.
    comrt::SafeArrayPtr ItemChoices;
};

}  // namespace tessel
