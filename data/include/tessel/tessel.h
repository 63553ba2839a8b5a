// The Tessel data library's binary interface: the dual default interfaces of
// clsPropertyItem and clsTessel, their interface ids, the class ids and the type
// library id.
//
// Header-only: a library that includes it binds to Tessel objects directly through
// these vtables, without linking libtessel.so. Slot order after the seven slots of
// IUnknown and IDispatch is fixed; never reorder, insert or remove a member.
#pragma once

#include <comrt/collection.h>
#include <comrt/guid.h>
#include <comrt/oaidl.h>

// One property: a name, its value text, an editor type code and an optional choice list.
// ItemType 1 marks an item edited with the drop-down list of its choices.
struct _clsPropertyItem : IDispatch {
    // 0x40030000
    virtual HRESULT STDMETHODCALLTYPE get_ItemName(BSTR* result) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE put_ItemName(BSTR value) noexcept = 0;
    // 0x40030001
    virtual HRESULT STDMETHODCALLTYPE get_ItemValue(BSTR* result) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE put_ItemValue(BSTR value) noexcept = 0;
    // 0x40030002
    virtual HRESULT STDMETHODCALLTYPE get_ItemType(SHORT* result) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE put_ItemType(SHORT value) noexcept = 0;
    // 0x60030000: replaces the choice list with a copy of *ValuesArray (a null array
    // removes it). The caller's array is not changed.
    virtual HRESULT STDMETHODCALLTYPE SetValueCmb(SAFEARRAY** ValuesArray) noexcept = 0;
    // 0x60030001: the string at index *nIndex of the choice list (its own bounds);
    // 0x800A0009 when there is no list, it is not one-dimensional, or the index is outside it.
    virtual HRESULT STDMETHODCALLTYPE GetItem(SHORT* nIndex, BSTR* result) noexcept = 0;
    // 0x60030002: the choice list's upper bound (not the number of strings);
    // 0x800A0009 without a list, 0x800A0006 when the bound leaves 16 bits.
    virtual HRESULT STDMETHODCALLTYPE Count(SHORT* result) noexcept = 0;
};
COMRT_INTERFACE_ID(_clsPropertyItem, "EB6EDA4C-DF46-4F19-9DAE-F7A4AFBD2938");

// A property group: a name and an ordered collection of clsPropertyItem objects.
struct _clsTessel : IDispatch {
    // 0x40030000
    virtual HRESULT STDMETHODCALLTYPE get_PropertyGroupName(BSTR* result) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE put_PropertyGroupName(BSTR value) noexcept = 0;
    // 0x40030001: the held collection, created empty on first use.
    virtual HRESULT STDMETHODCALLTYPE get_ItemsCollection(_Collection** result) noexcept = 0;
    // Not in the type library; behaves as putref_ItemsCollection.
    virtual HRESULT STDMETHODCALLTYPE put_ItemsCollection(_Collection* value) noexcept = 0;
    // 0x40030001: holds the given collection (shared with its other holders); null holds none.
    virtual HRESULT STDMETHODCALLTYPE putref_ItemsCollection(_Collection* value) noexcept = 0;
    // 0x60030000: appends a new item; *result is 0. The arguments are not changed.
    virtual HRESULT STDMETHODCALLTYPE AddItem(BSTR* sName, BSTR* sValue, SHORT* nType, SAFEARRAY** oValues,
                                              LONG* result) noexcept = 0;
    // 0x60030001: removes every element from the held collection, front first.
    virtual HRESULT STDMETHODCALLTYPE Clear() noexcept = 0;
};
COMRT_INTERFACE_ID(_clsTessel, "87DCC9C0-C664-481A-8214-96038074A155");

inline constexpr CLSID CLSID_clsPropertyItem = comrt::make_guid("2BE01A27-49A0-4453-AE9E-17BC9D98BD17");
inline constexpr CLSID CLSID_clsTessel = comrt::make_guid("0F73DE08-04F1-47DE-B805-BCB713D790C9");
inline constexpr GUID LIBID_Tessel = comrt::make_guid("6CD20C86-FCB1-44B6-B123-91E9CC53833E");

// The type library's version.
inline constexpr WORD Tessel_MajorVersion = 1;
inline constexpr WORD Tessel_MinorVersion = 0;
