// What the control's editing works on, in one object: the edit open over a value cell,
// the fill in progress, the rows shown, and the flags that tell the control's own doing
// from the user's. The handlers in groups.cpp, editing.cpp, keyboard.cpp, placement.cpp
// and pending_edit.cpp read and write it; the window hook (editor_hook.h) reads which
// editor follows its cell, and the message under it, through a shared reference.
//
// Its epoch counts the times the state changed hands: an edit opened or closed, the group
// shown switched or cleared, the control deactivated. A CallOut (call_out.h) notes it
// before a call out of the control and compares it afterwards.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include <comrt/com_ptr.h>
#include <tessel/tessel.h>

namespace orvane {

// Whether SelectPropertyGroup is rewriting the grid. While it is, the cell events that
// the grid raises for the rows and cells it moves through neither open an editor nor
// write anything back: the items behind the rows are changing under them.
enum class GridFill { idle, filling };

// The edit open over a value cell (pending_edit.cpp): set when an editor opens over a
// cell, dropped when it closes. Its editor's content is written into its item only when
// it differs from what the editor showed when it opened, so an untouched cell never
// overwrites a value the host put meanwhile.
struct OpenEdit {
    comrt::ComPtr<_clsTessel> group;       // the group the edit was made in
    comrt::ComPtr<_clsPropertyItem> item;  // the item it writes
    std::int32_t row = 0;                  // the item's grid row
    bool drop_down = false;                // the drop-down editor, else the text editor
    std::u16string opened_text;            // what the editor showed when it opened
    bool picked = false;                   // the user picked a drop-down entry since
};

// Where a commit happens, which decides what a value the host refuses does
// (IItemValidator): at the user's own commits (Enter, Tab, a move, the host's CommitEdit)
// the editor stays open with the value to mend; where the control moves on by itself (a
// group shown, the focus leaving the control, the control going) it cannot stay, and the
// value is dropped.
enum class CommitPoint { editor_stays, editor_goes };

struct EditingState {
    std::optional<OpenEdit> edit;
    GridFill fill = GridFill::idle;
    int fills_running = 0;  // fills under way, one inside another when a host calls back
    // The rows the grid was last given for the current group (SelectPropertyGroup,
    // RefreshValues): 0 once a selection past the last group took the rows away.
    std::int32_t shown_rows = 0;
    // Set while SelectPropertyGroup puts the selector's index (OnSelectorClick).
    bool selecting_group = false;
    // Set while ComboInit selects the entry that matches the cell: that selection is the
    // editor opening, not a pick, and shows nothing in the cell.
    bool initializing_drop_down = false;
    // Set while the grid's current cell moves to the value column as the keyboard brings
    // the focus in: that cell is where the user arrives, and no editor opens yet.
    bool arriving = false;
    // Set while the container's validator judges the open edit's value: a commit asked
    // for from inside that call does not ask again.
    bool judging = false;
    // Set while the grid goes back to the cell of an edit whose value was refused: the
    // cell events of that move open and write nothing.
    bool returning_to_edit = false;
    // Which editor follows the grid's current cell, kept over it by the window hook: set
    // when an editor opens for a cell entry, dropped when a cell is left, the grid scrolls
    // the cell out of view or the edit closes.
    bool text_editor_active = false;
    bool drop_down_editor_active = false;
    // Why the host refused the open edit's value, shown under its cell while its editor
    // follows it; empty when none.
    std::u16string refusal;
    // The letters typed on name cells that the current row's name starts with.
    std::u16string type_ahead;
    std::uint64_t epoch = 0;
};

}  // namespace orvane
