// The keyboard, so that the control is usable without a mouse, and the focus leaving the
// control.
//
// In the grid: F2 or Enter opens the current value cell's editor, a typed character
// opens a text cell's editor with that character (as spreadsheets do), F4 or Alt+Down
// opens a drop-down cell's list, Home and End go to the first and last row; the arrow and
// page keys are the grid's own. In an editor: Enter commits and gives the grid the focus,
// Escape forgets the edit, Tab and Shift+Tab commit and open the next or previous value
// cell's editor (wrapping within the group), Up and Down commit and open the editor one
// row up or down. The focus leaving the control commits too.
#include <control/PropertiesCtl.h>

#include <control/collections.h>

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

HRESULT PropertiesCtl::OnGridKeyDown(std::int16_t& key, std::int16_t shift) noexcept try {
    if (!current_group_ || ShownRows() == 0) return S_OK;
    const bool value_cell = grid().Col() != kNameColumn;
    const bool plain = shift == 0;
    if (value_cell && plain && (key == keys::kF2 || key == keys::kReturn)) {
        key = 0;
        ShowEditorOnCurrentCell();
    } else if (value_cell && (key == keys::kF4 || (key == keys::kDown && shift == keys::kAlt))) {
        key = 0;
        ShowEditorOnCurrentCell();
        if (editing_.edit && editing_.edit->drop_down) drop_down_editor().ShowList();
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
    if (grid().Col() == kNameColumn) return S_OK;
    character = 0;
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

HRESULT PropertiesCtl::OnEditorKeyDown(std::int16_t& key, std::int16_t shift) noexcept try {
    if (!editing_.edit) return S_OK;
    const std::int32_t row = editing_.edit->row;
    const std::int32_t rows = ShownRows();
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
    case keys::kTab: {
        key = 0;
        if (!CommitOpenEdit() || rows == 0) return S_OK;
        const std::int32_t step = (shift & keys::kShift) ? rows - 1 : 1;
        MoveToValueCell((row + step) % rows);
        return S_OK;
    }
    case keys::kUp:
    case keys::kDown: {
        // Alt+Down opens a drop-down's list: the list's own key.
        if (shift & keys::kAlt) return S_OK;
        const std::int32_t target = key == keys::kUp ? row - 1 : row + 1;
        key = 0;
        if (!CommitOpenEdit() || rows == 0) return S_OK;
        MoveToValueCell(std::clamp(target, 0, rows - 1));
        return S_OK;
    }
    default:
        return S_OK;
    }
} catch (...) {
    return comrt::to_hresult();
}

HRESULT PropertiesCtl::OnExitFocus() noexcept try {
    if (editing_.edit) CommitOpenEdit();
    return S_OK;
} catch (...) {
    return comrt::to_hresult();
}

}  // namespace orvane
