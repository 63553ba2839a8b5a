// A drop-down list: a list of string entries of which at most one is selected. The
// control has two: the group selector and the in-place value editor.
//
// Conventions for value types, failures (comrt::com_error) and events are in contract.h.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include <control/widgets/contract.h>

namespace orvane::widgets {

// Events of a drop-down list. Returns the handler's status and never throws.
class DropDownEvents {
public:
    // An entry was picked: by the user, or by a SetListIndex that changed the index.
    virtual HRESULT Click() noexcept = 0;
    // A key went down while the drop-down has the focus and its list is closed, before it
    // acts on it (as the grid's KeyDown: setting key to 0 handles it). Tab and Shift+Tab
    // come here too instead of moving the focus. Keys in an open list are the list's own.
    virtual HRESULT KeyDown(std::int16_t& /*key*/, std::int16_t /*shift*/) noexcept { return S_OK; }

protected:
    ~DropDownEvents() = default;
};

class DropDown {
public:
    virtual ~DropDown() = default;

    // Connects the sink that receives the list's events (null disconnects).
    virtual void SetEventSink(DropDownEvents* sink) noexcept = 0;

    // ---- placement on the container (twips) ------------------------------------------
    virtual void SetLeft(float left) = 0;
    virtual void SetTop(float top) = 0;
    // A negative width fails with CTL_E_INVALIDPROPERTYVALUE and changes nothing.
    virtual void SetWidth(float width) = 0;
    // The list's own height, set by the widget itself (it follows the font); the logic
    // reads it and never sets it.
    virtual float Height() = 0;

    // Shown or hidden.
    virtual void SetVisible(bool visible) = 0;

    // ---- entries -----------------------------------------------------------------------
    // The text on show: the selected entry's text, the empty string when none is
    // selected.
    virtual std::u16string Text() = 0;

    // Index of the selected entry, from 0; -1 when none is selected (a fresh or cleared
    // list). A put of an index that names an entry selects it, and raises Click when the
    // index changed; a put of the index already selected raises nothing. A put of -1
    // clears the selection (Click when one was selected). Any other index fails with
    // CTL_E_INVALIDPROPERTYVALUE and changes nothing.
    virtual std::int16_t ListIndex() = 0;
    virtual void SetListIndex(std::int16_t index) = 0;

    // Removes all entries; the selection becomes -1 without a Click.
    virtual void Clear() = 0;
    // Appends an entry at the end. Entries are never sorted: entry k is the k-th added.
    // The selected index does not change. A list already holding 32768 entries (all
    // that 16-bit indices 0 to 32767 can name) fails with the overflow error (6).
    virtual void AddItem(std::u16string_view text) = 0;
    // Appends the entries in order, as one AddItem each would (a full list fails with
    // the overflow error, the entries before kept); a list may take them in one piece.
    virtual void AddItems(std::span<const std::u16string_view> texts) {
        for (const std::u16string_view text : texts) AddItem(text);
    }

    // Takes the input focus (a text box that had it raises LostFocus).
    virtual void SetFocus() = 0;
    // Opens the list of entries under the drop-down, as a click on its button does; a
    // hidden drop-down opens nothing.
    virtual void ShowList() = 0;
    // Brings the list in front of its siblings (position 0) or behind them (1); anything
    // else fails with CTL_E_INVALIDPROPERTYVALUE.
    virtual void ZOrder(std::int16_t position) = 0;
    // Redraws the list at once.
    virtual void Refresh() = 0;

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
