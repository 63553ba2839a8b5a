// Editor placement and value entry: ChangeCellText and ComboInit open the two in-place
// editors over the grid's current cell (with the placement rule of editor_placement.h,
// the one the window hook applies), and OnDropDownEditorClick shows a pick in the cell at
// once.
//
// None of the three writes an item's ItemValue or touches the editor-active flags: the
// editing handlers (editing.cpp) decide when an editor counts as open and write the value
// back when the cell is left.
#include <control/PropertiesCtl.h>

#include <algorithm>
#include <string_view>
#include <vector>

#include <control/arithmetic.h>
#include <control/editor_placement.h>
#include <control/widget_text.h>
#include <tessel/item_texts.h>

namespace orvane {
namespace {

// The choice list's upper bound (its highest valid index, not the number of strings);
// error 9 when the item has no list.
std::int16_t ChoiceUpperBound(_clsPropertyItem& item) {
    SHORT upper = 0;
    comrt::check(item.Count(&upper));
    return upper;
}

// The choice at index; error 9 outside the list's bounds.
comrt::Bstr Choice(_clsPropertyItem& item, std::int16_t index) {
    SHORT nIndex = index;
    comrt::Bstr choice;
    comrt::check(item.GetItem(&nIndex, choice.put()));
    return choice;
}

}  // namespace

// ChangeCellText: no arguments.
//   S_OK: the text editor is shown over the current cell (any column, any item type),
//   has the focus and lies in front of the grid; its text is only changed by the focus
//   handler when the editor did not have the focus.
//   Failure: a widget's status; overflow (6) when cell width - allowance leaves 32 bits.
HRESULT STDMETHODCALLTYPE PropertiesCtl::ChangeCellText() noexcept try {
    CheckThread();
    widgets::TextBox& editor = text_editor();
    // Worked out afresh: the scroll bar comes and goes with the rows.
    const std::int32_t allowance = ScrollBarAllowance(grid());
    // Shown at its old place for the moment, then put over the cell with one Move that
    // sets all four edges together.
    editor.SetVisible(true);
    MoveTextEditorOverCell(grid(), editor, allowance);
    // When the editor did not have the focus, OnTextEditorGotFocus reloads its text from
    // the cell, calls ChangeCellText again and selects the whole text.
    editor.SetFocus();
    // In front of the grid, which it lies over.
    editor.ZOrder(0);
    return S_OK;
} catch (...) {
    return comrt::to_hresult();
}

// ComboInit: no arguments.
//   S_OK: the drop-down editor holds the current row's item's choices in index order, the
//   last entry equal to the cell's text selected (entry 0 when none is), and is shown
//   over the current cell with the focus, in front of the grid. A choice list with upper
//   bound 32767 gives all 32768 entries.
//   Failure, each ending the method at that step:
//     object not set (91): no current group; nothing changed.
//     overflow (6): current row above 32766; nothing changed.
//     the collection's or the item's status: no item at row + 1, an element that is not
//     a property item (13); nothing changed.
//     subscript out of range (9): the item has no choice list, or one based above 0;
//     the drop-down is left empty.
//     a widget's status, e.g. the drop-down rejecting index 0 of an empty list.
//   Once the list is filled and its entry selected, the edit of the cell is recorded
//   with the cell's text: a leave without a pick writes nothing back. Until then no edit
//   is open.
HRESULT STDMETHODCALLTYPE PropertiesCtl::ComboInit() noexcept try {
    CheckThread();
    // Looked up before anything changes, so that a row without an item leaves the
    // drop-down as it was.
    const comrt::ComPtr<_clsPropertyItem> item = CurrentRowItem();
    widgets::DropDown& editor = drop_down_editor();

    // From here until an entry is selected the list holds no choice of this item.
    editing_.edit.reset();
    editor.Clear();
    // Entry 0 unless a later one matches the cell.
    std::int16_t selected = 0;
    const std::int16_t upper = ChoiceUpperBound(*item);
    const std::u16string shown = grid().Text();
    // Entries 0 to upper, both included. The counter is wider than 16 bits so that a
    // list ending at 32767 stops after its last entry instead of overflowing; every index
    // it names fits 16 bits. The choices go into the list together; those read before a
    // failing read go in all the same, as they would one by one. Tessel's own items are
    // read in place, the choices of anyone else's through GetItem.
    const comrt::ComPtr<ITesselItemTexts> own = item.try_as<ITesselItemTexts>();
    std::vector<comrt::Bstr> copies;
    std::vector<std::u16string_view> texts;
    WidgetTexts held;  // the widget text of what texts views
    texts.reserve(static_cast<std::size_t>(std::max<std::int32_t>(upper + 1, 0)));
    if (!own) copies.reserve(texts.capacity());
    try {
        for (std::int32_t i = 0; i <= upper; ++i) {
            const auto index = static_cast<std::int16_t>(i);
            std::u16string_view text;
            if (own) {
                const OLECHAR* units = nullptr;
                ULONG length = 0;
                comrt::check(own->ViewChoice(index, &units, &length));
                text = held.View({units, length});
            } else {
                copies.push_back(Choice(*item, index));
                text = held.View(copies.back().view());
            }
            texts.push_back(text);
            // Compared with the cell's text exactly: the last equal entry wins.
            if (text == shown) selected = index;
        }
    } catch (...) {
        editor.AddItems(texts);
        throw;
    }
    editor.AddItems(texts);
    // The selection that matches the cell is the editor opening, not a pick: its Click
    // shows nothing in the cell, so a value that is none of the choices stays on show.
    {
        editing_.initializing_drop_down = true;
        struct Done {
            bool& flag;
            ~Done() { flag = false; }
        } done{editing_.initializing_drop_down};
        editor.SetListIndex(selected);
    }
    RecordEdit(item, true, grid().Text());
    ShowDropDownEditor();
    return S_OK;
} catch (...) {
    return comrt::to_hresult();
}

void PropertiesCtl::ShowDropDownEditor() {
    widgets::DropDown& editor = drop_down_editor();
    // Shown, focused and in front while still at its old place; its own height is kept
    // when it moves over the cell.
    editor.SetVisible(true);
    editor.SetFocus();
    editor.ZOrder(0);
    const std::int32_t allowance = ScrollBarAllowance(grid());
    PlaceDropDownOverCell(grid(), editor, allowance);
    // Redrawn at once, so the moved list does not wait for the next paint.
    editor.Refresh();
}

HRESULT PropertiesCtl::OnDropDownEditorClick() noexcept try {
    if (editing_.initializing_drop_down) return S_OK;
    // The pick shows in the current cell at once; the item is written when the edit is
    // committed.
    grid().SetText(drop_down_editor().Text());
    if (editing_.edit && editing_.edit->drop_down) editing_.edit->picked = true;
    return S_OK;
} catch (...) {
    return comrt::to_hresult();
}

}  // namespace orvane
