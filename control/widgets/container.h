// The container surface: the control's own window, which hosts the child widgets.
//
// Conventions for value types, failures (comrt::com_error) and events are in contract.h.
#pragma once

#include <cstdint>
#include <string_view>

#include <comrt/oleidl.h>
#include <control/widgets/contract.h>

namespace orvane::widgets {

// Events of the container. Each returns the handler's status and never throws.
class ContainerEvents {
public:
    // The control has been sited on its widgets; raised once, before any other event.
    // The control raises Initialize and Terminate itself when it is activated and
    // deactivated in place; the surface raises Resize.
    virtual HRESULT Initialize() noexcept = 0;
    // The control's inner size (ScaleWidth, ScaleHeight) was set or changed. Raised by
    // the surface's own handling of the WM_SIZE message (window_procs.h), so a procedure
    // hooked into the window sees the message after this event has been handled.
    virtual HRESULT Resize() noexcept = 0;
    // The control is being destroyed; raised once, after every other event.
    virtual HRESULT Terminate() noexcept = 0;
    // The input focus went from a widget of the control to a widget outside it.
    virtual HRESULT ExitFocus() noexcept { return S_OK; }

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

    // Places the control's window at position (device pixels of the container's window)
    // and raises Resize through the window's procedure chain (WM_SIZE) when its size
    // changed, and always on the first call. A rectangle with right below left or bottom
    // below top fails with CTL_E_INVALIDPROPERTYVALUE and changes nothing.
    virtual void SetObjectRect(const RECT& position) = 0;
    // A line of text in front of the child widgets, for a message the user reads without
    // being stopped by it (a value the host refused): at left, top (twips on the
    // container), width twips wide and as high as its text needs, shown as an error and
    // announced by assistive technology. It never takes the focus and lets mouse presses
    // through to what lies under it. Showing it again moves it and replaces its text. A
    // negative width fails with CTL_E_INVALIDPROPERTYVALUE and changes nothing. Raises no
    // event.
    virtual void ShowMessage(float left, double top, std::int32_t width, std::u16string_view text) = 0;
    // Hides the message line (a hidden one stays hidden). Raises no event.
    virtual void HideMessage() = 0;
    // Shows or hides the control's window with everything in it (a container's
    // OLEIVERB_HIDE and OLEIVERB_SHOW); raises no event.
    virtual void SetVisible(bool visible) = 0;
    // Takes the control's window, and every widget in it, away for good. Afterwards every
    // member of the surface and of the widgets fails with E_HANDLE. Raises no event.
    virtual void Destroy() noexcept = 0;
};

}  // namespace orvane::widgets
