// GUID identity: comparison and the braced text form
// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" (38 characters and a NUL).
#include <comrt/guid.h>

namespace {

constexpr int kGuidTextLength = 38;
constexpr char16_t kHex[] = u"0123456789ABCDEF";

int hex_value(char16_t c) noexcept {
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (c >= u'a' && c <= u'f') return c - u'a' + 10;
    if (c >= u'A' && c <= u'F') return c - u'A' + 10;
    return -1;
}

// Reads `digits` hex digits at text[pos]; false when any is not a hex digit.
bool read_hex(LPCOLESTR text, int pos, int digits, unsigned long long& value) noexcept {
    value = 0;
    for (int i = 0; i < digits; ++i) {
        const int d = hex_value(text[pos + i]);
        if (d < 0) return false;
        value = value * 16 + static_cast<unsigned>(d);
    }
    return true;
}

void write_hex(LPOLESTR out, int& pos, unsigned long long value, int digits) noexcept {
    for (int i = digits - 1; i >= 0; --i) out[pos++] = kHex[(value >> (4 * i)) & 0xF];
}

}  // namespace

STDAPI_(int) StringFromGUID2(REFGUID g, LPOLESTR out, int cchMax) {
    if (!out || cchMax < kGuidTextLength + 1) return 0;
    int pos = 0;
    out[pos++] = u'{';
    write_hex(out, pos, g.Data1, 8);
    out[pos++] = u'-';
    write_hex(out, pos, g.Data2, 4);
    out[pos++] = u'-';
    write_hex(out, pos, g.Data3, 4);
    out[pos++] = u'-';
    write_hex(out, pos, g.Data4[0], 2);
    write_hex(out, pos, g.Data4[1], 2);
    out[pos++] = u'-';
    for (int i = 2; i < 8; ++i) write_hex(out, pos, g.Data4[i], 2);
    out[pos++] = u'}';
    out[pos++] = u'\0';
    return pos;
}

WINOLEAPI CLSIDFromString(LPCOLESTR text, LPCLSID pclsid) {
    if (!pclsid) return E_INVALIDARG;
    *pclsid = GUID_NULL;
    if (!text) return E_INVALIDARG;
    // Braces, dashes and the terminating NUL at their fixed places.
    for (int i = 0; i <= kGuidTextLength; ++i)
        if (text[i] == u'\0' && i < kGuidTextLength) return CO_E_CLASSSTRING;
    if (text[0] != u'{' || text[9] != u'-' || text[14] != u'-' || text[19] != u'-' || text[24] != u'-' ||
        text[37] != u'}' || text[38] != u'\0')
        return CO_E_CLASSSTRING;
    GUID g{};
    unsigned long long v = 0;
    if (!read_hex(text, 1, 8, v)) return CO_E_CLASSSTRING;
    g.Data1 = static_cast<ULONG>(v);
    if (!read_hex(text, 10, 4, v)) return CO_E_CLASSSTRING;
    g.Data2 = static_cast<USHORT>(v);
    if (!read_hex(text, 15, 4, v)) return CO_E_CLASSSTRING;
    g.Data3 = static_cast<USHORT>(v);
    const int byte_pos[8] = {20, 22, 25, 27, 29, 31, 33, 35};
    for (int i = 0; i < 8; ++i) {
        if (!read_hex(text, byte_pos[i], 2, v)) return CO_E_CLASSSTRING;
        g.Data4[i] = static_cast<BYTE>(v);
    }
    *pclsid = g;
    return S_OK;
}
