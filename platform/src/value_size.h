// Storage size of the plain (pointer-free) automation values, shared by the array and
// variant code: what a SAFEARRAY element of that type takes, and how many bytes a
// by-reference variant of that type points at.
#pragma once

#include <comrt/oaidl.h>

namespace comrt::detail {

// Bytes of one value of base type vt (no VT_BYREF / VT_ARRAY bits); 0 when vt is not a
// plain value type (strings, interfaces, variants and everything unsupported).
constexpr ULONG plain_value_size(VARTYPE vt) noexcept {
    switch (vt) {
        case VT_I1:
        case VT_UI1:
            return 1;
        case VT_I2:
        case VT_UI2:
        case VT_BOOL:
            return 2;
        case VT_I4:
        case VT_UI4:
        case VT_INT:
        case VT_UINT:
        case VT_R4:
        case VT_ERROR:
            return 4;
        case VT_I8:
        case VT_UI8:
        case VT_R8:
        case VT_CY:
        case VT_DATE:
            return 8;
        case VT_DECIMAL:
            return sizeof(DECIMAL);
        default:
            return 0;
    }
}

}  // namespace comrt::detail
