// SAFEARRAY storage. One heap block holds a hidden 16-byte header and the descriptor:
//
//   [16-byte header][cDims fFeatures cbElements cLocks pvData][rgsabound[cDims]]
//                   ^ the SAFEARRAY* points here
//
// Header: an interface array (FADF_HAVEIID) keeps its element IID in it; every other array
// (FADF_HAVEVARTYPE) keeps its VARTYPE in the header's last 4 bytes, right before the
// descriptor. fFeatures also says how elements are copied and released: FADF_BSTR,
// FADF_VARIANT, FADF_UNKNOWN / FADF_DISPATCH, or none of them for plain bytes.
//
// Bounds: rgsabound stores the dimensions last first, so rgsabound[cDims - 1] is the
// leftmost dimension, the first bound given to SafeArrayCreate. Element indices (rgIndices)
// come leftmost first, SafeArrayGetLBound / GetUBound count dimensions from 1 = leftmost,
// and in memory the leftmost dimension varies fastest:
//
//   element number = sum over d of (rgIndices[d] - lLbound[d]) * cElements[0] * ... * cElements[d - 1]
//
// pvData is a separate zero-filled block of cbElements * element count bytes (at least
// one byte, so an array without elements still has a data pointer). cLocks counts
// SafeArrayLock / AccessData calls not yet undone; a locked array cannot be destroyed.
//
// Both blocks come from the nothrow operator new (zero-filled here), like every other
// allocation of the library, so that one replaceable allocator sees them all.
#include <comrt/oleauto.h>

#include <climits>
#include <cstdint>
#include <cstring>
#include <new>

#include "value_size.h"

namespace {

constexpr std::size_t kHeaderSize = 16;
constexpr USHORT kPointerFeatures = FADF_BSTR | FADF_UNKNOWN | FADF_DISPATCH;
constexpr USHORT kOwningFeatures = kPointerFeatures | FADF_VARIANT;
constexpr USHORT kAllocationFeatures = FADF_AUTO | FADF_STATIC | FADF_EMBEDDED;
constexpr ULONG kMaxLocks = 0xFFFF;
// The largest data block an array may have: its size is a 32-bit count on the platform.
constexpr std::size_t kMaxDataBytes = UINT32_MAX;

// The descriptor's lock count, changed atomically in place: the descriptor's layout is
// fixed, so cLocks stays a plain ULONG. (These are the compiler's atomic built-ins, the
// operations std::atomic_ref performs, which not every standard library here has.)
class LockCount {
public:
    explicit LockCount(ULONG& count) noexcept : count_(count) {}
    ULONG load() const noexcept { return __atomic_load_n(&count_, __ATOMIC_SEQ_CST); }
    ULONG fetch_add(ULONG n) noexcept { return __atomic_fetch_add(&count_, n, __ATOMIC_SEQ_CST); }
    ULONG fetch_sub(ULONG n) noexcept { return __atomic_fetch_sub(&count_, n, __ATOMIC_SEQ_CST); }
    // On failure `expected` receives the current count.
    bool compare_exchange_weak(ULONG& expected, ULONG desired) noexcept {
        return __atomic_compare_exchange_n(&count_, &expected, desired, true, __ATOMIC_SEQ_CST, __ATOMIC_SEQ_CST);
    }

private:
    ULONG& count_;
};

// How the elements of an array type are stored.
struct ElementKind {
    USHORT features;  // 0: the type is not supported
    ULONG size;
};

ElementKind element_kind(VARTYPE vt) noexcept {
    switch (vt) {
        case VT_BSTR:
            return {FADF_BSTR | FADF_HAVEVARTYPE, sizeof(BSTR)};
        case VT_VARIANT:
            return {FADF_VARIANT | FADF_HAVEVARTYPE, sizeof(VARIANT)};
        case VT_UNKNOWN:
            return {FADF_UNKNOWN | FADF_HAVEIID, sizeof(IUnknown*)};
        case VT_DISPATCH:
            return {FADF_DISPATCH | FADF_HAVEIID, sizeof(IDispatch*)};
        default:
            if (const ULONG size = comrt::detail::plain_value_size(vt)) return {FADF_HAVEVARTYPE, size};
            return {0, 0};
    }
}

template <typename T>
T load(const void* p) noexcept {
    T value;
    std::memcpy(&value, p, sizeof value);
    return value;
}
template <typename T>
void store(void* p, T value) noexcept {
    std::memcpy(p, &value, sizeof value);
}

unsigned char* header_of(SAFEARRAY* psa) noexcept { return reinterpret_cast<unsigned char*>(psa) - kHeaderSize; }
unsigned char* vartype_slot(SAFEARRAY* psa) noexcept { return reinterpret_cast<unsigned char*>(psa) - sizeof(DWORD); }

// A zero-filled block of `bytes` bytes (at least one); null when memory is short.
void* allocate_zeroed(std::size_t bytes) noexcept {
    if (bytes == 0) bytes = 1;
    void* block = ::operator new(bytes, std::nothrow);
    if (block) std::memset(block, 0, bytes);
    return block;
}

// A zeroed descriptor with room for cDims bounds, after its hidden header.
SAFEARRAY* allocate_descriptor(UINT cDims) noexcept {
    const std::size_t size = kHeaderSize + offsetof(SAFEARRAY, rgsabound) + cDims * sizeof(SAFEARRAYBOUND);
    auto* block = static_cast<unsigned char*>(allocate_zeroed(size));
    return block ? reinterpret_cast<SAFEARRAY*>(block + kHeaderSize) : nullptr;
}
void free_descriptor(SAFEARRAY* psa) noexcept { ::operator delete(header_of(psa)); }

// The bound of dimension d counted from the left (0 = the first bound given at creation).
const SAFEARRAYBOUND& bound(const SAFEARRAY* psa, UINT d) noexcept {
    const SAFEARRAYBOUND* bounds = psa->rgsabound;
    return bounds[psa->cDims - 1 - d];
}

// Number of elements; false when the product overflows. A dimension without elements
// makes the count 0 whatever the others hold, in any order.
bool element_count(const SAFEARRAY* psa, std::size_t& count) noexcept {
    count = 1;
    for (UINT d = 0; d < psa->cDims; ++d)
        if (bound(psa, d).cElements == 0) {
            count = 0;
            return true;
        }
    for (UINT d = 0; d < psa->cDims; ++d)
        if (__builtin_mul_overflow(count, bound(psa, d).cElements, &count)) return false;
    return true;
}

// True when cbElements matches what the element features say the elements are.
bool consistent(const SAFEARRAY* psa) noexcept {
    if (psa->cDims == 0 || psa->cbElements == 0) return false;
    if (psa->fFeatures & FADF_VARIANT) return psa->cbElements == sizeof(VARIANT);
    if (psa->fFeatures & kPointerFeatures) return psa->cbElements == sizeof(void*);
    return true;
}

// The element at rgIndices (leftmost dimension first). DISP_E_BADINDEX when an index lies
// outside its dimension, E_INVALIDARG for a descriptor without usable data.
HRESULT locate(const SAFEARRAY* psa, const LONG* rgIndices, unsigned char*& element) noexcept {
    if (!consistent(psa)) return E_INVALIDARG;
    std::size_t index = 0;
    std::size_t stride = 1;
    for (UINT d = 0; d < psa->cDims; ++d) {
        const SAFEARRAYBOUND& b = bound(psa, d);
        const std::int64_t position = std::int64_t{rgIndices[d]} - b.lLbound;
        if (position < 0 || position >= std::int64_t{b.cElements}) return DISP_E_BADINDEX;
        std::size_t step = 0;
        if (__builtin_mul_overflow(static_cast<std::size_t>(position), stride, &step) ||
            __builtin_add_overflow(index, step, &index) || __builtin_mul_overflow(stride, b.cElements, &stride))
            return DISP_E_BADINDEX;
    }
    std::size_t offset = 0;
    if (__builtin_mul_overflow(index, psa->cbElements, &offset)) return DISP_E_BADINDEX;
    if (!psa->pvData) return E_INVALIDARG;
    element = static_cast<unsigned char*>(psa->pvData) + offset;
    return S_OK;
}

// Copies the element at src into dest with the array's element semantics: a new string
// (same byte length), a deep-copied variant, one more reference, or plain bytes. dest is
// taken as holding nothing, and is written only on success.
HRESULT copy_element(USHORT features, ULONG size, void* dest, const void* src) noexcept {
    if (features & FADF_BSTR) {
        const BSTR s = load<BSTR>(src);
        BSTR copy = nullptr;
        if (s && !(copy = SysAllocStringByteLen(reinterpret_cast<LPCSTR>(s), SysStringByteLen(s))))
            return E_OUTOFMEMORY;
        store(dest, copy);
    } else if (features & FADF_VARIANT) {
        VARIANT copy;
        VariantInit(&copy);
        const HRESULT hr = VariantCopy(&copy, static_cast<const VARIANT*>(src));
        if (FAILED(hr)) return hr;
        store(dest, copy);
    } else if (features & (FADF_UNKNOWN | FADF_DISPATCH)) {
        IUnknown* p = load<IUnknown*>(src);
        if (p) p->AddRef();
        store(dest, p);
    } else {
        std::memcpy(dest, src, size);
    }
    return S_OK;
}

// Frees what the element holds and leaves it empty. Fails only for a variant that cannot
// be cleared, which then stays as it was.
HRESULT clear_element(USHORT features, void* element) noexcept {
    if (features & FADF_BSTR) {
        SysFreeString(load<BSTR>(element));
        store<BSTR>(element, nullptr);
    } else if (features & FADF_VARIANT) {
        return VariantClear(static_cast<VARIANT*>(element));
    } else if (features & (FADF_UNKNOWN | FADF_DISPATCH)) {
        IUnknown* p = load<IUnknown*>(element);
        store<IUnknown*>(element, nullptr);
        if (p) p->Release();
    }
    return S_OK;
}

// Frees every element and the data block. An element variant that cannot be cleared (it
// holds a locked array) is skipped: what it holds is left alive rather than freed under
// its lock.
void destroy_data(SAFEARRAY* psa) noexcept {
    std::size_t count = 0;
    if (psa->pvData && (psa->fFeatures & kOwningFeatures) && consistent(psa) && element_count(psa, count)) {
        auto* data = static_cast<unsigned char*>(psa->pvData);
        for (std::size_t i = 0; i < count; ++i) clear_element(psa->fFeatures, data + i * psa->cbElements);
    }
    ::operator delete(psa->pvData);
    psa->pvData = nullptr;
}

HRESULT get_bound(SAFEARRAY* psa, UINT nDim, LONG* out, bool upper) noexcept {
    if (!psa || !out) return E_INVALIDARG;
    if (nDim == 0 || nDim > psa->cDims) return DISP_E_BADINDEX;
    const SAFEARRAYBOUND& b = bound(psa, nDim - 1);
    *out = upper ? static_cast<LONG>(std::int64_t{b.lLbound} + b.cElements - 1) : b.lLbound;
    return S_OK;
}

}  // namespace

// SafeArrayCreate: a new array of cDims dimensions, every element zero (empty strings,
// VT_EMPTY variants, null interfaces).
//   vt: VT_BSTR, VT_VARIANT, VT_UNKNOWN, VT_DISPATCH, or a plain type (VT_I1, VT_UI1, VT_I2,
//       VT_UI2, VT_I4, VT_UI4, VT_INT, VT_UINT, VT_I8, VT_UI8, VT_R4, VT_R8, VT_CY,
//       VT_DATE, VT_BOOL, VT_ERROR, VT_DECIMAL).
//   rgsabound: cDims bounds, leftmost dimension first; a dimension may have no elements.
//   Returns the array (unlocked); null when vt is not supported, cDims is 0 or above 65535,
//   rgsabound is null, an upper bound (lLbound + cElements - 1) does not fit a LONG, the
//   data would not fit a 32-bit byte count (as on the platform, whose arrays keep their
//   size in a ULONG), or memory is short.
WINOLEAUTAPI_(SAFEARRAY*) SafeArrayCreate(VARTYPE vt, UINT cDims, SAFEARRAYBOUND* rgsabound) {
    if (!rgsabound || cDims == 0 || cDims > USHRT_MAX) return nullptr;
    const ElementKind kind = element_kind(vt);
    if (!kind.features) return nullptr;
    // The data's size: an array with a dimension without elements has none, whatever the
    // other dimensions hold and in whichever order they come.
    std::size_t bytes = kind.size;
    bool empty = false;
    for (UINT d = 0; d < cDims; ++d) {
        const std::int64_t upper = std::int64_t{rgsabound[d].lLbound} + rgsabound[d].cElements - 1;
        if (upper < INT32_MIN || upper > INT32_MAX) return nullptr;
        empty = empty || rgsabound[d].cElements == 0;
    }
    for (UINT d = 0; d < cDims && !empty; ++d)
        if (__builtin_mul_overflow(bytes, rgsabound[d].cElements, &bytes)) return nullptr;
    if (empty) bytes = 0;
    if (bytes > kMaxDataBytes) return nullptr;
    SAFEARRAY* psa = allocate_descriptor(cDims);
    if (!psa) return nullptr;
    psa->pvData = allocate_zeroed(bytes);
    if (!psa->pvData) {
        free_descriptor(psa);
        return nullptr;
    }
    psa->cDims = static_cast<USHORT>(cDims);
    psa->fFeatures = kind.features;
    psa->cbElements = kind.size;
    psa->cLocks = 0;
    SAFEARRAYBOUND* bounds = psa->rgsabound;
    for (UINT d = 0; d < cDims; ++d) bounds[cDims - 1 - d] = rgsabound[d];
    if (kind.features & FADF_HAVEIID)
        store(header_of(psa), vt == VT_DISPATCH ? IID_IDispatch : IID_IUnknown);
    else
        store<DWORD>(vartype_slot(psa), vt);
    return psa;
}

// SafeArrayCreateVector: a one-dimensional array of cElements elements from lLbound;
// otherwise as SafeArrayCreate.
WINOLEAUTAPI_(SAFEARRAY*) SafeArrayCreateVector(VARTYPE vt, LONG lLbound, ULONG cElements) {
    SAFEARRAYBOUND b{cElements, lLbound};
    return SafeArrayCreate(vt, 1, &b);
}

// SafeArrayDestroy: frees every element (strings freed, variants cleared, interfaces
// released), the data and the descriptor.
//   psa: an array from SafeArrayCreate, SafeArrayCreateVector or SafeArrayCopy, or null.
//   Returns S_OK (also for null); DISP_E_ARRAYISLOCKED, changing nothing, when it is locked.
WINOLEAUTAPI SafeArrayDestroy(SAFEARRAY* psa) {
    if (!psa) return S_OK;
    if (LockCount(psa->cLocks).load() != 0) return DISP_E_ARRAYISLOCKED;
    destroy_data(psa);
    free_descriptor(psa);
    return S_OK;
}

// SafeArrayCopy: a deep copy: same type, features, dimensions and bounds; strings and
// variants copied, interfaces with one more reference. The copy is not locked.
//   ppsaOut: out, the copy; set to null first.
//   Returns S_OK (a null psa copies as null); E_INVALIDARG for a null ppsaOut or an
//   unusable descriptor; E_OUTOFMEMORY, or the failure of a variant element's copy, with
//   everything copied so far freed again.
WINOLEAUTAPI SafeArrayCopy(SAFEARRAY* psa, SAFEARRAY** ppsaOut) {
    if (!ppsaOut) return E_INVALIDARG;
    *ppsaOut = nullptr;
    if (!psa) return S_OK;
    std::size_t count = 0;
    std::size_t bytes = 0;
    if (!consistent(psa) || !element_count(psa, count) || __builtin_mul_overflow(count, psa->cbElements, &bytes) ||
        (count && !psa->pvData))
        return E_INVALIDARG;

    SAFEARRAY* copy = allocate_descriptor(psa->cDims);
    if (!copy) return E_OUTOFMEMORY;
    if (psa->fFeatures & (FADF_HAVEIID | FADF_HAVEVARTYPE)) std::memcpy(header_of(copy), header_of(psa), kHeaderSize);
    copy->cDims = psa->cDims;
    copy->fFeatures = psa->fFeatures & ~kAllocationFeatures;
    copy->cbElements = psa->cbElements;
    copy->cLocks = 0;
    std::memcpy(static_cast<void*>(copy->rgsabound), psa->rgsabound, psa->cDims * sizeof(SAFEARRAYBOUND));
    copy->pvData = allocate_zeroed(bytes);
    if (!copy->pvData) {
        free_descriptor(copy);
        return E_OUTOFMEMORY;
    }

    if (!(psa->fFeatures & kOwningFeatures)) {
        if (bytes) std::memcpy(copy->pvData, psa->pvData, bytes);
    } else {
        const auto* from = static_cast<const unsigned char*>(psa->pvData);
        auto* to = static_cast<unsigned char*>(copy->pvData);
        for (std::size_t i = 0; i < count; ++i) {
            const std::size_t offset = i * psa->cbElements;
            const HRESULT hr = copy_element(psa->fFeatures, psa->cbElements, to + offset, from + offset);
            if (FAILED(hr)) {
                // Elements not yet copied are still zero: empty to the destroy.
                SafeArrayDestroy(copy);
                return hr;
            }
        }
    }
    *ppsaOut = copy;
    return S_OK;
}

// SafeArrayGetDim: the number of dimensions; 0 for null.
WINOLEAUTAPI_(UINT) SafeArrayGetDim(SAFEARRAY* psa) { return psa ? psa->cDims : 0; }

// SafeArrayGetLBound / SafeArrayGetUBound: the lower / upper bound of dimension nDim,
// counted from 1 = the leftmost. The upper bound of a dimension without elements is
// its lower bound - 1.
//   Returns S_OK; E_INVALIDARG for a null argument; DISP_E_BADINDEX when nDim is 0 or
//   above the number of dimensions. *pl is written only on success.
WINOLEAUTAPI SafeArrayGetLBound(SAFEARRAY* psa, UINT nDim, LONG* plLbound) {
    return get_bound(psa, nDim, plLbound, false);
}
WINOLEAUTAPI SafeArrayGetUBound(SAFEARRAY* psa, UINT nDim, LONG* plUbound) {
    return get_bound(psa, nDim, plUbound, true);
}

// SafeArrayGetElement: copies the element at rgIndices (leftmost dimension first) out to
// pv: a new BSTR, a deep copy into a VARIANT taken as uninitialised, an interface pointer
// with one more reference, or the plain value.
//   Returns S_OK; E_INVALIDARG for a null argument; DISP_E_BADINDEX for an index outside
//   its bounds; E_OUTOFMEMORY or the variant copy's failure. *pv is written only on success.
WINOLEAUTAPI SafeArrayGetElement(SAFEARRAY* psa, LONG* rgIndices, void* pv) {
    if (!psa || !rgIndices || !pv) return E_INVALIDARG;
    unsigned char* element = nullptr;
    HRESULT hr = locate(psa, rgIndices, element);
    if (FAILED(hr)) return hr;
    hr = SafeArrayLock(psa);
    if (FAILED(hr)) return hr;
    hr = copy_element(psa->fFeatures, psa->cbElements, pv, element);
    SafeArrayUnlock(psa);
    return hr;
}

// SafeArrayPutElement: stores a copy of a value at rgIndices, freeing the element's old
// value. Works on a locked array.
//   pv: a BSTR, IUnknown* or IDispatch* itself for arrays of those (null allowed);
//       a VARIANT* or a pointer to the plain value otherwise.
//   Returns S_OK; E_INVALIDARG for a null argument; DISP_E_BADINDEX for an index outside
//   its bounds; E_OUTOFMEMORY or the variant copy's failure, with the element unchanged.
WINOLEAUTAPI SafeArrayPutElement(SAFEARRAY* psa, LONG* rgIndices, void* pv) {
    if (!psa || !rgIndices) return E_INVALIDARG;
    const USHORT features = psa->fFeatures;
    const bool by_pointer = (features & kPointerFeatures) != 0;
    if (!pv && !by_pointer) return E_INVALIDARG;
    unsigned char* element = nullptr;
    HRESULT hr = locate(psa, rgIndices, element);
    if (FAILED(hr)) return hr;
    hr = SafeArrayLock(psa);
    if (FAILED(hr)) return hr;

    // A null string is stored as a new empty one, as the platform stores it.
    BSTR empty = nullptr;
    if ((features & FADF_BSTR) && !pv) {
        empty = SysAllocStringLen(nullptr, 0);
        if (!empty) {
            SafeArrayUnlock(psa);
            return E_OUTOFMEMORY;
        }
        pv = empty;
    }
    const void* value = by_pointer ? static_cast<const void*>(&pv) : pv;
    if (!(features & kOwningFeatures)) {
        std::memcpy(element, value, psa->cbElements);
    } else {
        // Copy first: pv may be, or point into, the element being replaced.
        alignas(VARIANT) unsigned char fresh[sizeof(VARIANT)];
        hr = copy_element(features, psa->cbElements, fresh, value);
        if (SUCCEEDED(hr)) {
            hr = clear_element(features, element);
            if (SUCCEEDED(hr))
                std::memcpy(element, fresh, psa->cbElements);
            else
                clear_element(features, fresh);
        }
    }
    SysFreeString(empty);
    SafeArrayUnlock(psa);
    return hr;
}

// SafeArrayAccessData: locks the array and hands out its data pointer.
//   ppvData: out, psa->pvData; null on failure.
//   Returns S_OK; E_INVALIDARG for a null argument; E_UNEXPECTED when the lock count is
//   at its limit (65535).
WINOLEAUTAPI SafeArrayAccessData(SAFEARRAY* psa, void** ppvData) {
    if (!ppvData) return E_INVALIDARG;
    *ppvData = nullptr;
    if (!psa) return E_INVALIDARG;
    const HRESULT hr = SafeArrayLock(psa);
    if (FAILED(hr)) return hr;
    *ppvData = psa->pvData;
    return S_OK;
}

// SafeArrayUnaccessData: undoes one SafeArrayAccessData (as SafeArrayUnlock).
WINOLEAUTAPI SafeArrayUnaccessData(SAFEARRAY* psa) { return SafeArrayUnlock(psa); }

// SafeArrayLock: adds one lock; calls nest.
//   Returns S_OK; E_INVALIDARG for null; E_UNEXPECTED when 65535 locks are held.
WINOLEAUTAPI SafeArrayLock(SAFEARRAY* psa) {
    if (!psa) return E_INVALIDARG;
    LockCount locks(psa->cLocks);
    if (locks.fetch_add(1) >= kMaxLocks) {
        locks.fetch_sub(1);
        return E_UNEXPECTED;
    }
    return S_OK;
}

// SafeArrayUnlock: removes one lock.
//   Returns S_OK; E_INVALIDARG for null; E_UNEXPECTED, changing nothing, when the array
//   is not locked.
WINOLEAUTAPI SafeArrayUnlock(SAFEARRAY* psa) {
    if (!psa) return E_INVALIDARG;
    LockCount locks(psa->cLocks);
    ULONG held = locks.load();
    do {
        if (held == 0) return E_UNEXPECTED;
    } while (!locks.compare_exchange_weak(held, held - 1));
    return S_OK;
}

// SafeArrayGetVartype: the element type the array was created with.
//   Returns S_OK; E_INVALIDARG for a null argument or a descriptor that records no type.
//   *pvt is written only on success.
WINOLEAUTAPI SafeArrayGetVartype(SAFEARRAY* psa, VARTYPE* pvt) {
    if (!psa || !pvt) return E_INVALIDARG;
    const USHORT features = psa->fFeatures;
    if (features & FADF_HAVEVARTYPE)
        *pvt = static_cast<VARTYPE>(load<DWORD>(vartype_slot(psa)));
    else if (features & FADF_DISPATCH)
        *pvt = VT_DISPATCH;
    else if (features & FADF_UNKNOWN)
        *pvt = VT_UNKNOWN;
    else if (features & FADF_BSTR)
        *pvt = VT_BSTR;
    else if (features & FADF_VARIANT)
        *pvt = VT_VARIANT;
    else
        return E_INVALIDARG;
    return S_OK;
}
