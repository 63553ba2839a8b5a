// The find field: a one-line search box the control shows between the selector and the
// grid while the user finds items, with a short status at its end ("2 of 5").
//
// Conventions for value types, failures (comrt::com_error) and events are in contract.h.
// It takes the surface's font and colours.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include <control/widgets/contract.h>

namespace orvane::widgets {

// Events of the find field. Each returns the handler's status and never throws.
class FindFieldEvents {
public:
    // The user changed the text (a SetText raises nothing).
    virtual HRESULT Change() noexcept = 0;
    // A key went down while the field has the focus, before it acts on it (setting key
    // to 0 handles it), as in the text box.
    virtual HRESULT KeyDown(std::int16_t& /*key*/, std::int16_t /*shift*/) noexcept { return S_OK; }

protected:
    ~FindFieldEvents() = default;
};

class FindField {
public:
    virtual ~FindField() = default;

    // Connects the sink that receives the field's events (null disconnects).
    virtual void SetEventSink(FindFieldEvents* sink) noexcept = 0;

    // The text searched for; setting it puts the caret at its end.
    virtual std::u16string Text() = 0;
    virtual void SetText(std::u16string_view text) = 0;
    // Shown or hidden (created hidden). A hidden field keeps its text.
    virtual void SetVisible(bool visible) = 0;
    // Place and width in twips on the container; the height is the field's own. A
    // negative width fails with CTL_E_INVALIDPROPERTYVALUE and moves nothing.
    virtual void Move(float left, float top, float width) = 0;
    virtual float Height() = 0;
    // The status at the field's end, which assistive technology reads too; found false
    // shows it as a miss.
    virtual void SetStatus(std::u16string_view status, bool found) = 0;
    // Takes the input focus, with the whole text selected.
    virtual void SetFocus() = 0;
    // The name assistive technology announces for the field.
    virtual void SetAccessibleName(std::u16string_view name) = 0;
};

}  // namespace orvane::widgets
