// Cell navigation and editing: the handlers of the grid's cell, mouse and scroll events and
// of the text editor's focus events, and the item lookup they share with ComboInit.
//
// An item's ItemValue changes only when the grid's current cell is left: the leave writes
// the open editor's text into the cell and into the item of the row being left, and hides
// both editors. The two editor-active flags of the editor tracking tell the window hook
// which editor a cell entry opened.
//
// Every handler that needs an item passes a guard first: a value cell (column not 0), no
// fill in progress (for the cell events only), and a current group. Before any group was
// shown there is no item behind any row, so the handlers then open no editor and write
// nothing.
#include <control/PropertiesCtl.h>

#include <climits>
#include <string>

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
    // Rows are 16-bit positions to the collection, so a row the grid could hold beyond
    // them fails with the overflow error instead of naming the wrong item.
    const std::int16_t row = ToInt16(grid().Row());
    if (!current_group_) comrt::raise(comrt::runtime_error::object_not_set, kErrorSource);
    const comrt::ComPtr<_Collection> items = ItemsCollectionOf(*current_group_);
    // Row r shows item r + 1; row 32767 has no 16-bit position and overflows.
    const std::int16_t position = AddInt16(row, 1);
    return CollectionItemAs<_clsPropertyItem>(*items, position);
}

HRESULT PropertiesCtl::OnGridEnterCell() noexcept try {
    // The column is read before the fill is tested, so a grid that fails the read is
    // reported even during a fill.
    const bool name_column = grid().Col() == kNameColumn;
    const bool filling = grid_fill_ == GridFill::filling;
    if (name_column || filling || !current_group_) return S_OK;

    const comrt::ComPtr<_clsPropertyItem> item = CurrentRowItem();
    if (ItemTypeOf(*item) == kDropDownItemType) {
        // The hook keeps the drop-down over the cell only once it is open: a ComboInit that
        // fails leaves nothing for it to move.
        comrt::check(Self().ComboInit());
        editor_tracking_->drop_down_editor_active = true;
    } else {
        // The flag goes up before the editor takes the focus, so OnTextEditorGotFocus
        // already finds it set.
        text_editor().SetText(grid().Text());
        editor_tracking_->text_editor_active = true;
        comrt::check(Self().ChangeCellText());
    }
    return S_OK;
} catch (...) {
    return comrt::to_hresult();
}

HRESULT PropertiesCtl::OnGridLeaveCell() noexcept try {
    // Whatever happens below, the editor of the cell being left no longer follows it:
    // both flags drop before any test, even during a fill.
    editor_tracking_->text_editor_active = false;
    editor_tracking_->drop_down_editor_active = false;

    // Whatever text the editor holds, a guarded leave of a value cell writes it back.
    const bool name_column = grid().Col() == kNameColumn;
    const bool filling = grid_fill_ == GridFill::filling;
    if (name_column || filling || !current_group_) return S_OK;

    // The grid still names the cell being left, so this is its row's item.
    const comrt::ComPtr<_clsPropertyItem> item = CurrentRowItem();
    if (ItemTypeOf(*item) == kDropDownItemType) {
        // A drop-down that ComboInit emptied and could not fill holds no choice of this
        // item: nothing is written back.
        if (!drop_down_unfilled_) {
            grid().SetText(drop_down_editor().Text());
            PutItemValue(*item, drop_down_editor().Text());
        }
    } else {
        grid().SetText(text_editor().Text());
        PutItemValue(*item, text_editor().Text());
    }

    drop_down_editor().SetVisible(false);
    text_editor().SetVisible(false);
    return S_OK;
} catch (...) {
    return comrt::to_hresult();
}

// Button, shift state and position are not read: every press acts alike.
HRESULT PropertiesCtl::OnGridMouseDown(SHORT, SHORT, float, float) noexcept try {
    // A press is no cell move of a fill, so the fill does not filter it; the column does.
    if (grid().Col() == kNameColumn || !current_group_) return S_OK;

    // The current row at the time of the press: the cell events it caused came first.
    const comrt::ComPtr<_clsPropertyItem> item = CurrentRowItem();
    if (ItemTypeOf(*item) == kDropDownItemType) {
        // A press on the cell of an open drop-down reopens it, list and all.
        comrt::check(Self().ComboInit());
        editor_tracking_->drop_down_editor_active = true;
    } else {
        // The editor's text goes into the cell first: showing the editor gives it the
        // focus, and OnTextEditorGotFocus then reloads it from the cell, so text typed
        // before a scroll hid the editor survives. The text editor's flag is left as it
        // is.
        grid().SetText(text_editor().Text());
        comrt::check(Self().ChangeCellText());
    }
    return S_OK;
} catch (...) {
    return comrt::to_hresult();
}

HRESULT PropertiesCtl::OnGridScroll() noexcept try {
    // The cell scrolls away from under its editor: both hide, the text editor first.
    // Nothing is written back; the text editor keeps its text for the next leave.
    text_editor().SetVisible(false);
    drop_down_editor().SetVisible(false);
    editor_tracking_->text_editor_active = false;
    editor_tracking_->drop_down_editor_active = false;
    return S_OK;
} catch (...) {
    return comrt::to_hresult();
}

HRESULT PropertiesCtl::OnTextEditorGotFocus() noexcept try {
    // The cell is what the editor edits: its text replaces whatever the editor held.
    text_editor().SetText(grid().Text());
    // Over the current cell again; the editor has the focus now, so this raises no
    // further GotFocus.
    comrt::check(Self().ChangeCellText());
    // The whole text selected, so typing replaces it; lengths count UTF-16 code units.
    text_editor().SetSelStart(0);
    const std::u16string text = text_editor().Text();
    if (text.size() > static_cast<std::size_t>(INT32_MAX)) RaiseOverflow();
    text_editor().SetSelLength(static_cast<std::int32_t>(text.size()));
    return S_OK;
} catch (...) {
    return comrt::to_hresult();
}

// Losing the focus neither hides the editor nor writes its text anywhere.
HRESULT PropertiesCtl::OnTextEditorLostFocus() noexcept { return S_OK; }

}  // namespace orvane
