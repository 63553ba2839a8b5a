// Appearance and persistence: BackColor, ForeColor and Font, which the container
// surface holds and every put fans out to the child widgets, and their saving into and
// restoring from the container's property bag.
#include <control/PropertiesCtl.h>

#include <control/arithmetic.h>

namespace orvane {
namespace {

constexpr std::u16string_view kBackColor = u"BackColor";
constexpr std::u16string_view kForeColor = u"ForeColor";
constexpr std::u16string_view kFont = u"Font";

// A stored colour: the bag's value converted to a 32-bit integer (a value that is no
// number fails with the type-mismatch error, one beyond 32 bits with the overflow error).
OLE_COLOR ColourFromBag(const comrt::Variant& stored) {
    comrt::Variant converted;
    const HRESULT hr = VariantChangeType(converted.put(), stored.get(), 0, VT_I4);
    if (hr == DISP_E_TYPEMISMATCH) comrt::raise(comrt::runtime_error::type_mismatch, kErrorSource);
    if (hr == DISP_E_OVERFLOW) RaiseOverflow();
    comrt::check(hr);
    return static_cast<OLE_COLOR>(converted->lVal);
}

// A stored font: the bag's value as a font object reference (null for a null object);
// anything but an object is a type mismatch.
comrt::ComPtr<IFontDisp> FontFromBag(const comrt::Variant& stored) {
    const VARTYPE vt = stored.vt();
    IUnknown* object = nullptr;
    if (vt == VT_DISPATCH) object = stored->pdispVal;
    else if (vt == VT_UNKNOWN) object = stored->punkVal;
    else if (vt == (VT_BYREF | VT_DISPATCH) && stored->ppdispVal) object = *stored->ppdispVal;
    else if (vt == (VT_BYREF | VT_UNKNOWN) && stored->ppunkVal) object = *stored->ppunkVal;
    else comrt::raise(comrt::runtime_error::type_mismatch, kErrorSource);
    if (!object) return nullptr;
    comrt::ComPtr<IFontDisp> font = comrt::ComPtr<IUnknown>(object).try_as<IFontDisp>();
    if (!font) comrt::raise(comrt::runtime_error::type_mismatch, kErrorSource);
    return font;
}

}  // namespace

void PropertiesCtl::PutColour(ColourProperty property, OLE_COLOR NewColor) {
    if (property == ColourProperty::back) {
        UserControl().SetBackColor(NewColor);
        Text1().SetBackColor(NewColor);
        Combo1().SetBackColor(NewColor);
        Combo2().SetBackColor(NewColor);
        MSFlexGrid1().SetBackColor(NewColor);
        UserControl().PropertyChanged(kBackColor);
    } else {
        UserControl().SetForeColor(NewColor);
        Text1().SetForeColor(NewColor);
        Combo1().SetForeColor(NewColor);
        Combo2().SetForeColor(NewColor);
        MSFlexGrid1().SetForeColor(NewColor);
        UserControl().PropertyChanged(kForeColor);
    }
}

void PropertiesCtl::PutFont(IFontDisp* NewFont) {
    // Held for the whole put: all five receivers are handed this same object.
    const widgets::FontRef font(NewFont);
    UserControl().SetFont(font);
    Text1().SetFont(font);
    Combo1().SetFont(font);
    Combo2().SetFont(font);
    MSFlexGrid1().SetFont(font);
    UserControl().PropertyChanged(kFont);
}

HRESULT STDMETHODCALLTYPE PropertiesCtl::get_BackColor(OLE_COLOR* result) noexcept try {
    if (!result) return E_POINTER;
    *result = 0;
    *result = UserControl().BackColor();
    return S_OK;
} catch (...) {
    return comrt::to_hresult();
}

HRESULT STDMETHODCALLTYPE PropertiesCtl::put_BackColor(OLE_COLOR NewColor) noexcept try {
    PutColour(ColourProperty::back, NewColor);
    return S_OK;
} catch (...) {
    return comrt::to_hresult();
}

HRESULT STDMETHODCALLTYPE PropertiesCtl::putref_BackColor(OLE_COLOR NewColor) noexcept try {
    PutColour(ColourProperty::back, NewColor);
    return S_OK;
} catch (...) {
    return comrt::to_hresult();
}

HRESULT STDMETHODCALLTYPE PropertiesCtl::get_ForeColor(OLE_COLOR* result) noexcept try {
    if (!result) return E_POINTER;
    *result = 0;
    *result = UserControl().ForeColor();
    return S_OK;
} catch (...) {
    return comrt::to_hresult();
}

HRESULT STDMETHODCALLTYPE PropertiesCtl::put_ForeColor(OLE_COLOR NewColor) noexcept try {
    PutColour(ColourProperty::fore, NewColor);
    return S_OK;
} catch (...) {
    return comrt::to_hresult();
}

HRESULT STDMETHODCALLTYPE PropertiesCtl::putref_ForeColor(OLE_COLOR NewColor) noexcept try {
    PutColour(ColourProperty::fore, NewColor);
    return S_OK;
} catch (...) {
    return comrt::to_hresult();
}

HRESULT STDMETHODCALLTYPE PropertiesCtl::get_Font(IFontDisp** result) noexcept try {
    if (!result) return E_POINTER;
    *result = nullptr;
    UserControl().Font().copy_to(result);
    return S_OK;
} catch (...) {
    return comrt::to_hresult();
}

HRESULT STDMETHODCALLTYPE PropertiesCtl::put_Font(IFontDisp* NewFont) noexcept try {
    PutFont(NewFont);
    return S_OK;
} catch (...) {
    return comrt::to_hresult();
}

HRESULT STDMETHODCALLTYPE PropertiesCtl::putref_Font(IFontDisp* NewFont) noexcept try {
    PutFont(NewFont);
    return S_OK;
} catch (...) {
    return comrt::to_hresult();
}

HRESULT PropertiesCtl::UserControl_WriteProperties(widgets::PropertyBag& PropBag) noexcept try {
    comrt::Variant value;

    OLE_COLOR colour = 0;
    comrt::check(Self().get_BackColor(&colour));
    value->vt = VT_I4;
    value->lVal = static_cast<LONG>(colour);
    PropBag.WriteProperty(kBackColor, *value.get());

    comrt::check(Self().get_ForeColor(&colour));
    value->lVal = static_cast<LONG>(colour);
    PropBag.WriteProperty(kForeColor, *value.get());

    comrt::ComPtr<IFontDisp> font;
    comrt::check(Self().get_Font(font.put()));
    value.clear();
    value->vt = VT_DISPATCH;
    value->pdispVal = font.detach();  // the Variant releases it
    PropBag.WriteProperty(kFont, *value.get());
    return S_OK;
} catch (...) {
    return comrt::to_hresult();
}

// Each of the three steps goes on with the next after a failure (reading the entry,
// converting it or applying it); the handler itself never fails. A step's failure is
// still handed to the error channel, so a damaged entry does not go unnoticed.
HRESULT PropertiesCtl::UserControl_ReadProperties(widgets::PropertyBag& PropBag) noexcept {
    const auto step = [this](auto&& restore) noexcept {
        try {
            restore();
        } catch (...) {
            ReportHandlerStatus(u"UserControl_ReadProperties", comrt::to_hresult());
        }
    };
    step([&] { comrt::check(Self().putref_BackColor(ColourFromBag(PropBag.ReadProperty(kBackColor)))); });
    step([&] { comrt::check(Self().putref_ForeColor(ColourFromBag(PropBag.ReadProperty(kForeColor)))); });
    step([&] {
        const comrt::ComPtr<IFontDisp> font = FontFromBag(PropBag.ReadProperty(kFont));
        comrt::check(Self().putref_Font(font.get()));
    });
    return S_OK;
}

}  // namespace orvane
