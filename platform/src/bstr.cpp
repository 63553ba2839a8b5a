// BSTR storage. One heap block per string:
//
//   [ULONG byte length n][n bytes of char16_t text][zero padding, at least one char16_t NUL]
//                        ^ the BSTR points here
//
// The length counts bytes, not characters, and the text may hold embedded NULs, so
// readers take the length from the prefix, never from a terminator. An odd n (from
// SysAllocStringByteLen) is kept as it is: SysStringLen is then n / 2, two zero bytes
// follow the data, and the padding still ends on a whole char16_t NUL. Text given as
// null reads as NULs; text given is copied into a block that is not zero-filled first
// (only the padding after it is zeroed). A null BSTR is the empty string to every reader.
//
// Blocks come from the nothrow operator new, like every other allocation of the
// library, so that one replaceable allocator sees them all (a test can make any of them
// fail).
#include <comrt/oleauto.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <new>
#include <string>

namespace {

constexpr std::size_t kPrefixSize = sizeof(ULONG);

unsigned char* block_of(BSTR s) noexcept { return reinterpret_cast<unsigned char*>(s) - kPrefixSize; }

ULONG byte_length(BSTR s) noexcept {
    ULONG n;
    std::memcpy(&n, block_of(s), sizeof n);
    return n;
}

// A string of `bytes` bytes whose data the caller fills; everything after the data is
// zeroed already. Null when the length does not fit the 32-bit prefix or memory is short.
// Rounding the data up to whole char16_t units and adding one more unit gives two zero
// bytes after the data and a whole NUL at the end.
BSTR allocate(std::uint64_t bytes) noexcept {
    if (bytes > UINT32_MAX || bytes > SIZE_MAX - kPrefixSize - 2 * sizeof(OLECHAR)) return nullptr;
    const auto data = static_cast<std::size_t>(bytes);
    const std::size_t padded = (data + 1) & ~std::size_t{1};
    auto* block = static_cast<unsigned char*>(::operator new(kPrefixSize + padded + sizeof(OLECHAR), std::nothrow));
    if (!block) return nullptr;
    const ULONG length = static_cast<ULONG>(bytes);
    std::memcpy(block, &length, sizeof length);
    std::memset(block + kPrefixSize + data, 0, padded - data + sizeof(OLECHAR));
    return reinterpret_cast<BSTR>(block + kPrefixSize);
}

// Fills the data of a new string: a copy of `bytes` bytes of source, or zeros for null.
void fill(BSTR s, const void* source, std::size_t bytes) noexcept {
    if (source)
        std::memcpy(s, source, bytes);
    else
        std::memset(s, 0, bytes);
}

}  // namespace

// SysAllocString: a new BSTR holding psz up to its first NUL.
//   psz: NUL-terminated text, or null.
//   Returns the string; null when psz is null, the text is too long for a BSTR, or memory
//   is short.
WINOLEAUTAPI_(BSTR) SysAllocString(const OLECHAR* psz) {
    if (!psz) return nullptr;
    const std::size_t length = std::char_traits<OLECHAR>::length(psz);
    if (length > UINT32_MAX) return nullptr;
    return SysAllocStringLen(psz, static_cast<UINT>(length));
}

// SysAllocStringLen: a new BSTR of ui code units copied from strIn (NULs included).
//   strIn: ui code units to copy, or null for ui zero code units.
//   Returns the string; null when 2 * ui does not fit 32 bits or memory is short.
WINOLEAUTAPI_(BSTR) SysAllocStringLen(const OLECHAR* strIn, UINT ui) {
    const std::uint64_t bytes = std::uint64_t{ui} * sizeof(OLECHAR);
    BSTR s = allocate(bytes);
    if (s) fill(s, strIn, static_cast<std::size_t>(bytes));
    return s;
}

// SysAllocStringByteLen: a new BSTR of len bytes copied from psz; an odd len is kept.
//   psz: len bytes to copy, or null for len zero bytes.
//   Returns the string (two zero bytes follow the data); null when memory is short.
WINOLEAUTAPI_(BSTR) SysAllocStringByteLen(LPCSTR psz, UINT len) {
    BSTR s = allocate(len);
    if (s) fill(s, psz, len);
    return s;
}

// SysFreeString: frees a string from the Sys*Alloc* functions; null does nothing.
WINOLEAUTAPI_(void) SysFreeString(BSTR bstrString) {
    if (bstrString) ::operator delete(block_of(bstrString));
}

// SysStringLen: the length in code units (byte length / 2); 0 for null.
WINOLEAUTAPI_(UINT) SysStringLen(BSTR pbstr) { return pbstr ? byte_length(pbstr) / sizeof(OLECHAR) : 0; }

// SysStringByteLen: the length in bytes; 0 for null.
WINOLEAUTAPI_(UINT) SysStringByteLen(BSTR bstr) { return bstr ? byte_length(bstr) : 0; }
