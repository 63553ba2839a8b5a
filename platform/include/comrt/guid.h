// GUID: 16 bytes, { Data1 (32-bit), Data2 (16-bit), Data3 (16-bit), Data4[8] },
// little-endian fields as on the platform. Text form "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}".
#pragma once

#include <comrt/wintypes.h>

#ifndef _WIN32
struct GUID {
    ULONG Data1;
    USHORT Data2;
    USHORT Data3;
    BYTE Data4[8];

    friend constexpr bool operator==(const GUID& a, const GUID& b) noexcept {
        if (a.Data1 != b.Data1 || a.Data2 != b.Data2 || a.Data3 != b.Data3) return false;
        for (int i = 0; i < 8; ++i)
            if (a.Data4[i] != b.Data4[i]) return false;
        return true;
    }
};
static_assert(sizeof(GUID) == 16);
static_assert(offsetof(GUID, Data2) == 4 && offsetof(GUID, Data3) == 6 && offsetof(GUID, Data4) == 8);

using IID = GUID;
using CLSID = GUID;
using REFGUID = const GUID&;
using REFIID = const IID&;
using REFCLSID = const CLSID&;
using LPGUID = GUID*;
using LPCLSID = CLSID*;

inline constexpr GUID GUID_NULL{};
inline constexpr IID IID_NULL{};

// IsEqualGUID and its aliases; C++ code may use == as well.
inline BOOL IsEqualGUID(REFGUID a, REFGUID b) noexcept { return a == b ? TRUE : FALSE; }
#define IsEqualIID(a, b) IsEqualGUID(a, b)
#define IsEqualCLSID(a, b) IsEqualGUID(a, b)

// Writes the braced text form and its NUL into lpsz; returns the number of characters
// written including the NUL (39), or 0 when cchMax is below 39 or lpsz is null.
STDAPI_(int) StringFromGUID2(REFGUID rguid, LPOLESTR lpsz, int cchMax);

// Parses the braced text form (hex digits in either case). S_OK, or CO_E_CLASSSTRING for
// malformed text (and E_INVALIDARG for a null pointer); *pclsid is GUID_NULL on failure.
// ProgIDs are resolved through the registry by CLSIDFromProgID, not here.
WINOLEAPI CLSIDFromString(LPCOLESTR lpsz, LPCLSID pclsid);
#endif  // !_WIN32

namespace comrt {

// GUID equality where a constant expression needs it (the system's operator== is not
// constexpr).
constexpr bool same_guid(const GUID& a, const GUID& b) noexcept {
    if (a.Data1 != b.Data1 || a.Data2 != b.Data2 || a.Data3 != b.Data3) return false;
    for (int i = 0; i < 8; ++i)
        if (a.Data4[i] != b.Data4[i]) return false;
    return true;
}

namespace detail {
constexpr int hex_digit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    throw "invalid hex digit in GUID literal";  // reached only at compile time
}
constexpr unsigned long long hex_field(const char* s, int digits) {
    unsigned long long v = 0;
    for (int i = 0; i < digits; ++i) v = v * 16 + static_cast<unsigned>(hex_digit(s[i]));
    return v;
}
}  // namespace detail

// make_guid("XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX"), braces optional; meant for constants.
template <std::size_t N>
constexpr GUID make_guid(const char (&text)[N]) {
    const char* s = text;
    if (*s == '{') ++s;
    GUID g{};
    g.Data1 = static_cast<ULONG>(detail::hex_field(s, 8));
    g.Data2 = static_cast<USHORT>(detail::hex_field(s + 9, 4));
    g.Data3 = static_cast<USHORT>(detail::hex_field(s + 14, 4));
    g.Data4[0] = static_cast<BYTE>(detail::hex_field(s + 19, 2));
    g.Data4[1] = static_cast<BYTE>(detail::hex_field(s + 21, 2));
    for (int i = 0; i < 6; ++i) g.Data4[2 + i] = static_cast<BYTE>(detail::hex_field(s + 24 + 2 * i, 2));
    return g;
}

// The interface id of an interface type; specialised next to each declaration by
// COMRT_INTERFACE_ID, and read with comrt::iid_of<I>().
template <typename I>
struct interface_id;

template <typename I>
constexpr const IID& iid_of() noexcept {
    return interface_id<I>::value;
}

}  // namespace comrt

// Declares IID_<Name> and binds it to the interface type Name (at global scope); the
// interface's name (interface_id<Name>::name) is what type descriptions show for it.
#define COMRT_INTERFACE_ID(Name, text)                           \
    inline constexpr IID IID_##Name = ::comrt::make_guid(text);  \
    template <>                                                  \
    struct comrt::interface_id<Name> {                           \
        static constexpr const IID& value = IID_##Name;          \
        static constexpr const OLECHAR* name = OLESTR(#Name);    \
    }

// Binds an interface the system declares (with its IID_<Name>) to its interface id, as
// COMRT_INTERFACE_ID does for the interfaces comrt declares itself (at global scope).
#define COMRT_SYSTEM_INTERFACE_ID(Name)                          \
    template <>                                                  \
    struct comrt::interface_id<Name> {                           \
        static constexpr const IID& value = IID_##Name;          \
        static constexpr const OLECHAR* name = OLESTR(#Name);    \
    }
