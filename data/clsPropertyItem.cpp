// clsPropertyItem: accessors, the choice list (SetValueCmb, GetItem, Count).
//
// The choice list is held as the item's own SAFEARRAY of BSTR, in the caller's number
// of dimensions and bounds. Holding no array (null) is distinct from holding an array
// without elements.
#include "clsPropertyItem.h"

#include <limits>

namespace tessel {

namespace {

constexpr const char16_t* kSource = u"Tessel";

[[noreturn]] void Raise(comrt::runtime_error e) { comrt::raise(e, kSource); }

}  // namespace

// ---- ItemName, ItemValue, ItemType ---------------------------------------------------

HRESULT STDMETHODCALLTYPE clsPropertyItem::get_ItemName(BSTR* result) noexcept try {
    if (!result) return E_POINTER;
    *result = ItemName.copy();
    return S_OK;
} catch (...) {
    return comrt::to_hresult();
}

HRESULT STDMETHODCALLTYPE clsPropertyItem::put_ItemName(BSTR value) noexcept try {
    ItemName = comrt::Bstr::copy_of(value);
    return S_OK;
} catch (...) {
    return comrt::to_hresult();
}

HRESULT STDMETHODCALLTYPE clsPropertyItem::get_ItemValue(BSTR* result) noexcept try {
    if (!result) return E_POINTER;
    *result = ItemValue.copy();
    return S_OK;
} catch (...) {
    return comrt::to_hresult();
}

HRESULT STDMETHODCALLTYPE clsPropertyItem::put_ItemValue(BSTR value) noexcept try {
    ItemValue = comrt::Bstr::copy_of(value);
    return S_OK;
} catch (...) {
    return comrt::to_hresult();
}

HRESULT STDMETHODCALLTYPE clsPropertyItem::get_ItemType(SHORT* result) noexcept {
    if (!result) return E_POINTER;
    *result = ItemType;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE clsPropertyItem::put_ItemType(SHORT value) noexcept {
    ItemType = value;
    return S_OK;
}

// ---- the choice list -------------------------------------------------------------------

// Copies first and swaps afterwards, so a copy that fails (out of memory) leaves the
// list held before in place.
HRESULT STDMETHODCALLTYPE clsPropertyItem::SetValueCmb(SAFEARRAY** ValuesArray) noexcept try {
    if (!ValuesArray) return E_POINTER;
    SAFEARRAY* source = *ValuesArray;
    comrt::SafeArrayPtr copy;
    if (source) {
        // Only an array of strings is a choice list; anything else would be read as
        // strings by GetItem.
        VARTYPE vt = VT_EMPTY;
        if (FAILED(SafeArrayGetVartype(source, &vt)) || vt != VT_BSTR) Raise(comrt::runtime_error::type_mismatch);
        comrt::check(SafeArrayCopy(source, copy.put()));
    }
    ItemChoices = std::move(copy);
    return S_OK;
} catch (...) {
    return comrt::to_hresult();
}

HRESULT STDMETHODCALLTYPE clsPropertyItem::GetItem(SHORT* nIndex, BSTR* result) noexcept try {
    if (!nIndex || !result) return E_POINTER;
    *result = nullptr;
    SAFEARRAY* list = ItemChoices.get();
    if (!list || SafeArrayGetDim(list) != 1) Raise(comrt::runtime_error::subscript_out_of_range);
    LONG lower = 0;
    LONG upper = 0;
    if (FAILED(SafeArrayGetLBound(list, 1, &lower)) || FAILED(SafeArrayGetUBound(list, 1, &upper)))
        Raise(comrt::runtime_error::subscript_out_of_range);
    LONG index = *nIndex;
    if (index < lower || index > upper) Raise(comrt::runtime_error::subscript_out_of_range);
    comrt::Bstr text;
    comrt::check(SafeArrayGetElement(list, &index, text.put()));
    *result = text.detach();
    return S_OK;
} catch (...) {
    return comrt::to_hresult();
}

HRESULT STDMETHODCALLTYPE clsPropertyItem::Count(SHORT* result) noexcept try {
    if (!result) return E_POINTER;
    *result = 0;
    SAFEARRAY* list = ItemChoices.get();
    LONG upper = 0;
    if (!list || FAILED(SafeArrayGetUBound(list, 1, &upper))) Raise(comrt::runtime_error::subscript_out_of_range);
    if (upper < std::numeric_limits<SHORT>::min() || upper > std::numeric_limits<SHORT>::max())
        Raise(comrt::runtime_error::overflow);
    *result = static_cast<SHORT>(upper);
    return S_OK;
} catch (...) {
    return comrt::to_hresult();
}

// ---- ISupportErrorInfo -------------------------------------------------------------------

HRESULT STDMETHODCALLTYPE clsPropertyItem::InterfaceSupportsErrorInfo(REFIID riid) noexcept {
    return riid == IID__clsPropertyItem ? S_OK : S_FALSE;
}

}  // namespace tessel
