/// @file
/// Arrays of strings as automation passes them: a one-dimensional SAFEARRAY of BSTR, made
/// from ordinary strings and read back into them.
///
///     comrt::SafeArrayPtr list = comrt::MakeStringArray(0, {u"Light", u"Dark"});
///     std::vector<comrt::olestring> texts = comrt::ReadStringArray(list.get());
///
/// Both throw comrt::com_error when they fail.
#pragma once

#include <initializer_list>
#include <span>
#include <vector>

#include <comrt/resource.h>
#include <comrt/text.h>

namespace comrt {

/// A new one-dimensional array of VT_BSTR whose first index is `lower`, holding a copy of
/// each text in order (embedded NULs kept).
/// @throws com_error E_OUTOFMEMORY when the array or a string cannot be allocated.
SafeArrayPtr MakeStringArray(LONG lower, std::span<const olestring_view> texts);
/// @copydoc MakeStringArray(LONG, std::span<const olestring_view>)
SafeArrayPtr MakeStringArray(LONG lower, std::initializer_list<olestring_view> texts);
/// @copydoc MakeStringArray(LONG, std::span<const olestring_view>)
SafeArrayPtr MakeStringArray(LONG lower, std::span<const olestring> texts);

/// The texts of a one-dimensional array of VT_BSTR, from its first index to its last; a
/// null element reads as an empty text. The array is left as it was.
/// @throws com_error E_INVALIDARG for a null array, DISP_E_TYPEMISMATCH for an array of
///         another element type, DISP_E_BADINDEX for one of more than one dimension,
///         E_OUTOFMEMORY.
std::vector<olestring> ReadStringArray(SAFEARRAY* array);

}  // namespace comrt
