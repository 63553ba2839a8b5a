/// @file
/// The attributes a font object describes, read from any font object in one call and made
/// into a new standard font object.
///
///     comrt::FontAttributes font = comrt::ReadFontAttributes(control_font.get());
///     font.size.int64 = 120000;  // 12 points
///     comrt::ComPtr<IFontDisp> bigger = comrt::CreateFontObject(font);
///
/// Both throw comrt::com_error when they fail.
#pragma once

#include <comrt/com_ptr.h>
#include <comrt/olectl.h>
#include <comrt/text.h>

namespace comrt {

/// A font as a font object (IFont) describes it.
struct FontAttributes {
    /// The face name.
    olestring name;
    /// The size in points as a currency value: 8.25 points is `int64` 82500.
    CY size{};
    /// 400 normal, 700 bold.
    SHORT weight = FW_NORMAL;
    /// The character set (DEFAULT_CHARSET: the system's).
    SHORT charset = DEFAULT_CHARSET;
    bool italic = false;         ///< Italic.
    bool underline = false;      ///< Underlined.
    bool strikethrough = false;  ///< Struck through.

    /// Every attribute the same; names compared exactly.
    friend bool operator==(const FontAttributes& a, const FontAttributes& b) noexcept {
        return a.name == b.name && a.size.int64 == b.size.int64 && a.weight == b.weight && a.charset == b.charset &&
               a.italic == b.italic && a.underline == b.underline && a.strikethrough == b.strikethrough;
    }
};

/// Every attribute of a font object, through its IFont interface.
/// @throws com_error E_POINTER for a null object, E_NOINTERFACE for an object without
///         IFont, or the first failure of one of the object's getters.
FontAttributes ReadFontAttributes(IUnknown* font);

/// A new standard font object (OleCreateFontIndirect) with these attributes.
/// @throws com_error the creation's failure (E_OUTOFMEMORY, ...).
ComPtr<IFontDisp> CreateFontObject(const FontAttributes& attributes);

}  // namespace comrt
