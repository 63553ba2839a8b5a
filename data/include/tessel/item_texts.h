/// @file
/// Between Tessel's own items and the control, in one process: an item's texts read in
/// place, with no string made and no call into anyone else's code. Not in the type
/// library; items made by others do not answer it, and are read through _clsPropertyItem.
/// Hosts have no use for it.
#pragma once

#include <tessel/tessel.h>

/// An item's texts in place. It extends ISupportErrorInfo, which every item answers
/// anyway, so that an item carries it in a table it has already instead of growing by one
/// more (16 bytes an item).
struct ITesselItemTexts : ISupportErrorInfo {
    /// The item's name and value (code units, not NUL-terminated) and its type code. The
    /// views stay valid until the item changes or goes.
    virtual HRESULT STDMETHODCALLTYPE ViewTexts(const OLECHAR** name, ULONG* name_length, const OLECHAR** value,
                                                ULONG* value_length, SHORT* type) noexcept = 0;
    /// The choice at index, as GetItem gives it (the same errors), viewed in place until
    /// the choice list changes or the item goes.
    virtual HRESULT STDMETHODCALLTYPE ViewChoice(SHORT index, const OLECHAR** text, ULONG* length) noexcept = 0;
};
/// The interface id of ITesselItemTexts.
COMRT_INTERFACE_ID(ITesselItemTexts, "6F1E2B0C-3A7D-4C55-9E21-8B4D0C7A19E3");
