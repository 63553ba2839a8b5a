// System colours: the palette through which OleTranslateColor resolves an OLE_COLOR
// 0x800000xx (system colour xx). The palette starts with light-theme defaults; a toolkit
// replaces entries with its own theme's colours through SetSysColors.
#pragma once

#include <comrt/olectl.h>

#ifndef _WIN32
// System colour indices, as the platform numbers them (index 25 has no name).
#define COLOR_SCROLLBAR 0
#define COLOR_BACKGROUND 1
#define COLOR_ACTIVECAPTION 2
#define COLOR_INACTIVECAPTION 3
#define COLOR_MENU 4
#define COLOR_WINDOWFRAME 6
#define COLOR_MENUTEXT 7
#define COLOR_CAPTIONTEXT 9
#define COLOR_ACTIVEBORDER 10
#define COLOR_INACTIVEBORDER 11
#define COLOR_APPWORKSPACE 12
#define COLOR_HIGHLIGHT 13
#define COLOR_HIGHLIGHTTEXT 14
#define COLOR_BTNSHADOW 16
#define COLOR_GRAYTEXT 17
#define COLOR_BTNTEXT 18
#define COLOR_INACTIVECAPTIONTEXT 19
#define COLOR_BTNHIGHLIGHT 20
#define COLOR_3DDKSHADOW 21
#define COLOR_3DLIGHT 22
#define COLOR_INFOTEXT 23
#define COLOR_INFOBK 24
#define COLOR_HOTLIGHT 26
#define COLOR_GRADIENTACTIVECAPTION 27
#define COLOR_GRADIENTINACTIVECAPTION 28
#define COLOR_MENUHILIGHT 29
#define COLOR_MENUBAR 30
#endif  // !_WIN32

namespace comrt {

// Number of system colours: indices 0 to 30.
inline constexpr int system_colour_count = 31;

// A colour reference 0x00BBGGRR from its components.
constexpr COLORREF rgb(BYTE r, BYTE g, BYTE b) noexcept {
    return static_cast<COLORREF>(r) | (static_cast<COLORREF>(g) << 8) | (static_cast<COLORREF>(b) << 16);
}

}  // namespace comrt

#ifndef _WIN32
// Makes each system colour lpaElements[i] translate to lpaRgbValues[i] from now on, in
// every thread. TRUE on success; FALSE, with nothing changed, for an index outside 0 to
// 30, a colour that is not a plain colour reference (high byte not 0) or null arrays.
WINUSERAPI BOOL WINAPI SetSysColors(int cElements, const INT* lpaElements, const COLORREF* lpaRgbValues);
// The colour reference of system colour nIndex; 0 for an index outside 0 to 30.
WINUSERAPI DWORD WINAPI GetSysColor(int nIndex);
#endif  // !_WIN32
