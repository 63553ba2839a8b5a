// The text box: the borderless in-place text editor laid over a value cell.
//
// Conventions for value types, failures (comrt::com_error) and events are in contract.h.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include <control/widgets/contract.h>

namespace orvane::widgets {

// Events of the text box. Each returns the handler's status and never throws.
class TextBoxEvents {
public:
    // The text box has gained the input focus (it did not have it before).
    virtual HRESULT GotFocus() noexcept = 0;
    // The text box has lost the input focus.
    virtual HRESULT LostFocus() noexcept = 0;
    // A key went down while the text box has the focus, before it acts on it (as the
    // grid's KeyDown: setting key to 0 handles it). Tab and Shift+Tab come here too
    // instead of moving the focus.
    virtual HRESULT KeyDown(std::int16_t& /*key*/, std::int16_t /*shift*/) noexcept { return S_OK; }

protected:
    ~TextBoxEvents() = default;
};

class TextBox {
public:
    virtual ~TextBox() = default;

    // Connects the sink that receives the text box's events (null disconnects).
    virtual void SetEventSink(TextBoxEvents* sink) noexcept = 0;

    // The editor's content. Setting it leaves the selection empty at the start.
    virtual std::u16string Text() = 0;
    virtual void SetText(std::u16string_view text) = 0;

    // Shown or hidden. A hidden text box keeps its text.
    virtual void SetVisible(bool visible) = 0;

    // Placement and size in one step, in twips on the container: left in single
    // precision, top in double precision, width and height as 32-bit integers.
    // A negative width or height fails with CTL_E_INVALIDPROPERTYVALUE and moves nothing.
    virtual void Move(float left, double top, std::int32_t width, std::int32_t height) = 0;

    // Tab order position (the logic sets 2); negative fails with
    // CTL_E_INVALIDPROPERTYVALUE.
    virtual void SetTabIndex(std::int16_t index) = 0;
    // 0: no border, 1: fixed single border; anything else fails with
    // CTL_E_INVALIDPROPERTYVALUE.
    virtual void SetBorderStyle(std::int16_t style) = 0;

    // Selection within the text, in UTF-16 code units: its start, then its length.
    // Values beyond the end of the text are cut back to it; negative values fail with
    // CTL_E_INVALIDPROPERTYVALUE.
    virtual void SetSelStart(std::int32_t start) = 0;
    virtual void SetSelLength(std::int32_t length) = 0;

    // Takes the input focus. Raises GotFocus only if the text box did not have the focus
    // already; a call while it has the focus raises nothing. A text box raises LostFocus
    // when the focus moves from it to another widget.
    virtual void SetFocus() = 0;

    // Brings the text box in front of its siblings (position 0) or behind them (1);
    // anything else fails with CTL_E_INVALIDPROPERTYVALUE.
    virtual void ZOrder(std::int16_t position) = 0;

    // ---- appearance ------------------------------------------------------------------
    virtual void SetBackColor(OLE_COLOR color) = 0;
    virtual void SetForeColor(OLE_COLOR color) = 0;
    // Shares the font object it is given; a null font fails with the object-not-set
    // error (91).
    virtual void SetFont(const FontRef& font) = 0;

    // The name assistive technology (a screen reader) announces for the widget.
    virtual void SetAccessibleName(std::u16string_view name) = 0;
};

}  // namespace orvane::widgets
