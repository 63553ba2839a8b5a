// The standard font object as a creatable class (CLSID_StdFont, ProgID "Comrt.StdFont"):
// the creation function behind OleCreateFontIndirect and the built-in class table.
#pragma once

#include <comrt/olectl.h>

namespace comrt {

inline constexpr char16_t std_font_progid[] = u"Comrt.StdFont";

// Creates a font object and returns its interface riid (IFont, IFontDisp, IDispatch or
// IUnknown).
//   in:  desc, the attributes (null: "Tahoma" 8.25 points, weight 400, charset 1, not
//        italic, underlined or struck out); desc->cbSizeofstruct is not checked.
//   out: *ppv, a new reference; null on failure.
//   S_OK; E_POINTER for a null ppv; E_INVALIDARG for a description with a null or empty
//   name or a size at or below zero; E_NOINTERFACE for an interface the font does not
//   have; E_OUTOFMEMORY.
HRESULT create_std_font(const FONTDESC* desc, REFIID riid, void** ppv) noexcept;

}  // namespace comrt
