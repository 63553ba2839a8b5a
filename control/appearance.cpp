// Appearance and persistence: BackColor, ForeColor and Font, which the container
// surface holds and every put fans out to the child widgets, and their saving into and
// restoring from the container's property bag.
#include <control/PropertiesCtl.h>

#include <comrt/font_attributes.h>
#include <control/arithmetic.h>
#include <control/handler_names.h>
#include <control/persisted_properties.h>

namespace orvane {
namespace {

// The dispatch id of one of the control's properties, from its type description.
DISPID DispidOf(comrt::olestring_view name) noexcept {
    for (const comrt::member_desc& member : kPropertiesCtlMembers)
        if (name == member.name) return member.id;
    return DISPID_UNKNOWN;
}

comrt::Variant ReadProperty(IPropertyBag& bag, const OLECHAR* name, IErrorLog* log) {
    comrt::Variant value;
    comrt::check(bag.Read(name, value.put(), log));
    return value;
}

void WriteProperty(IPropertyBag& bag, const OLECHAR* name, comrt::Variant& value) {
    comrt::check(bag.Write(name, value.get()));
}

// A stored colour: the bag's value converted to a 32-bit integer (a value that is no
// number fails with the type-mismatch error, one beyond 32 bits with the overflow error).
// An unsigned 32-bit value, as containers give OLE_COLOR, is taken as it is.
OLE_COLOR ColourFromBag(const comrt::Variant& stored) {
    if (stored.vt() == VT_UI4) return static_cast<OLE_COLOR>(stored->ulVal);
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

// The value of one of the container's ambient properties; VT_EMPTY when the container
// does not offer it.
comrt::Variant AmbientProperty(IDispatch& ambient, DISPID id) {
    comrt::Variant value;
    DISPPARAMS none{};
    if (FAILED(ambient.Invoke(id, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, value.put(), nullptr, nullptr)))
        value.clear();
    return value;
}

}  // namespace

void PropertiesCtl::ApplyAmbient(DISPID which) {
    const comrt::ComPtr<IDispatch> ambient =
        client_site_ ? comrt::ComPtr<IOleClientSite>(client_site_).try_as<IDispatch>() : nullptr;
    if (!ambient) return;
    // What the container's appearance gives is no change of the control's own to save.
    const bool was_dirty = dirty_;
    const auto wanted = [which](DISPID id) { return which == DISPID_UNKNOWN || which == id; };
    if (wanted(DISPID_AMBIENT_BACKCOLOR)) {
        const comrt::Variant colour = AmbientProperty(*ambient, DISPID_AMBIENT_BACKCOLOR);
        if (colour.vt() != VT_EMPTY) PutColour(ColourProperty::back, ColourFromBag(colour));
    }
    if (wanted(DISPID_AMBIENT_FORECOLOR)) {
        const comrt::Variant colour = AmbientProperty(*ambient, DISPID_AMBIENT_FORECOLOR);
        if (colour.vt() != VT_EMPTY) PutColour(ColourProperty::fore, ColourFromBag(colour));
    }
    if (wanted(DISPID_AMBIENT_FONT)) {
        const comrt::Variant font = AmbientProperty(*ambient, DISPID_AMBIENT_FONT);
        // A font object of the control's own: the container's stays the container's.
        if (const comrt::ComPtr<IFontDisp> given = font.vt() != VT_EMPTY ? FontFromBag(font) : nullptr)
            PutFont(comrt::CreateFontObject(comrt::ReadFontAttributes(given.get())).get());
    }
    dirty_ = was_dirty;
}

void PropertiesCtl::PutColour(ColourProperty property, OLE_COLOR NewColor) {
    if (property == ColourProperty::back) {
        surface().SetBackColor(NewColor);
        text_editor().SetBackColor(NewColor);
        selector().SetBackColor(NewColor);
        drop_down_editor().SetBackColor(NewColor);
        grid().SetBackColor(NewColor);
        NotifyChanged(kBackColor);
    } else {
        surface().SetForeColor(NewColor);
        text_editor().SetForeColor(NewColor);
        selector().SetForeColor(NewColor);
        drop_down_editor().SetForeColor(NewColor);
        grid().SetForeColor(NewColor);
        NotifyChanged(kForeColor);
    }
}

void PropertiesCtl::PutFont(IFontDisp* NewFont) {
    // Held for the whole put: all five receivers are handed this same object.
    const widgets::FontRef font(NewFont);
    surface().SetFont(font);
    text_editor().SetFont(font);
    selector().SetFont(font);
    drop_down_editor().SetFont(font);
    grid().SetFont(font);
    // The lists' heights follow the font: the grid starts below the whole selector, and
    // its rows are at least as tall as the drop-down editor laid over them.
    grid().SetTop(static_cast<float>(static_cast<double>(selector().Height()) + 5.0));
    grid().SetRowHeightMin(RoundToInt32(drop_down_editor().Height()));
    comrt::check(OnResize());
    NotifyChanged(kFont);
}

HRESULT STDMETHODCALLTYPE PropertiesCtl::get_BackColor(OLE_COLOR* result) noexcept try {
    CheckThread();
    if (!result) return E_POINTER;
    *result = 0;
    *result = surface().BackColor();
    return S_OK;
} catch (...) {
    return comrt::to_hresult();
}

HRESULT STDMETHODCALLTYPE PropertiesCtl::put_BackColor(OLE_COLOR NewColor) noexcept try {
    CheckThread();
    PutColour(ColourProperty::back, NewColor);
    return S_OK;
} catch (...) {
    return comrt::to_hresult();
}

HRESULT STDMETHODCALLTYPE PropertiesCtl::putref_BackColor(OLE_COLOR NewColor) noexcept try {
    CheckThread();
    PutColour(ColourProperty::back, NewColor);
    return S_OK;
} catch (...) {
    return comrt::to_hresult();
}

HRESULT STDMETHODCALLTYPE PropertiesCtl::get_ForeColor(OLE_COLOR* result) noexcept try {
    CheckThread();
    if (!result) return E_POINTER;
    *result = 0;
    *result = surface().ForeColor();
    return S_OK;
} catch (...) {
    return comrt::to_hresult();
}

HRESULT STDMETHODCALLTYPE PropertiesCtl::put_ForeColor(OLE_COLOR NewColor) noexcept try {
    CheckThread();
    PutColour(ColourProperty::fore, NewColor);
    return S_OK;
} catch (...) {
    return comrt::to_hresult();
}

HRESULT STDMETHODCALLTYPE PropertiesCtl::putref_ForeColor(OLE_COLOR NewColor) noexcept try {
    CheckThread();
    PutColour(ColourProperty::fore, NewColor);
    return S_OK;
} catch (...) {
    return comrt::to_hresult();
}

HRESULT STDMETHODCALLTYPE PropertiesCtl::get_Font(IFontDisp** result) noexcept try {
    CheckThread();
    if (!result) return E_POINTER;
    *result = nullptr;
    surface().Font().copy_to(result);
    return S_OK;
} catch (...) {
    return comrt::to_hresult();
}

HRESULT STDMETHODCALLTYPE PropertiesCtl::put_Font(IFontDisp* NewFont) noexcept try {
    CheckThread();
    PutFont(NewFont);
    return S_OK;
} catch (...) {
    return comrt::to_hresult();
}

HRESULT STDMETHODCALLTYPE PropertiesCtl::putref_Font(IFontDisp* NewFont) noexcept try {
    CheckThread();
    PutFont(NewFont);
    return S_OK;
} catch (...) {
    return comrt::to_hresult();
}

HRESULT PropertiesCtl::OnWriteProperties(IPropertyBag& bag) noexcept try {
    comrt::Variant value;

    OLE_COLOR colour = 0;
    comrt::check(Self().get_BackColor(&colour));
    value->vt = VT_I4;
    value->lVal = static_cast<LONG>(colour);
    WriteProperty(bag, kBackColor, value);

    comrt::check(Self().get_ForeColor(&colour));
    value->lVal = static_cast<LONG>(colour);
    WriteProperty(bag, kForeColor, value);

    comrt::ComPtr<IFontDisp> font;
    comrt::check(Self().get_Font(font.put()));
    value.clear();
    value->vt = VT_DISPATCH;
    value->pdispVal = font.detach();  // the Variant releases it
    WriteProperty(bag, kFont, value);
    return S_OK;
} catch (...) {
    return comrt::to_hresult();
}

// Each of the three steps goes on with the next after a failure (reading the entry,
// converting it or applying it); the handler itself never fails. A step's failure is
// still handed to the error channel, so a damaged entry does not go unnoticed.
HRESULT PropertiesCtl::OnReadProperties(IPropertyBag& bag, IErrorLog* log) noexcept {
    const auto step = [this](auto&& restore) noexcept {
        try {
            restore();
        } catch (...) {
            ReportHandlerStatus(handler_names::kControlReadProperties, comrt::to_hresult());
        }
    };
    step([&] { comrt::check(Self().putref_BackColor(ColourFromBag(ReadProperty(bag, kBackColor, log)))); });
    step([&] { comrt::check(Self().putref_ForeColor(ColourFromBag(ReadProperty(bag, kForeColor, log)))); });
    step([&] {
        const comrt::ComPtr<IFontDisp> font = FontFromBag(ReadProperty(bag, kFont, log));
        comrt::check(Self().putref_Font(font.get()));
    });
    return S_OK;
}

// The container's notification sink, when it has one, learns of the change by the
// property's dispatch id; a sink that fails changes nothing for the control.
void PropertiesCtl::NotifyChanged(comrt::olestring_view name) noexcept {
    dirty_ = true;
    const DISPID id = DispidOf(name);
    // The site may release the control, and a sink may disconnect, while they hear of it.
    const comrt::ComPtr<PropertiesCtl> self(this);
    if (const comrt::ComPtr<IPropertyNotifySink> site = notify_sink_) site->OnChanged(id);
    if (const comrt::ComPtr<ConnectionPoint> point = notify_point_) {
        try {
            point->ForEach<IPropertyNotifySink>([id](IPropertyNotifySink& sink) { sink.OnChanged(id); });
        } catch (...) {
            // Out of memory for the list of sinks: the put itself has succeeded.
        }
    }
}

}  // namespace orvane
