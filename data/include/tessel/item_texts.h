/// @file
/// Between Tessel's own groups and items and the control, in one process: their texts read
/// in place, with no string made and no call into anyone else's code. Not in the type
/// library; groups and items made by others do not answer them, and are read through
/// _clsTessel and _clsPropertyItem. Hosts have no use for them.
#pragma once

#include <tessel/tessel.h>

/// An item's choices in place. It extends ISupportErrorInfo, which every item answers
/// anyway, so that an item carries it in a table it has already instead of growing by one
/// more (16 bytes an item).
struct ITesselItemTexts : ISupportErrorInfo {
    /// The choice at index, as GetItem gives it (the same errors), viewed in place until
    /// the choice list changes or the item goes.
    virtual HRESULT STDMETHODCALLTYPE ViewChoice(SHORT index, const OLECHAR** text, ULONG* length) noexcept = 0;
};
/// The interface id of ITesselItemTexts.
COMRT_INTERFACE_ID(ITesselItemTexts, "E8C38842-EC38-4ACD-B31C-CEC41F0F190A");

/// One item's texts in place.
struct TesselItemView {
    const OLECHAR* name;  ///< The item's name: code units, not NUL-terminated.
    ULONG name_length;    ///< How many code units name has.
    const OLECHAR* value; ///< The item's value: code units, not NUL-terminated.
    ULONG value_length;   ///< How many code units value has.
    SHORT type;           ///< The item's type code (ItemType).
};

/// A group's items read in place, a range at a time.
struct ITesselGroupTexts : IUnknown {
    /// The texts of the items at 0-based positions first, first + 1, ... of the group's
    /// ItemsCollection, up to count of them: up to the end of the collection or the first
    /// element that is not one of Tessel's own items, whichever comes first. No element is
    /// called on the way, so an object made by anyone else runs no code. The views stay
    /// valid until the collection or one of the items viewed changes or goes.
    ///   out: items[0 .. *viewed).
    ///   S_OK; E_POINTER for a null viewed, or a null items with count above 0;
    ///   E_NOINTERFACE when the group's collection is not one that can be read in place
    ///   (made by anyone else): its elements are to be read through the collection.
    virtual HRESULT STDMETHODCALLTYPE ViewItemTexts(ULONG first, ULONG count, TesselItemView* items,
                                                    ULONG* viewed) noexcept = 0;
};
/// The interface id of ITesselGroupTexts.
COMRT_INTERFACE_ID(ITesselGroupTexts, "469886A2-D752-4027-A596-16DC06191D12");
