// VARIANT storage: 24 bytes; vt (VARTYPE) at offset 0, three reserved WORDs, the value
// at offset 8 (a VT_DECIMAL fills bytes 0-15 itself, its reserved first word lying under
// vt). vt = base type | optional VT_ARRAY | optional VT_BYREF.
//
// A variant owns what its value points to, unless VT_BYREF is set: a BSTR (VT_BSTR), one
// interface reference (VT_UNKNOWN, VT_DISPATCH), or a SAFEARRAY (VT_ARRAY | type). A
// VT_BYREF variant points at storage of its base type that someone else owns: clearing it
// frees nothing, copying it copies the pointer.
//
// Valid types here: VT_EMPTY and VT_NULL by value only; VT_VARIANT only by reference or
// as an array element type; the other base types up to VT_UINT (except 15) in any of the
// four forms. Everything else (VT_VECTOR, VT_RESERVED, VT_RECORD, VT_VOID and the type
// description types) is DISP_E_BADVARTYPE.
#include <comrt/oleauto.h>

#include <cstring>

#include "value_size.h"

namespace {

constexpr VARTYPE kFlags = VT_ARRAY | VT_BYREF;

bool valid_type(VARTYPE vt) noexcept {
    const VARTYPE flags = vt & ~VT_TYPEMASK;
    if (flags & ~kFlags) return false;
    switch (vt & VT_TYPEMASK) {
        case VT_EMPTY:
        case VT_NULL:
            return flags == 0;
        case VT_VARIANT:
            return flags != 0;
        case VT_BSTR:
        case VT_UNKNOWN:
        case VT_DISPATCH:
            return true;
        default:
            return comrt::detail::plain_value_size(vt & VT_TYPEMASK) != 0;
    }
}

// A new BSTR with the same bytes (odd byte lengths included). A null string copies as a
// new empty one, as the platform copies it.
HRESULT copy_bstr(BSTR s, BSTR& out) noexcept {
    out = SysAllocStringByteLen(reinterpret_cast<LPCSTR>(s), SysStringByteLen(s));
    return out ? S_OK : E_OUTOFMEMORY;
}

// A deep copy of src into out (taken as holding nothing; written on success only).
// A VT_BYREF source copies as the same reference.
HRESULT duplicate(const VARIANT& src, VARIANT& out) noexcept {
    if (!valid_type(src.vt)) return DISP_E_BADVARTYPE;
    VARIANT copy = src;
    HRESULT hr = S_OK;
    if (src.vt & VT_BYREF) {
        // the same reference
    } else if (src.vt & VT_ARRAY) {
        hr = SafeArrayCopy(src.parray, &copy.parray);
    } else if (src.vt == VT_BSTR) {
        hr = copy_bstr(src.bstrVal, copy.bstrVal);
    } else if ((src.vt == VT_UNKNOWN || src.vt == VT_DISPATCH) && src.punkVal) {
        src.punkVal->AddRef();
    }
    if (SUCCEEDED(hr)) out = copy;
    return hr;
}

// A by-value copy of what a VT_BYREF variant points at (written to out on success only).
// A referenced variant that is itself by reference is dereferenced once more, unless it
// refers to yet another variant (E_INVALIDARG).
HRESULT dereference(const VARIANT& src, VARIANT& out) noexcept {
    if (!valid_type(src.vt)) return DISP_E_BADVARTYPE;
    if (!src.byref) return E_INVALIDARG;
    const VARTYPE type = src.vt & ~VT_BYREF;
    if (type == VT_VARIANT) {
        const VARIANT& inner = *src.pvarVal;
        if (inner.vt == (VT_BYREF | VT_VARIANT)) return E_INVALIDARG;
        return (inner.vt & VT_BYREF) ? dereference(inner, out) : duplicate(inner, out);
    }

    VARIANT copy;
    std::memset(&copy, 0, sizeof copy);
    HRESULT hr = S_OK;
    if (type & VT_ARRAY) {
        hr = SafeArrayCopy(*src.pparray, &copy.parray);
    } else if (type == VT_BSTR) {
        hr = copy_bstr(*src.pbstrVal, copy.bstrVal);
    } else if (type == VT_UNKNOWN || type == VT_DISPATCH) {
        copy.punkVal = *src.ppunkVal;
        if (copy.punkVal) copy.punkVal->AddRef();
    } else if (type == VT_DECIMAL) {
        copy.decVal = *src.pdecVal;  // its first word lies under vt, set below
    } else {
        std::memcpy(&copy.llVal, src.byref, comrt::detail::plain_value_size(type));
    }
    if (FAILED(hr)) return hr;
    copy.vt = type;
    out = copy;
    return S_OK;
}

// Clears dest and moves value in; on failure value is cleared instead and dest stays.
HRESULT replace(VARIANT* dest, VARIANT& value) noexcept {
    const HRESULT hr = VariantClear(dest);
    if (FAILED(hr)) {
        VariantClear(&value);
        return hr;
    }
    *dest = value;
    return S_OK;
}

}  // namespace

// VariantInit: sets vt to VT_EMPTY without looking at the old contents.
WINOLEAUTAPI_(void) VariantInit(VARIANTARG* pvarg) {
    if (pvarg) pvarg->vt = VT_EMPTY;
}

// VariantClear: frees what the variant owns (BSTR freed, interface released once, array
// destroyed; nothing for VT_BYREF) and sets vt to VT_EMPTY.
//   Returns S_OK; E_INVALIDARG for null; DISP_E_BADVARTYPE for an invalid vt and
//   DISP_E_ARRAYISLOCKED for a locked array, both leaving the variant as it is.
WINOLEAUTAPI VariantClear(VARIANTARG* pvarg) {
    if (!pvarg) return E_INVALIDARG;
    const VARTYPE vt = pvarg->vt;
    if (!valid_type(vt)) return DISP_E_BADVARTYPE;
    if (vt & VT_BYREF) {
        // someone else's storage
    } else if (vt & VT_ARRAY) {
        const HRESULT hr = SafeArrayDestroy(pvarg->parray);
        if (FAILED(hr)) return hr;
        pvarg->parray = nullptr;
    } else if (vt == VT_BSTR) {
        SysFreeString(pvarg->bstrVal);
        pvarg->bstrVal = nullptr;
    } else if (vt == VT_UNKNOWN || vt == VT_DISPATCH) {
        // Empty before releasing: the release may run code that looks at this variant.
        IUnknown* p = pvarg->punkVal;
        pvarg->punkVal = nullptr;
        pvarg->vt = VT_EMPTY;
        if (p) p->Release();
    }
    pvarg->vt = VT_EMPTY;
    return S_OK;
}

// VariantCopy: clears pvargDest and makes it a deep copy of pvargSrc (a new BSTR, one
// more interface reference, a copied array); a VT_BYREF source copies as the same
// reference. Copying a variant onto itself does nothing.
//   Returns S_OK; E_INVALIDARG for a null argument; DISP_E_BADVARTYPE for an invalid
//   vt in either; DISP_E_ARRAYISLOCKED when the destination holds a locked array;
//   E_OUTOFMEMORY. On failure the destination is left as it was.
WINOLEAUTAPI VariantCopy(VARIANTARG* pvargDest, const VARIANTARG* pvargSrc) {
    if (!pvargDest || !pvargSrc) return E_INVALIDARG;
    if (pvargDest == pvargSrc) return S_OK;
    // Copy before clearing: the source may live inside what the destination owns.
    VARIANT copy;
    const HRESULT hr = duplicate(*pvargSrc, copy);
    if (FAILED(hr)) return hr;
    return replace(pvargDest, copy);
}

// VariantCopyInd: as VariantCopy, but a VT_BYREF source is dereferenced: the copy holds
// (a deep copy of) the value it points at, never a reference. For VT_BYREF | VT_VARIANT
// the referenced variant is copied, dereferencing it once more when it is by reference.
//   Returns S_OK; E_INVALIDARG for a null argument, a null reference, or a referenced
//   variant that is VT_BYREF | VT_VARIANT again; otherwise as VariantCopy. pvarDest may
//   be pvargSrc (dereferenced in place). On failure the destination is left as it was.
WINOLEAUTAPI VariantCopyInd(VARIANT* pvarDest, const VARIANTARG* pvargSrc) {
    if (!pvarDest || !pvargSrc) return E_INVALIDARG;
    if (!(pvargSrc->vt & VT_BYREF)) return VariantCopy(pvarDest, pvargSrc);
    VARIANT copy;
    const HRESULT hr = dereference(*pvargSrc, copy);
    if (FAILED(hr)) return hr;
    return replace(pvarDest, copy);
}
