// Cell navigation and editing: the handlers of the grid's cell, mouse and scroll events and
// of the text editor's focus events, and the item lookup they share with ComboInit.
//
// An item's ItemValue changes only when the grid's current cell is left: the leave writes
// the open editor's text into the cell and into the item of the row being left, and hides
// both editors. The two editor-active flags of the EditorTrackingRecord tell the window
// hook which editor a cell entry opened (writers store -1 and 0).
//
// Every handler that needs an item passes a guard first: a value cell (column not 0), no
// fill in progress (fill marker not "data", for the cell events), and a current group.
// Before any group was shown there is no item behind any row, so the handlers then open no
// editor and write nothing.
#include <control/PropertiesCtl.h>

#include <climits>

#include <control/arithmetic.h>
#include <control/collections.h>

namespace orvane {
namespace {

// The item type code of an item edited with the drop-down list of its choices; every
// other code is a free-text item.
constexpr SHORT kDropDownItemType = 1;
// Column 0 holds the names; every other column holds values.
constexpr std::int32_t kNameColumn = 0;

SHORT ItemTypeOf(_clsPropertyItem& item) {
    SHORT type = 0;
    comrt::check(item.get_ItemType(&type));
    return type;
}

void PutItemValue(_clsPropertyItem& item, std::u16string_view text) {
    comrt::Bstr value(text);
    comrt::check(item.put_ItemValue(value.get()));
}

}  // namespace

comrt::ComPtr<_clsPropertyItem> PropertiesCtl::CurrentRowItem() {
    // 1. The grid's Row, narrowed to 16 bits.
    const std::int16_t row = ToInt16(MSFlexGrid1().Row());
    // 2. The current group's ItemsCollection.
    if (!current_group_) comrt::raise(comrt::runtime_error::object_not_set, kErrorSource);
    const comrt::ComPtr<_Collection> items = ItemsCollectionOf(*current_group_);
    // 3. Row + 1 in 16 bits: row 32767 overflows.
    const std::int16_t position = AddInt16(row, 1);
    // 4. The element at that position, as a clsPropertyItem.
    return CollectionItemAs<_clsPropertyItem>(*items, position);
}

HRESULT PropertiesCtl::MSFlexGrid1_EnterCell() noexcept try {
    // 1. Guard: both tests are made.
    const bool name_column = MSFlexGrid1().Col() == kNameColumn;
    const bool filling = fill_marker_ == kFillMarkerData;
    if (name_column || filling || !current_group_) return S_OK;

    // 2. Item lookup.
    const comrt::ComPtr<_clsPropertyItem> item = CurrentRowItem();
    if (ItemTypeOf(*item) == kDropDownItemType) {
        // 3. The drop-down editor; its flag only once it is open.
        comrt::check(Self().ComboInit());
        record_->drop_down_editor_active = VARIANT_TRUE;
    } else {
        // 4. The text editor with the entered cell's text. The flag goes up before the
        // editor takes the focus, so Text1_GotFocus already finds it set.
        Text1().SetText(MSFlexGrid1().Text());
        record_->text_editor_active = VARIANT_TRUE;
        comrt::check(Self().ChangeCellText());
    }
    return S_OK;
} catch (...) {
    return comrt::to_hresult();
}

HRESULT PropertiesCtl::MSFlexGrid1_LeaveCell() noexcept try {
    // 1. Every leave clears both flags, before any test.
    record_->text_editor_active = VARIANT_FALSE;
    record_->drop_down_editor_active = VARIANT_FALSE;

    // 2. Guard. Whatever text the editor holds, a guarded leave of a value cell writes it
    // back.
    const bool name_column = MSFlexGrid1().Col() == kNameColumn;
    const bool filling = fill_marker_ == kFillMarkerData;
    if (name_column || filling || !current_group_) return S_OK;

    // 3. Item lookup, for the row being left.
    const comrt::ComPtr<_clsPropertyItem> item = CurrentRowItem();
    if (ItemTypeOf(*item) == kDropDownItemType) {
        // 4. The drop-down's choice into the cell, then into the item. A drop-down that
        // ComboInit emptied and could not fill holds no choice of this item: nothing is
        // written back.
        if (!drop_down_unfilled_) {
            MSFlexGrid1().SetText(Combo2().Text());
            PutItemValue(*item, Combo2().Text());
        }
    } else {
        // 5. The text editor's text into the cell, then into the item.
        MSFlexGrid1().SetText(Text1().Text());
        PutItemValue(*item, Text1().Text());
    }

    // 6. Both editors hidden, the drop-down first.
    Combo2().SetVisible(false);
    Text1().SetVisible(false);
    return S_OK;
} catch (...) {
    return comrt::to_hresult();
}

// Button, shift state and position are not read: every press acts alike.
HRESULT PropertiesCtl::MSFlexGrid1_MouseDown(SHORT, SHORT, float, float) noexcept try {
    // 1. Guard: the column only; a press is not filtered by the fill marker.
    if (MSFlexGrid1().Col() == kNameColumn || !current_group_) return S_OK;

    // 2. Item lookup, for the current row at the time of the press.
    const comrt::ComPtr<_clsPropertyItem> item = CurrentRowItem();
    if (ItemTypeOf(*item) == kDropDownItemType) {
        // 3. The drop-down editor, reopened.
        comrt::check(Self().ComboInit());
        record_->drop_down_editor_active = VARIANT_TRUE;
    } else {
        // 4. The editor's text goes into the cell first: showing the editor gives it the
        // focus, and Text1_GotFocus then reloads it from the cell. The text editor's flag
        // is left as it is.
        MSFlexGrid1().SetText(Text1().Text());
        comrt::check(Self().ChangeCellText());
    }
    return S_OK;
} catch (...) {
    return comrt::to_hresult();
}

HRESULT PropertiesCtl::MSFlexGrid1_Scroll() noexcept try {
    // 1. Both editors hidden, the text editor first; nothing is written back, the text
    // editor keeps its text for the next leave.
    Text1().SetVisible(false);
    Combo2().SetVisible(false);
    // 2. Neither is kept over its cell any more.
    record_->text_editor_active = VARIANT_FALSE;
    record_->drop_down_editor_active = VARIANT_FALSE;
    return S_OK;
} catch (...) {
    return comrt::to_hresult();
}

HRESULT PropertiesCtl::Text1_GotFocus() noexcept try {
    // 1. The current cell's text replaces whatever the editor held.
    Text1().SetText(MSFlexGrid1().Text());
    // 2. Over the current cell again (the editor has the focus now: no further event).
    comrt::check(Self().ChangeCellText());
    // 3-4. The whole text selected, its length in UTF-16 code units.
    Text1().SetSelStart(0);
    const std::u16string text = Text1().Text();
    if (text.size() > static_cast<std::size_t>(INT32_MAX)) RaiseOverflow();
    Text1().SetSelLength(static_cast<std::int32_t>(text.size()));
    return S_OK;
} catch (...) {
    return comrt::to_hresult();
}

// Losing the focus neither hides the editor nor writes its text anywhere.
HRESULT PropertiesCtl::Text1_LostFocus() noexcept { return S_OK; }

}  // namespace orvane
