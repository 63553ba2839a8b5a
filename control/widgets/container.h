// The container surface (the control's own window, which hosts the child widgets) and
// the property bag through which the container persists the control's settings.
//
// Conventions for value types, failures (comrt::com_error) and events are in contract.h.
#pragma once

#include <string_view>

#include <comrt/error.h>
#include <comrt/resource.h>
#include <control/widgets/contract.h>

namespace orvane::widgets {

// A read of a key that the bag does not hold: run-time error 327, "Data value named not
// found".
inline constexpr HRESULT kDataValueNotFound = comrt::runtime_hresult(comrt::runtime_error::data_value_not_found);

// The host form's property bag, handed to the control for the length of a
// ReadProperties or WriteProperties event; the control must not keep it.
class PropertyBag {
public:
    virtual ~PropertyBag() = default;

    // The value stored under key (no default value is involved). A key the bag lacks
    // fails with kDataValueNotFound; an entry the bag cannot read back (a damaged file)
    // fails with the bag's own error. Never anything but com_error.
    virtual comrt::Variant ReadProperty(std::u16string_view key) = 0;
    // Stores a copy of value under key, replacing what the key held; a new key goes after
    // the keys already stored. A value the bag cannot store fails with
    // DISP_E_TYPEMISMATCH and stores nothing.
    virtual void WriteProperty(std::u16string_view key, const VARIANT& value) = 0;
};

// Events of the container. Each returns the handler's status and never throws.
class ContainerEvents {
public:
    // The control has been created and sited; raised once, before any other event.
    virtual HRESULT Initialize() noexcept = 0;
    // The control's inner size (ScaleWidth, ScaleHeight) was set or changed. Raised by
    // the surface's own handling of the WM_SIZE message (window_procs.h), so a procedure
    // hooked into the window sees the message after this event has been handled.
    virtual HRESULT Resize() noexcept = 0;
    // The control is being destroyed; raised once, after every other event.
    virtual HRESULT Terminate() noexcept = 0;
    // The container restores (ReadProperties) or saves (WriteProperties) the persisted
    // settings through bag.
    virtual HRESULT ReadProperties(PropertyBag& bag) noexcept = 0;
    virtual HRESULT WriteProperties(PropertyBag& bag) noexcept = 0;

protected:
    ~ContainerEvents() = default;
};

class Container {
public:
    virtual ~Container() = default;

    // Connects the sink that receives the container's events (null disconnects).
    virtual void SetEventSink(ContainerEvents* sink) noexcept = 0;

    // Inner size of the control, twips.
    virtual float ScaleWidth() = 0;
    virtual float ScaleHeight() = 0;

    // The control's own window. Every event of the surface becomes a message that runs
    // through this window's procedure chain (paint: WM_PAINT, resize: WM_SIZE); the
    // window's original procedure is the surface's own handling (its painting, and the
    // Resize event for WM_SIZE).
    virtual OLE_HANDLE hWnd() = 0;

    // The control's own colours and font. Colours are stored and returned unchanged
    // (system colours included). The surface shares the font object it is given and
    // returns that same object; a null font fails with the object-not-set error (91).
    virtual OLE_COLOR BackColor() = 0;
    virtual void SetBackColor(OLE_COLOR color) = 0;
    virtual OLE_COLOR ForeColor() = 0;
    virtual void SetForeColor(OLE_COLOR color) = 0;
    virtual FontRef Font() = 0;
    virtual void SetFont(const FontRef& font) = 0;

    // Tells the container that the persisted property `name` changed (so the host form
    // counts as modified).
    virtual void PropertyChanged(std::u16string_view name) = 0;
};

}  // namespace orvane::widgets
