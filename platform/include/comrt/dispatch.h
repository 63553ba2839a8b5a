// IDispatch and ITypeLib from a type description (typedesc.h).
//
// A class gets IDispatch for its dual interface I by deriving from dispatch<I, Lib>
// instead of I; Lib is the library's type_library, which must list I:
//
//     class Item final : public comrt::implements<Item, comrt::dispatch<_clsItem, kLib>> {
//     public:
//         HRESULT STDMETHODCALLTYPE get_Name(BSTR* p) noexcept override;   // I's own members
//         ...
//     };
//
// GetTypeInfoCount gives 1; GetTypeInfo(0) the interface's ITypeInfo; GetIDsOfNames
// matches names without regard to case; Invoke coerces the arguments to the declared
// types and calls the member through the interface. A library's DllGetClassObject answers
// CLSID_TypeLib with create_typelib(kLib, ...); LoadTypeLib reads it back.
//
// Invoke, in detail:
//   - wFlags DISPATCH_METHOD, DISPATCH_PROPERTYGET (both together reach a method or a get),
//     DISPATCH_PROPERTYPUT, DISPATCH_PROPERTYPUTREF; no row of that kind for the dispatch id:
//     DISP_E_MEMBERNOTFOUND. riid other than IID_NULL: DISP_E_UNKNOWNINTERFACE.
//   - Arguments come in reverse order; named arguments (first in rgvarg) name a parameter by
//     its position, and a put's value by DISPID_PROPERTYPUT, which a put requires
//     (DISP_E_PARAMNOTFOUND without it). More arguments than parameters:
//     DISP_E_BADPARAMCOUNT, except for a property get without parameters: positional
//     arguments given to one whose result is an object index that object, through its
//     default member (DISPID_VALUE, as DISPATCH_METHOD | DISPATCH_PROPERTYGET), as the
//     system's type-library dispatch does (a script's group.ItemsCollection(1)); any other
//     has no collection to index: DISP_E_NOTACOLLECTION. A required parameter without an
//     argument: DISP_E_BADPARAMCOUNT; with an argument that says it is missing (VT_ERROR,
//     DISP_E_PARAMNOTFOUND): DISP_E_PARAMNOTOPTIONAL; an unknown named argument:
//     DISP_E_PARAMNOTFOUND.
//   - Each argument is converted to its declared type with VariantChangeType (failures as
//     it returns them, e.g. DISP_E_OVERFLOW, DISP_E_TYPEMISMATCH) before any member runs;
//     for DISP_E_TYPEMISMATCH and DISP_E_PARAMNOTFOUND *puArgErr is then the failing
//     argument's index in rgvarg (it is left alone otherwise). A one-dimensional array of
//     VARIANTs (what script hosts build), by value or by reference, given for an array of
//     another element type converts element by element into a new array with the same
//     bounds (a null array stays null); an element that does not convert, or an array of
//     more or fewer dimensions, fails with DISP_E_TYPEMISMATCH. An interface argument is
//     queried for the declared interface. A VT_BYREF argument of exactly a by-reference
//     parameter's type is passed through, so the member's writes reach the caller; another
//     VT_BYREF argument is converted into a temporary and converted back into the
//     caller's variable after the call; a by-value argument for a by-reference parameter
//     goes through a temporary and nothing is written back.
//   - A failing member gives DISP_E_EXCEPTION with EXCEPINFO { wCode 0, scode = the
//     member's HRESULT, source and description from the pending error information, or for
//     0x800A0000|n with none pending the run-time error catalogue's description }. Without
//     an EXCEPINFO the error information stays pending for the caller.
//   - The result goes to pVarResult, which is VariantInit'ed before anything else (it is
//     empty after every failure); a null pVarResult discards it.
#pragma once

#include <atomic>

#include <comrt/com_ptr.h>
#include <comrt/implements.h>
#include <comrt/module.h>
#include <comrt/typedesc.h>

namespace comrt {

// IDispatch::GetIDsOfNames over one interface's description: rgszNames[0] is a member
// name, the others that member's parameter names (their dispatch ids are the parameter
// positions). Names compare without regard to ASCII case.
// S_OK; DISP_E_UNKNOWNNAME when any name is unknown (its id DISPID_UNKNOWN, the others
// set); DISP_E_UNKNOWNINTERFACE for riid other than IID_NULL; E_INVALIDARG for null arrays.
HRESULT dispatch_get_ids_of_names(const interface_desc& itf, REFIID riid, LPOLESTR* rgszNames,
                                               UINT cNames, DISPID* rgDispId) noexcept;

// IDispatch::Invoke over one interface's description (see above); `self` points at the
// object's implementation of that interface. E_INVALIDARG for a null or inconsistent
// pDispParams, E_POINTER for a null self.
HRESULT dispatch_invoke(const interface_desc& itf, void* self, DISPID dispIdMember, REFIID riid,
                                     WORD wFlags, DISPPARAMS* pDispParams, VARIANT* pVarResult,
                                     EXCEPINFO* pExcepInfo, UINT* puArgErr) noexcept;

// An ITypeLib over a description; the description must outlive it. While it (or any
// ITypeInfo from it) lives, *owner_count stays raised, so the library that holds the
// description does not unload (create_typelib passes the calling library's counter).
// S_OK and *ppTLib set; E_POINTER for a null ppTLib; E_OUTOFMEMORY. *ppTLib is null on failure.
HRESULT create_typelib_for(const type_library& lib, std::atomic<long>* owner_count,
                                        ITypeLib** ppTLib) noexcept;

inline HRESULT create_typelib(const type_library& lib, ITypeLib** ppTLib) noexcept {
    return create_typelib_for(lib, &module::count(), ppTLib);
}

// IDispatch for interface I, driven by the description of I in Lib.
template <typename I, const type_library& Lib>
class dispatch : public I {
public:
    static constexpr std::size_t index = interface_index(Lib, iid_of<I>());
    static_assert(index < Lib.interfaces.size(), "the type library does not describe this interface");
    static constexpr const interface_desc* description = Lib.interfaces[index];

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* pctinfo) noexcept override {
        if (!pctinfo) return E_POINTER;
        *pctinfo = 1;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT iTInfo, LCID, ITypeInfo** ppTInfo) noexcept override {
        if (!ppTInfo) return E_POINTER;
        *ppTInfo = nullptr;
        if (iTInfo != 0) return DISP_E_BADINDEX;
        ComPtr<ITypeLib> lib;
        const HRESULT hr = create_typelib(Lib, lib.put());
        if (FAILED(hr)) return hr;
        return lib->GetTypeInfoOfGuid(iid_of<I>(), ppTInfo);
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* rgszNames, UINT cNames, LCID,
                                            DISPID* rgDispId) noexcept override {
        return dispatch_get_ids_of_names(*description, riid, rgszNames, cNames, rgDispId);
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID dispIdMember, REFIID riid, LCID, WORD wFlags, DISPPARAMS* pDispParams,
                                     VARIANT* pVarResult, EXCEPINFO* pExcepInfo, UINT* puArgErr) noexcept override {
        return dispatch_invoke(*description, static_cast<I*>(this), dispIdMember, riid, wFlags, pDispParams,
                               pVarResult, pExcepInfo, puArgErr);
    }
};

}  // namespace comrt

// dispatch<I, Lib> answers QueryInterface for I (implements<> looks interfaces up by id).
template <typename I, const comrt::type_library& Lib>
struct comrt::interface_id<comrt::dispatch<I, Lib>> : comrt::interface_id<I> {};
