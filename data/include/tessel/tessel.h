/// @file
/// The Tessel data library's binary interface: the dual default interfaces of
/// clsPropertyItem and clsTessel, their interface ids, the class ids and the type
/// library id.
///
/// Header-only: a library that includes it binds to Tessel objects directly through
/// these vtables, without linking libtessel.so. Slot order after the seven slots of
/// IUnknown and IDispatch is fixed; never reorder, insert or remove a member.
///
/// Every member returns an HRESULT and never throws: S_OK, E_POINTER for a null
/// out-parameter, E_OUTOFMEMORY, or a run-time error 0x800A0000 | n with error information
/// set (source "Tessel"), as listed at each member. Late-bound callers reach the same
/// members through IDispatch under the names and dispatch ids given here.
#pragma once

#include <comrt/collection.h>
#include <comrt/guid.h>
#include <comrt/oaidl.h>

/// @namespace tessel
/// The data library's item type codes (here) and its C++ helpers for hosts
/// (tessel/groups.h): groups made, filled and read from ordinary strings through the
/// interfaces declared here.

/// One property (class clsPropertyItem, ProgID "Tessel.clsPropertyItem"): a name, its
/// value text, an editor type code and an optional choice list.
///
/// ItemType 1 marks an item edited with the drop-down list of its choices; any other code
/// is edited as free text. A new item has empty texts, type 0 and no list.
struct _clsPropertyItem : IDispatch {
    /// ItemName (0x40030000): the property's name, a new BSTR. E_POINTER for a null result.
    virtual HRESULT STDMETHODCALLTYPE get_ItemName(BSTR* result) noexcept = 0;
    /// ItemName (0x40030000): stores a copy of `value` (null: the empty name). E_OUTOFMEMORY.
    virtual HRESULT STDMETHODCALLTYPE put_ItemName(BSTR value) noexcept = 0;
    /// ItemValue (0x40030001): the value text, a new BSTR; what the control shows and the
    /// user's edits write. E_POINTER for a null result.
    virtual HRESULT STDMETHODCALLTYPE get_ItemValue(BSTR* result) noexcept = 0;
    /// ItemValue (0x40030001): stores a copy of `value` (null: the empty text). E_OUTOFMEMORY.
    virtual HRESULT STDMETHODCALLTYPE put_ItemValue(BSTR value) noexcept = 0;
    /// ItemType (0x40030002): the editor type code (1: drop-down list, else free text).
    /// E_POINTER for a null result.
    virtual HRESULT STDMETHODCALLTYPE get_ItemType(SHORT* result) noexcept = 0;
    /// ItemType (0x40030002): stores the editor type code; any 16-bit value is accepted.
    virtual HRESULT STDMETHODCALLTYPE put_ItemType(SHORT value) noexcept = 0;
    /// SetValueCmb (0x60030000): replaces the choice list with a copy of *ValuesArray (a
    /// null array removes it). The caller's array is not changed. E_POINTER for a null
    /// ValuesArray; 0x800A000D (13, type mismatch) for an array that does not hold BSTRs;
    /// E_OUTOFMEMORY. On failure the list held before stays.
    virtual HRESULT STDMETHODCALLTYPE SetValueCmb(SAFEARRAY** ValuesArray) noexcept = 0;
    /// GetItem (0x60030001): the string at index *nIndex of the choice list (its own
    /// bounds), a new BSTR. E_POINTER for a null argument; 0x800A0009 (9, subscript out of
    /// range) when there is no list, it is not one-dimensional, or the index is outside it.
    virtual HRESULT STDMETHODCALLTYPE GetItem(SHORT* nIndex, BSTR* result) noexcept = 0;
    /// Count (0x60030002): the choice list's upper bound (not the number of strings: a list
    /// of three from index 0 gives 2). E_POINTER for a null result; 0x800A0009 (9) without
    /// a list; 0x800A0006 (6, overflow) when the bound leaves 16 bits.
    virtual HRESULT STDMETHODCALLTYPE Count(SHORT* result) noexcept = 0;
};
/// The interface id of _clsPropertyItem.
COMRT_INTERFACE_ID(_clsPropertyItem, "EB6EDA4C-DF46-4F19-9DAE-F7A4AFBD2938");

/// A property group (class clsTessel, ProgID "Tessel.clsTessel"): a name and an ordered
/// collection of clsPropertyItem objects, which a host fills and hands to the control.
struct _clsTessel : IDispatch {
    /// PropertyGroupName (0x40030000): the group's name, a new BSTR; the control's group
    /// selector shows it. E_POINTER for a null result.
    virtual HRESULT STDMETHODCALLTYPE get_PropertyGroupName(BSTR* result) noexcept = 0;
    /// PropertyGroupName (0x40030000): stores a copy of `value` (null: no name). E_OUTOFMEMORY.
    virtual HRESULT STDMETHODCALLTYPE put_PropertyGroupName(BSTR value) noexcept = 0;
    /// ItemsCollection (0x40030001): the held collection (a new reference), created empty on
    /// first use; its elements are the items, from position 1. E_POINTER for a null result;
    /// E_OUTOFMEMORY.
    virtual HRESULT STDMETHODCALLTYPE get_ItemsCollection(_Collection** result) noexcept = 0;
    /// Not in the type library; behaves as putref_ItemsCollection.
    virtual HRESULT STDMETHODCALLTYPE put_ItemsCollection(_Collection* value) noexcept = 0;
    /// ItemsCollection by reference (0x40030001): holds the given collection (shared with
    /// its other holders, not copied); null holds none, and the next get makes a new one.
    virtual HRESULT STDMETHODCALLTYPE putref_ItemsCollection(_Collection* value) noexcept = 0;
    /// AddItem (0x60030000): appends a new item named *sName with the value *sValue and the
    /// type *nType; an item of type 1 takes a copy of *oValues as its choice list (for any
    /// other type the array is not looked at). *result is 0. The arguments are not changed.
    /// E_POINTER for a null argument; the item's errors (0x800A000D when the list holds no
    /// BSTRs); the collection's errors; E_OUTOFMEMORY. Nothing is appended on failure.
    virtual HRESULT STDMETHODCALLTYPE AddItem(BSTR* sName, BSTR* sValue, SHORT* nType, SAFEARRAY** oValues,
                                              LONG* result) noexcept = 0;
    /// Clear (0x60030001): removes every element from the held collection, front first.
    /// 0x800A0006 (6, overflow) when the collection holds more than 32,767 elements (then
    /// nothing is removed); 0x800A000D (13) at an element that is no property item (those
    /// before it are gone).
    virtual HRESULT STDMETHODCALLTYPE Clear() noexcept = 0;
};
/// The interface id of _clsTessel.
COMRT_INTERFACE_ID(_clsTessel, "87DCC9C0-C664-481A-8214-96038074A155");

/// The class id of clsPropertyItem, a creatable class (CoCreateInstance).
inline constexpr CLSID CLSID_clsPropertyItem = comrt::make_guid("2BE01A27-49A0-4453-AE9E-17BC9D98BD17");
/// The class id of clsTessel, a creatable class (CoCreateInstance).
inline constexpr CLSID CLSID_clsTessel = comrt::make_guid("0F73DE08-04F1-47DE-B805-BCB713D790C9");
/// The id of the type library that libtessel.so carries (LoadRegTypeLib, typelib-dump).
inline constexpr GUID LIBID_Tessel = comrt::make_guid("6CD20C86-FCB1-44B6-B123-91E9CC53833E");

/// The type library's major version.
inline constexpr WORD Tessel_MajorVersion = 1;
/// The type library's minor version.
inline constexpr WORD Tessel_MinorVersion = 0;

namespace tessel {

/// The ItemType code of an item edited as free text in a borderless text box.
inline constexpr SHORT kFreeTextItem = 0;
/// The ItemType code of an item edited with the drop-down list of its choices; every other
/// code is edited as free text.
inline constexpr SHORT kDropDownItem = 1;

}  // namespace tessel
