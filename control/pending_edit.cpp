// The edit open over a value cell: what was opened, whether the user changed it, and the
// commit that writes it into the host's item (or the cancel that forgets it).
//
// A commit writes only what the user changed: a cell entered and left without typing or
// picking writes nothing, so a value the host put into the item meanwhile stays. It
// writes into the item the edit was opened for, which a group switch or a refill of the
// grid cannot change.
#include <control/PropertiesCtl.h>

namespace orvane {

void PropertiesCtl::RecordEdit(comrt::ComPtr<_clsPropertyItem> item, bool drop_down, std::u16string opened_text) {
    edit_ = OpenEdit{current_group_, std::move(item), grid().Row(), drop_down, std::move(opened_text), false};
}

bool PropertiesCtl::EditPending() {
    if (!edit_) return false;
    if (edit_->drop_down) return edit_->picked && drop_down_editor().Text() != edit_->opened_text;
    return text_editor().Text() != edit_->opened_text;
}

void PropertiesCtl::CommitEdit() {
    if (EditPending()) {
        const OpenEdit& edit = *edit_;
        const std::u16string text = edit.drop_down ? drop_down_editor().Text() : text_editor().Text();
        // The cell first, as a leave writes it: the grid still shows the edited cell.
        if (grid().Row() == edit.row && grid().Col() != 0) grid().SetText(text);
        comrt::Bstr value(text);
        comrt::check(edit.item->put_ItemValue(value.get()));
    }
    CloseEditors();
}

void PropertiesCtl::CancelEdit() {
    if (edit_ && edit_->drop_down && edit_->picked && grid().Row() == edit_->row && grid().Col() != 0)
        grid().SetText(edit_->opened_text);
    if (edit_ && !edit_->drop_down) text_editor().SetText(edit_->opened_text);
    CloseEditors();
}

void PropertiesCtl::CloseEditors() {
    drop_down_editor().SetVisible(false);
    text_editor().SetVisible(false);
    editor_tracking_->text_editor_active = false;
    editor_tracking_->drop_down_editor_active = false;
    edit_.reset();
}

}  // namespace orvane
