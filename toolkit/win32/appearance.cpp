// Colours and fonts (appearance.h).
#include <toolkit/win32/appearance.h>

#include <comrt/font_attributes.h>
#include <toolkit/win32/errors.h>

namespace orvane::win32 {

COLORREF ToColorRef(OLE_COLOR colour) {
    COLORREF resolved = 0;
    if (FAILED(OleTranslateColor(colour, nullptr, &resolved))) FailInvalidValue();
    return resolved;
}

namespace {

// A colour checked when it was taken: resolving it again cannot fail but for a system
// colour the system dropped, which paints black.
COLORREF Resolve(OLE_COLOR colour) noexcept {
    COLORREF resolved = 0;
    return SUCCEEDED(OleTranslateColor(colour, nullptr, &resolved)) ? resolved : 0;
}

}  // namespace

Colours::~Colours() {
    if (brush_) DeleteObject(brush_);
}

void Colours::setBack(OLE_COLOR colour) {
    ToColorRef(colour);
    back_ = colour;
}

void Colours::setFore(OLE_COLOR colour) {
    ToColorRef(colour);
    fore_ = colour;
}

COLORREF Colours::back() const noexcept { return Resolve(back_); }
COLORREF Colours::fore() const noexcept { return Resolve(fore_); }

HBRUSH Colours::backBrush() noexcept {
    const COLORREF colour = back();
    if (!brush_ || brush_colour_ != colour) {
        if (brush_) DeleteObject(brush_);
        brush_ = CreateSolidBrush(colour);
        brush_colour_ = colour;
    }
    return brush_;
}

HBRUSH Colours::apply(HDC dc) noexcept {
    SetTextColor(dc, fore());
    SetBkColor(dc, back());
    return backBrush();
}

HFONT FontHandle(IFontDisp* font) {
    if (!font) Fail(comrt::runtime_error::object_not_set);
    comrt::ComPtr<IFont> object;
    comrt::check(font->QueryInterface(IID_IFont, object.put_void()));
    HFONT handle = nullptr;
    comrt::check(object->get_hFont(&handle));
    return handle;
}

widgets::FontRef DesignTimeFont() {
    comrt::FontAttributes font;
    font.name = OLESTR("Tahoma");
    font.size.int64 = 82500;  // 8.25 points
    font.weight = FW_NORMAL;
    return comrt::CreateFontObject(font);
}

int LineHeight(HFONT font) noexcept {
    HDC dc = GetDC(nullptr);
    if (!dc) return 13;
    const HGDIOBJ old = SelectObject(dc, font ? static_cast<HGDIOBJ>(font) : GetStockObject(DEFAULT_GUI_FONT));
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    return metrics.tmHeight > 0 ? static_cast<int>(metrics.tmHeight) : 13;
}

}  // namespace orvane::win32
