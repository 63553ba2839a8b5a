// Colours and fonts: the platform's colour references and font objects, as windows paint
// with them.
#pragma once

#include <control/widgets/contract.h>

namespace orvane::win32 {

// The colour reference `colour` names (OleTranslateColor): a colour 0x00BBGGRR as it is,
// a system colour (0x800000xx) as the system has it now. Anything else fails with
// CTL_E_INVALIDPROPERTYVALUE.
COLORREF ToColorRef(OLE_COLOR colour);

// The colours a window paints with, resolved each time they are used so that system
// colours follow the system. Keeps one solid brush of the current back colour.
class Colours {
public:
    Colours(OLE_COLOR back, OLE_COLOR fore) noexcept : back_(back), fore_(fore) {}
    ~Colours();
    Colours(const Colours&) = delete;
    Colours& operator=(const Colours&) = delete;

    // Both check the colour (ToColorRef) before taking it.
    void setBack(OLE_COLOR colour);
    void setFore(OLE_COLOR colour);
    COLORREF back() const noexcept;
    COLORREF fore() const noexcept;

    // Puts the colours into dc (text colour, background colour) and returns the brush of
    // the back colour, as an answer to a WM_CTLCOLOR* message.
    HBRUSH apply(HDC dc) noexcept;
    HBRUSH backBrush() noexcept;

private:
    OLE_COLOR back_, fore_;
    HBRUSH brush_ = nullptr;
    COLORREF brush_colour_ = 0;
};

// The font handle a font object gives (IFont::get_hFont), valid while the object lives.
// A null font fails with the object-not-set error (91), an object without IFont with
// its own error.
HFONT FontHandle(IFontDisp* font);

// A new font object with the font the widgets carry at design time: "Tahoma" 8.25 points,
// weight 400.
widgets::FontRef DesignTimeFont();

// The height in pixels of a line of text in font (its cell height).
int LineHeight(HFONT font) noexcept;

}  // namespace orvane::win32
