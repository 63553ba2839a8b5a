// The object collection: an ordered list of VARIANT elements at 1-based positions.
//
// Layout: a std::deque<VARIANT>; position p lives at items_[p - 1]. Each element is owned
// by the collection (an object is held by one counted reference, a string or array by its
// own copy). The deque gives O(1) reading by position and O(1) amortised removal at
// either end; removal in the middle moves the shorter side.
//
// Keys, and Before/After positions in Add, are not used by this system: a call that gives
// one fails with error 5 and changes nothing. A string index is a key lookup, so it fails
// the same way.
#include <comrt/collection.h>

#include <algorithm>
#include <cstddef>
#include <deque>
#include <limits>

#include <comrt/apartment.h>
#include <comrt/com_ptr.h>
#include <comrt/dispatch.h>
#include <comrt/error.h>
#include <comrt/implements.h>
#include <comrt/oleauto.h>
#include <comrt/resource.h>

#include "collection_enum.h"
#include "comrt_typelib.h"

namespace comrt {
namespace {

constexpr const OLECHAR* kSource = OLESTR("Comrt");
// The name a call from another thread is reported with (comrt/apartment.h).
constexpr const OLECHAR* kClassName = OLESTR("Collection");
constexpr std::size_t kMaxCount = static_cast<std::size_t>(std::numeric_limits<LONG>::max());

// An optional argument is missing when it is null or VT_ERROR / DISP_E_PARAMNOTFOUND.
bool is_missing(const VARIANT* arg) noexcept {
    return !arg || (V_VT(arg) == VT_ERROR && V_ERROR(arg) == DISP_E_PARAMNOTFOUND);
}

// The 1-based position an index names. VT_I4 and VT_I2 are read directly; a string is a
// key (error 5); anything else, by reference or not, converts to VT_I4, with error 6 when
// the value leaves the 32-bit range and error 13 when it has no numeric value.
LONG position_of(const VARIANT& index) {
    switch (V_VT(&index)) {
    case VT_I4:
        return V_I4(&index);
    case VT_I2:
        return V_I2(&index);
    default:
        break;
    }
    Variant direct;
    check(VariantCopyInd(direct.get(), &index));
    if (direct.vt() == VT_BSTR) raise(runtime_error::invalid_procedure_call, kSource);
    Variant number;
    const HRESULT hr = VariantChangeType(number.get(), direct.get(), 0, VT_I4);
    if (hr == DISP_E_OVERFLOW) raise(runtime_error::overflow, kSource);
    if (hr == DISP_E_TYPEMISMATCH) raise(runtime_error::type_mismatch, kSource);
    check(hr);
    return V_I4(number.get());
}

// IDispatch comes from the type description of the Comrt library.
class Collection final
    : public implements<Collection, dispatch<_Collection, kComrtLib>, ISupportErrorInfo, ICollectionElements> {
public:
    // Apartment-threaded, like its owner (see implements.h).
    static constexpr bool kSingleThreadReferences = true;

    Collection() = default;

    ~Collection() override {
        // Detach the elements first: an object released here sees an empty collection.
        std::deque<VARIANT> doomed;
        doomed.swap(items_);
        for (VARIANT& element : doomed) VariantClear(&element);
    }

    // ---- _Collection ----

    // In: Index, a 1-based position. Out: *pvarRet, a copy of the element (an object gets
    // a new reference); VT_EMPTY on failure. E_POINTER for a null argument; error 9 for a
    // position outside 1 to Count; errors 5, 6, 13 for an index that names no position.
    HRESULT STDMETHODCALLTYPE Item(VARIANT* Index, VARIANT* pvarRet) noexcept override try {
        owner_.check(kClassName);
        if (!pvarRet) return E_POINTER;
        VariantInit(pvarRet);
        const std::size_t at = slot_of(Index);
        Variant copy;
        check(VariantCopy(copy.get(), &items_[at]));
        *pvarRet = copy.detach();
        return S_OK;
    } catch (...) {
        return to_hresult();
    }

    // In: Item, the value to append (by reference is followed; an object gets one new
    // reference); Key, Before, After: must be missing. E_POINTER for a null Item; error 5
    // when Key, Before or After is given (nothing changes); error 7 when the collection
    // already holds the largest count a LONG can report.
    HRESULT STDMETHODCALLTYPE Add(VARIANT* Item, VARIANT* Key, VARIANT* Before, VARIANT* After) noexcept override try {
        owner_.check(kClassName);
        if (!Item) return E_POINTER;
        if (!is_missing(Key) || !is_missing(Before) || !is_missing(After))
            raise(runtime_error::invalid_procedure_call, kSource);
        if (items_.size() >= kMaxCount) raise(runtime_error::out_of_memory, kSource);
        Variant copy;
        check(VariantCopyInd(copy.get(), Item));
        items_.push_back(*copy.get());
        (void)copy.detach();  // now owned by items_
        return S_OK;
    } catch (...) {
        return to_hresult();
    }

    // Out: *pi4, the number of elements. E_POINTER for a null pi4.
    HRESULT STDMETHODCALLTYPE Count(LONG* pi4) noexcept override {
        owner_.check(kClassName);
        if (!pi4) return E_POINTER;
        *pi4 = static_cast<LONG>(items_.size());
        return S_OK;
    }

    // In: Index, a 1-based position; the elements behind it move one position forward. The
    // element is released after the collection has closed the gap. Failures as for Item;
    // a failing call changes nothing.
    HRESULT STDMETHODCALLTYPE Remove(VARIANT* Index) noexcept override try {
        owner_.check(kClassName);
        const std::size_t at = slot_of(Index);
        Variant removed;
        *removed.get() = items_[at];
        items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(at));
        return S_OK;
    } catch (...) {
        return to_hresult();
    }

    // Out: *ppunk, a new IEnumVARIANT at the front of the collection (it holds a reference
    // to the collection). E_POINTER for a null ppunk.
    HRESULT STDMETHODCALLTYPE _NewEnum(IUnknown** ppunk) noexcept override try {
        owner_.check(kClassName);
        if (!ppunk) return E_POINTER;
        *ppunk = nullptr;
        *ppunk = detail::make_collection_enum(ComPtr<_Collection>(this)).detach();
        return S_OK;
    } catch (...) {
        return to_hresult();
    }

    // ---- ICollectionElements ----
    HRESULT STDMETHODCALLTYPE ViewElements(ULONG first, ULONG count, const VARIANT** elements,
                                           ULONG* viewed) noexcept override {
        owner_.check(kClassName);
        if (!viewed) return E_POINTER;
        *viewed = 0;
        if (count > 0 && !elements) return E_POINTER;
        const std::size_t start = std::min<std::size_t>(first, items_.size());
        const std::size_t n = std::min<std::size_t>(count, items_.size() - start);
        for (std::size_t i = 0; i < n; ++i) elements[i] = &items_[start + i];
        *viewed = static_cast<ULONG>(n);
        return S_OK;
    }

    // ---- ISupportErrorInfo ----
    HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID riid) noexcept override {
        return riid == IID__Collection || riid == IID_IDispatch ? S_OK : S_FALSE;
    }

private:
    // The deque index of the element an index names; throws as described for Item.
    std::size_t slot_of(const VARIANT* index) const {
        if (!index) throw com_error(E_POINTER);
        const LONG position = position_of(*index);
        if (position < 1 || static_cast<std::size_t>(position) > items_.size())
            raise(runtime_error::subscript_out_of_range, kSource);
        return static_cast<std::size_t>(position) - 1;
    }

    std::deque<VARIANT> items_;
    [[no_unique_address]] owner_thread owner_;
};

}  // namespace
}  // namespace comrt

// Out: *ppCollection, a new empty collection with one reference owned by the caller.
// S_OK; E_POINTER for a null ppCollection; E_OUTOFMEMORY when it cannot be created.
namespace comrt {

HRESULT create_collection(_Collection** ppCollection) noexcept try {
    if (!ppCollection) return E_POINTER;
    *ppCollection = nullptr;
    *ppCollection = make<Collection>().detach();
    return S_OK;
} catch (...) {
    return to_hresult();
}

}  // namespace comrt
