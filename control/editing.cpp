// Cell navigation and editing: the handlers of the grid's cell, mouse and scroll events and
// of the text editor's focus events, and the item lookup they share with ComboInit.
//
// An item's ItemValue changes only through a commit of the edit open over its cell
// (pending_edit.cpp), and a commit writes only what the user changed. Leaving the cell
// commits; a value the host refuses keeps the grid on its cell. A scroll keeps the edit
// and its editor follows the cell. The two editor-active flags of the editor tracking
// tell the window hook which editor to keep over the cell.
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
#include <control/editor_placement.h>

namespace orvane {
namespace {

// Column 0 holds the names; every other column holds values.
constexpr std::int32_t kNameColumn = 0;
constexpr std::int32_t kValueColumn = 1;

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
    if (editing_.returning_to_edit) return S_OK;
    // The leave kept an edit whose value the host refused: the user mends or cancels it
    // before going anywhere else, the row's name cell included.
    const bool refused = editing_.edit && !editing_.refusal.empty() && editing_.fill == GridFill::idle;
    if (refused && (editing_.edit->row != grid().Row() || grid().Col() != kValueColumn)) {
        ReturnToRefusedEdit();
        return S_OK;
    }
    // The column is read before the fill is tested, so a grid that fails the read is
    // reported even during a fill.
    const bool name_column = grid().Col() == kNameColumn;
    const bool filling = editing_.fill == GridFill::filling;
    if (name_column || filling || editing_.arriving || !current_group_) return S_OK;
    OpenEditorOnCurrentCell();
    return S_OK;
} catch (...) {
    return comrt::to_hresult();
}

void PropertiesCtl::ReturnToRefusedEdit() {
    editing_.returning_to_edit = true;
    try {
        grid().SetRow(editing_.edit->row);
        grid().SetCol(kValueColumn);
    } catch (...) {
        editing_.returning_to_edit = false;
        throw;
    }
    editing_.returning_to_edit = false;
    ShowEditorOnCurrentCell();
    PlaceRefusal();
}

void PropertiesCtl::OpenEditorOnCurrentCell() {
    const comrt::ComPtr<_clsPropertyItem> item = CurrentRowItem();
    if (ItemTypeOf(*item) == kDropDownItemType) {
        // ComboInit records the edit; the hook keeps the drop-down over the cell only once
        // it is open, so a ComboInit that fails leaves nothing for it to move.
        comrt::check(Self().ComboInit());
        editing_.drop_down_editor_active = true;
    } else {
        // The edit is recorded and the flag goes up before the editor takes the focus, so
        // OnTextEditorGotFocus already finds both.
        const std::u16string cell = grid().Text();
        text_editor().SetText(cell);
        RecordEdit(item, false, cell);
        editing_.text_editor_active = true;
        comrt::check(Self().ChangeCellText());
    }
}

void PropertiesCtl::ShowEditorOnCurrentCell() {
    if (!editing_.edit || editing_.edit->row != grid().Row()) {
        OpenEditorOnCurrentCell();
        return;
    }
    if (editing_.edit->drop_down) {
        ShowDropDownEditor();
        editing_.drop_down_editor_active = true;
    } else {
        editing_.text_editor_active = true;
        comrt::check(Self().ChangeCellText());
    }
}

HRESULT PropertiesCtl::OnGridLeaveCell() noexcept try {
    if (editing_.returning_to_edit) return S_OK;
    // Whatever happens below, the editor of the cell being left no longer follows it:
    // both flags drop before any test, even during a fill.
    editing_.text_editor_active = false;
    editing_.drop_down_editor_active = false;

    const bool name_column = grid().Col() == kNameColumn;
    const bool filling = editing_.fill == GridFill::filling;
    if (name_column || filling || !current_group_) return S_OK;

    // The open edit goes into its item when the user changed it, and the editors close. A
    // value the host refused keeps its edit, and the entry that follows brings the grid
    // back to it: until then, whatever the commit did or failed to do, no editor follows
    // the cell being left.
    struct LeftCell {
        EditingState& editing;
        ~LeftCell() { editing.text_editor_active = editing.drop_down_editor_active = false; }
    } left{editing_};
    CommitOpenEdit();
    return S_OK;
} catch (...) {
    return comrt::to_hresult();
}

// Button, shift state and position are not read: every press acts alike.
HRESULT PropertiesCtl::OnGridMouseDown(SHORT, SHORT, float, float) noexcept try {
    // A press is no cell move of a fill, so the fill does not filter it; the column does.
    if (grid().Col() == kNameColumn || !current_group_) return S_OK;

    // A press brings the cell's editor back (a scroll may have hidden it) with what the
    // user typed or picked, or opens one; a drop-down opens its list at once.
    ShowEditorOnCurrentCell();
    if (editing_.edit && editing_.edit->drop_down) drop_down_editor().ShowList();
    return S_OK;
} catch (...) {
    return comrt::to_hresult();
}

HRESULT PropertiesCtl::OnGridScroll() noexcept try {
    if (!editing_.edit || editing_.edit->row != grid().Row()) {
        // No edit to follow: both editors hide, the text editor first.
        text_editor().SetVisible(false);
        drop_down_editor().SetVisible(false);
        editing_.text_editor_active = false;
        editing_.drop_down_editor_active = false;
        return S_OK;
    }
    // The open editor follows its cell: over it while the cell is in view, hidden while it
    // is not. It keeps what the user typed or picked; nothing is written until a commit.
    const bool visible = grid().CellVisible();
    const std::int32_t allowance = ScrollBarAllowance(grid());
    if (editing_.edit->drop_down) {
        editing_.drop_down_editor_active = visible;
        if (visible) PlaceDropDownOverCell(grid(), drop_down_editor(), allowance);
        drop_down_editor().SetVisible(visible);
    } else {
        editing_.text_editor_active = visible;
        if (visible) MoveTextEditorOverCell(grid(), text_editor(), allowance);
        text_editor().SetVisible(visible);
    }
    PlaceRefusal();
    return S_OK;
} catch (...) {
    return comrt::to_hresult();
}

HRESULT PropertiesCtl::OnTextEditorGotFocus() noexcept try {
    if (editing_.edit && !editing_.edit->drop_down && editing_.edit->row == grid().Row() && EditPending()) {
        // The editor comes back to its own cell with the user's text: it stays, and so
        // does the caret.
        comrt::check(Self().ChangeCellText());
        return S_OK;
    }
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
