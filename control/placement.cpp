// Editor placement and value entry: ChangeCellText and ComboInit open the two in-place
// editors over the grid's current cell (with the placement rule of editor_placement.h,
// the one the window hook applies), and Combo2_Click shows a pick in the cell at once.
//
// None of the three writes an item's ItemValue or touches the editor-active flags: the
// editing handlers (editing.cpp) decide when an editor counts as open and write the value
// back when the cell is left.
#include <control/PropertiesCtl.h>

#include <control/arithmetic.h>
#include <control/editor_placement.h>

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
    widgets::Grid& grid = MSFlexGrid1();
    widgets::TextBox& editor = Text1();
    // 1. The scroll-bar allowance, worked out afresh.
    const std::int32_t allowance = ScrollBarAllowance(grid);
    // 2. Shown, at its old place for the moment.
    editor.SetVisible(true);
    // 3-5. Over the current cell with one Move.
    MoveTextEditorOverCell(grid, editor, allowance);
    // 6. The focus; when the editor did not have it, Text1_GotFocus reloads its text from
    // the cell, calls ChangeCellText again and selects the whole text.
    editor.SetFocus();
    // 7. In front of the grid.
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
//   Until the list is filled and its entry selected, a leave of a drop-down cell writes
//   nothing back (drop_down_unfilled_).
HRESULT STDMETHODCALLTYPE PropertiesCtl::ComboInit() noexcept try {
    // 1-2. Item lookup: Row narrowed to 16 bits, the current group's item at Row + 1.
    const comrt::ComPtr<_clsPropertyItem> item = CurrentRowItem();
    widgets::Grid& grid = MSFlexGrid1();
    widgets::DropDown& editor = Combo2();

    // 3. All entries removed.
    drop_down_unfilled_ = true;
    editor.Clear();
    // 4. Entry 0 unless a later one matches.
    std::int16_t selected = 0;
    // 5. The upper bound of the choice list.
    const std::int16_t upper = ChoiceUpperBound(*item);
    // 6. Entries 0 to upper, both included. The counter is wider than 16 bits so that a
    // list ending at 32767 stops after its last entry instead of overflowing; every index
    // it names fits 16 bits.
    for (std::int32_t i = 0; i <= upper; ++i) {
        const auto index = static_cast<std::int16_t>(i);
        // 6.1 Appended at the end.
        editor.AddItem(Choice(*item, index).view());
        // 6.2 Compared with the cell's text, exactly: the last equal entry wins.
        if (Choice(*item, index) == grid.Text()) selected = index;
    }
    // 7. Selected; a changed index raises Combo2_Click, which shows the choice in the cell.
    editor.SetListIndex(selected);
    drop_down_unfilled_ = false;

    // 8. Shown, focused and in front, still at its old place.
    editor.SetVisible(true);
    editor.SetFocus();
    editor.ZOrder(0);
    // 9-10. Over the current cell; its own height is kept.
    const std::int32_t allowance = ScrollBarAllowance(grid);
    PlaceDropDownOverCell(grid, editor, allowance);
    // 11. Redrawn at once.
    editor.Refresh();
    return S_OK;
} catch (...) {
    return comrt::to_hresult();
}

HRESULT PropertiesCtl::Combo2_Click() noexcept try {
    // 1. The pick into the current cell; the item is written when the cell is left.
    MSFlexGrid1().SetText(Combo2().Text());
    return S_OK;
} catch (...) {
    return comrt::to_hresult();
}

}  // namespace orvane
