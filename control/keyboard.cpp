// The keyboard, so that the control is usable without a mouse, and the focus leaving the
// control.
//
// Tab or Shift+Tab into the grid makes the current row's value cell current, without
// opening its editor. In the grid: Enter commits the current row's edit when one is
// pending (its editor lost the focus to the grid), else F2 or Enter opens the current
// row's value editor (from either column); a typed character opens a text cell's editor
// with that character (as spreadsheets do), or on a name cell goes to the next row whose
// name starts with the letters typed; F4 or Alt+Down opens a drop-down cell's list; Home
// and End go to the first and last row; the arrow and page keys are the grid's own.
//
// Ctrl+F in the grid or an editor opens the find field (find.cpp).
//
// In an editor: Enter commits and gives the grid the focus, Escape forgets the edit, Up,
// Down, PageUp, PageDown, Ctrl+Home and Ctrl+End commit and open the editor of the row
// they name, Tab and Shift+Tab commit and open the next or previous value cell's editor.
// Tab on the last value leaves the control (the key goes on to the container, which moves
// the focus on); Shift+Tab on the first value goes to the selector. The focus leaving the
// control commits too.
#include <control/PropertiesCtl.h>

#include <control/collections.h>
#include <control/text_match.h>
#include <control/widget_text.h>

#include <algorithm>

namespace orvane {
namespace {

namespace keys = widgets::keys;

constexpr std::int32_t kNameColumn = 0;
constexpr std::int32_t kValueColumn = 1;

}  // namespace

std::int32_t PropertiesCtl::ShownRows() { return current_group_ ? editing_.shown_rows : 0; }

void PropertiesCtl::MoveToValueCell(std::int32_t row) {
    // The moves raise the cell events: the leave closes the old editor, the entry opens
    // the new one. A grid that raises no events for the logic's moves gets the editor
    // opened here.
    grid().SetRow(row);
    grid().SetCol(kValueColumn);
    if (!editing_.edit || editing_.edit->row != row) OpenEditorOnCurrentCell();
}

void PropertiesCtl::CommitAndMoveTo(std::int32_t row) {
    if (!CommitOpenEdit()) return;
    const std::int32_t rows = ShownRows();
    if (rows > 0) MoveToValueCell(std::clamp(row, 0, rows - 1));
}

std::int32_t PropertiesCtl::PageRows() {
    const double row_height = std::max(grid().CellHeight(), 1);
    return std::max(static_cast<std::int32_t>(static_cast<double>(GridHeight()) / row_height), 1);
}

void PropertiesCtl::TypeAhead(char16_t typed) {
    const comrt::ComPtr<_Collection> items = ItemsCollectionOf(*current_group_);
    const std::int32_t rows = std::min(ShownRows(), CollectionCount(*items));
    const std::int32_t current = grid().Row();
    // The letters typed so far and this one, when the current row still starts with them
    // (the current row first); else this letter alone, from the next row on.
    const std::u16string longer = editing_.type_ahead + typed;
    const std::u16string alone(1, typed);
    const CallOut out(*this);
    for (const auto& [prefix, first] : {std::pair{longer, 0}, std::pair{alone, 1}}) {
        for (std::int32_t k = 0; k < rows; ++k) {
            const std::int32_t row = (current + first + k) % rows;
            comrt::Bstr name;
            comrt::check(CollectionItemAs<_clsPropertyItem>(*items, row + 1)->get_ItemName(name.put()));
            if (out.interrupted()) return;  // the host's getter moved the control on
            if (!StartsWithFolded(WidgetText(name.view()), prefix)) continue;
            editing_.type_ahead = prefix;
            grid().SetRow(row);
            return;
        }
    }
    editing_.type_ahead.clear();
}

HRESULT PropertiesCtl::OnGridKeyDown(std::int16_t& key, std::int16_t shift) noexcept try {
    if (key == keys::kF && shift == keys::kCtrl) {
        key = 0;
        return OpenFind();
    }
    if (!current_group_ || ShownRows() == 0) return S_OK;
    const bool plain = shift == 0;
    const bool list_key = key == keys::kF4 || (key == keys::kDown && shift == keys::kAlt);
    if (plain && key == keys::kReturn && editing_.edit && editing_.edit->row == grid().Row() && EditPending()) {
        // The row's editor still holds what the user typed (the focus went to the grid, by
        // a click or the wheel): Enter commits it, as in the editor.
        key = 0;
        CommitOpenEdit();
    } else if ((plain && (key == keys::kF2 || key == keys::kReturn)) || list_key) {
        key = 0;
        // From a name cell, the row's value cell, where its editor opens.
        if (grid().Col() == kNameColumn) MoveToValueCell(grid().Row());
        else ShowEditorOnCurrentCell();
        if (list_key && editing_.edit && editing_.edit->drop_down) drop_down_editor().ShowList();
    } else if (plain && (key == keys::kHome || key == keys::kEnd)) {
        const std::int32_t target = key == keys::kHome ? 0 : ShownRows() - 1;
        key = 0;
        grid().SetRow(target);
    }
    return S_OK;
} catch (...) {
    return comrt::to_hresult();
}

HRESULT PropertiesCtl::OnGridKeyPress(std::int16_t& character) noexcept try {
    const auto typed = static_cast<char16_t>(character);
    // Control characters (Enter, Escape, Tab, Backspace) are keys, not text.
    if (typed < u' ' || typed == u'\x7F' || !current_group_ || ShownRows() == 0) return S_OK;
    character = 0;
    if (grid().Col() == kNameColumn) {
        TypeAhead(typed);
        return S_OK;
    }
    ShowEditorOnCurrentCell();
    if (editing_.edit && !editing_.edit->drop_down) {
        // The typed character starts the text, the caret after it.
        text_editor().SetText(std::u16string(1, typed));
        text_editor().SetSelStart(1);
        text_editor().SetSelLength(0);
    }
    return S_OK;
} catch (...) {
    return comrt::to_hresult();
}

HRESULT PropertiesCtl::OnGridTabbedInto() noexcept try {
    // The keyboard arrives on the current row's value, where F2, Enter or typing edit it.
    if (!current_group_ || ShownRows() == 0 || grid().Col() != kNameColumn) return S_OK;
    editing_.arriving = true;
    struct Arrived {
        bool& flag;
        ~Arrived() { flag = false; }
    } arrived{editing_.arriving};
    grid().SetCol(kValueColumn);
    return S_OK;
} catch (...) {
    return comrt::to_hresult();
}

HRESULT PropertiesCtl::OnEditorKeyDown(std::int16_t& key, std::int16_t shift) noexcept try {
    if (key == keys::kF && shift == keys::kCtrl) {
        key = 0;  // the edit stays pending; going to a hit commits it
        return OpenFind();
    }
    if (!editing_.edit) return S_OK;
    const std::int32_t row = editing_.edit->row;
    const std::int32_t last = ShownRows() - 1;
    const bool ctrl = (shift & keys::kCtrl) != 0;
    switch (key) {
    case keys::kReturn:
        if (shift & keys::kAlt) return S_OK;
        key = 0;
        if (CommitOpenEdit()) grid().SetFocus();
        return S_OK;
    case keys::kEscape:
        key = 0;
        CancelOpenEdit();
        grid().SetFocus();
        return S_OK;
    case keys::kTab:
        key = 0;
        if (shift & keys::kShift) {
            if (row > 0) CommitAndMoveTo(row - 1);
            else if (CommitOpenEdit()) selector().SetFocus();
        } else if (row < last) {
            CommitAndMoveTo(row + 1);
        } else if (CommitOpenEdit() && !editing_.edit) {
            // Past the last value: the grid holds the focus for the moment, and the key goes
            // on to whoever moves the focus past the control. A refused commit keeps it.
            grid().SetFocus();
            key = keys::kTab;
        }
        return S_OK;
    case keys::kUp:
    case keys::kDown: {
        // Alt+Down opens a drop-down's list: the list's own key.
        if (shift & keys::kAlt) return S_OK;
        const std::int32_t target = key == keys::kUp ? row - 1 : row + 1;
        key = 0;
        CommitAndMoveTo(target);
        return S_OK;
    }
    case keys::kPageUp:
    case keys::kPageDown: {
        const std::int32_t page = PageRows();
        const std::int32_t target = key == keys::kPageUp ? row - page : row + page;
        key = 0;
        CommitAndMoveTo(target);
        return S_OK;
    }
    case keys::kHome:
    case keys::kEnd: {
        // Home and End alone move the caret.
        if (!ctrl) return S_OK;
        const std::int32_t target = key == keys::kHome ? 0 : last;
        key = 0;
        CommitAndMoveTo(target);
        return S_OK;
    }
    default:
        return S_OK;
    }
} catch (...) {
    return comrt::to_hresult();
}

HRESULT PropertiesCtl::OnExitFocus() noexcept try {
    if (editing_.edit) CommitOpenEdit(CommitPoint::editor_goes);
    return S_OK;
} catch (...) {
    return comrt::to_hresult();
}

}  // namespace orvane
