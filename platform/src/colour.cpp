// Colour translation: OLE_COLOR to COLORREF.
//
// An OLE_COLOR is read by its high byte:
//   0x00bbggrr  a colour reference: passes through;
//   0x800000xx  system colour xx (0 to 30): the palette entry below;
//   0x02bbggrr  a palette-relative colour reference: passes through;
//   0x0100iiii  an index into the logical palette: passes through;
//   anything else is not a colour.
// There are no palette objects here, so a palette handle is never valid.
//
// The palette is one 32-bit atomic per index: a toolkit may replace entries while other
// threads translate.
#include <comrt/colour.h>

#include <array>
#include <atomic>

namespace {

using comrt::rgb;

// A light theme: window white, text black, controls light grey, blue selection.
constexpr std::array<COLORREF, comrt::system_colour_count> kDefaultPalette = {
    rgb(200, 200, 200),  // 0  scroll bar track
    rgb(0, 0, 0),        // 1  desktop
    rgb(153, 180, 209),  // 2  active caption
    rgb(191, 205, 219),  // 3  inactive caption
    rgb(240, 240, 240),  // 4  menu background
    rgb(255, 255, 255),  // 5  window background
    rgb(100, 100, 100),  // 6  window frame
    rgb(0, 0, 0),        // 7  menu text
    rgb(0, 0, 0),        // 8  window text
    rgb(0, 0, 0),        // 9  caption text
    rgb(180, 180, 180),  // 10 active border
    rgb(244, 247, 252),  // 11 inactive border
    rgb(171, 171, 171),  // 12 application workspace
    rgb(0, 120, 215),    // 13 selection background
    rgb(255, 255, 255),  // 14 selection text
    rgb(240, 240, 240),  // 15 button face
    rgb(160, 160, 160),  // 16 button shadow
    rgb(109, 109, 109),  // 17 disabled text
    rgb(0, 0, 0),        // 18 button text
    rgb(0, 0, 0),        // 19 inactive caption text
    rgb(255, 255, 255),  // 20 button highlight
    rgb(105, 105, 105),  // 21 3-D dark shadow
    rgb(227, 227, 227),  // 22 3-D light
    rgb(0, 0, 0),        // 23 tooltip text
    rgb(255, 255, 225),  // 24 tooltip background
    rgb(0, 0, 0),        // 25 (no name)
    rgb(0, 102, 204),    // 26 hot-tracked item
    rgb(185, 209, 234),  // 27 active caption gradient
    rgb(215, 228, 242),  // 28 inactive caption gradient
    rgb(51, 153, 255),   // 29 highlighted menu item
    rgb(240, 240, 240),  // 30 menu bar
};

struct Palette {
    Palette() noexcept {
        for (std::size_t i = 0; i < entries.size(); ++i) entries[i].store(kDefaultPalette[i], std::memory_order_relaxed);
    }
    std::array<std::atomic<COLORREF>, comrt::system_colour_count> entries;
};

std::array<std::atomic<COLORREF>, comrt::system_colour_count>& palette() noexcept {
    static Palette instance;
    return instance.entries;
}

constexpr DWORD kHighByte = 0xFF000000;
constexpr DWORD kSystemColour = 0x80000000;
constexpr DWORD kPaletteRelative = 0x02000000;
constexpr DWORD kPaletteIndex = 0x01000000;

}  // namespace

// Replaces system colours: lpaElements[i] takes lpaRgbValues[i], for i below cElements.
//   TRUE when every entry was valid and all were replaced; FALSE (nothing replaced) for
//   null arrays with cElements above 0, a negative cElements, an index outside 0 to 30
//   or a colour that is not a plain colour reference (high byte not 0).
WINUSERAPI BOOL WINAPI SetSysColors(int cElements, const INT* lpaElements, const COLORREF* lpaRgbValues) {
    if (cElements < 0 || (cElements > 0 && (!lpaElements || !lpaRgbValues))) return FALSE;
    for (int i = 0; i < cElements; ++i) {
        if (lpaElements[i] < 0 || lpaElements[i] >= comrt::system_colour_count) return FALSE;
        if ((lpaRgbValues[i] & kHighByte) != 0) return FALSE;
    }
    for (int i = 0; i < cElements; ++i)
        palette()[static_cast<std::size_t>(lpaElements[i])].store(lpaRgbValues[i], std::memory_order_relaxed);
    return TRUE;
}

// The colour reference of system colour nIndex; 0 for an index outside 0 to 30.
WINUSERAPI DWORD WINAPI GetSysColor(int nIndex) {
    if (nIndex < 0 || nIndex >= comrt::system_colour_count) return 0;
    return palette()[static_cast<std::size_t>(nIndex)].load(std::memory_order_relaxed);
}

// Translates an OLE colour to a colour reference.
//   in:  clr, the colour; hpal, a palette handle (must be null: there are no palettes).
//   out: *lpcolorref, the colour reference (0x00bbggrr for a system colour; the other
//        forms unchanged); lpcolorref may be null to only check that clr is a colour.
//   S_OK; E_INVALIDARG for a value that is not a colour (a high byte other than 0x00,
//   0x01, 0x02 and 0x80, a system colour index above 30, non-zero bits between the high
//   byte and the index or palette index) or a non-null hpal; *lpcolorref is unchanged
//   on failure.
WINOLEAPI OleTranslateColor(OLE_COLOR clr, HPALETTE hpal, COLORREF* lpcolorref) {
    if (hpal) return E_INVALIDARG;
    COLORREF result = 0;
    switch (clr & kHighByte) {
    case 0:
    case kPaletteRelative:
        result = clr;
        break;
    case kPaletteIndex:
        if ((clr & 0x00FF0000) != 0) return E_INVALIDARG;
        result = clr;
        break;
    case kSystemColour: {
        const DWORD index = clr & ~kHighByte;
        if (index >= static_cast<DWORD>(comrt::system_colour_count)) return E_INVALIDARG;
        result = palette()[index].load(std::memory_order_relaxed);
        break;
    }
    default:
        return E_INVALIDARG;
    }
    if (lpcolorref) *lpcolorref = result;
    return S_OK;
}
