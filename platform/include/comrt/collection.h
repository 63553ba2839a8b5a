// The platform's object collection: an ordered list of VARIANT elements (objects held by
// counted reference), 1-based positions, no keys in this system.
#pragma once

#include <comrt/oaidl.h>

struct _Collection : IDispatch {
    // Default member (dispatch id 0): the element at 1-based position *Index.
    virtual HRESULT STDMETHODCALLTYPE Item(VARIANT* Index, VARIANT* pvarRet) noexcept = 0;
    // Appends *Item. Key, Before and After are optional (VT_ERROR / DISP_E_PARAMNOTFOUND
    // or null when missing); a call that gives one fails with error 5 and changes nothing.
    virtual HRESULT STDMETHODCALLTYPE Add(VARIANT* Item, VARIANT* Key, VARIANT* Before, VARIANT* After) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE Count(LONG* pi4) noexcept = 0;
    // Removes the element at 1-based position *Index and closes the gap.
    virtual HRESULT STDMETHODCALLTYPE Remove(VARIANT* Index) noexcept = 0;
    // An IEnumVARIANT over the elements (restricted, DISPID_NEWENUM).
    virtual HRESULT STDMETHODCALLTYPE _NewEnum(IUnknown** ppunk) noexcept = 0;
};
COMRT_INTERFACE_ID(_Collection, "A4C46780-499F-101B-BB78-00AA00383CBB");

// Between this system's libraries, in one process: a collection's elements read where
// they lie, with no copy made, no reference taken and no call into anyone else's code.
// Every collection that create_collection makes answers it; others need not.
struct ICollectionElements : IUnknown {
    // In: first, a 0-based position; count, how many elements to view at most.
    // Out: elements[0 .. *viewed), the elements at positions first, first + 1, ... up to the
    //   end of the collection; they stay valid until the collection changes or goes.
    // S_OK (*viewed is 0 from the end on); E_POINTER for a null viewed, or a null elements
    // with count above 0.
    virtual HRESULT STDMETHODCALLTYPE ViewElements(ULONG first, ULONG count, const VARIANT** elements,
                                                   ULONG* viewed) noexcept = 0;
};
COMRT_INTERFACE_ID(ICollectionElements, "5E88F08F-F967-45B4-A452-9CD1B7ECACA7");

// The collection class is comrt's own (its interface is the standard collection interface).
inline constexpr CLSID CLSID_Collection = comrt::make_guid("892BAD1E-A56F-44CA-AE6C-0C1C1BA95556");

namespace comrt {

// Creates an empty collection (what `New Collection` gives). The collection's code lives
// in the calling library, and its objects keep that library loaded.
//   out: *ppCollection, a new reference; null on failure.
//   S_OK; E_POINTER for a null ppCollection; E_OUTOFMEMORY.
HRESULT create_collection(_Collection** ppCollection) noexcept;

}  // namespace comrt
