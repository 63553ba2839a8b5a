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
    // A screen reader announces the editor by the name of the property it edits.
    comrt::Bstr name;
    comrt::check(item->get_ItemName(name.put()));
    if (drop_down) drop_down_editor().SetAccessibleName(name.view());
    else text_editor().SetAccessibleName(name.view());
    edit_ = OpenEdit{current_group_, std::move(item), grid().Row(), drop_down, std::move(opened_text), false};
}

bool PropertiesCtl::EditPending() {
    if (!edit_) return false;
    if (edit_->drop_down) return edit_->picked && drop_down_editor().Text() != edit_->opened_text;
    return text_editor().Text() != edit_->opened_text;
}

void PropertiesCtl::CommitOpenEdit() {
    if (EditPending()) {
        const OpenEdit& edit = *edit_;
        const std::u16string text = edit.drop_down ? drop_down_editor().Text() : text_editor().Text();
        // The cell first, as a leave writes it: the grid still shows the edited cell.
        if (grid().Row() == edit.row && grid().Col() != 0) grid().SetText(text);
        comrt::Bstr before;
        comrt::check(edit.item->get_ItemValue(before.put()));
        comrt::Bstr value(text);
        comrt::check(edit.item->put_ItemValue(value.get()));
        // The host hears of a change, not of a commit that wrote the value the item held.
        if (change_sink_ && before.view() != value.view())
            change_sink_->ItemValueChanged(edit.group.get(), edit.row + 1, before.get(), value.get());
    }
    CloseEditors();
}

void PropertiesCtl::CancelOpenEdit() {
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

HRESULT STDMETHODCALLTYPE PropertiesCtl::CommitEdit() noexcept try {
    CheckThread();
    if (edit_) CommitOpenEdit();
    return S_OK;
} catch (...) {
    return comrt::to_hresult();
}

HRESULT STDMETHODCALLTYPE PropertiesCtl::CancelEdit() noexcept try {
    CheckThread();
    if (edit_) CancelOpenEdit();
    return S_OK;
} catch (...) {
    return comrt::to_hresult();
}

HRESULT STDMETHODCALLTYPE PropertiesCtl::get_EditPending(VARIANT_BOOL* result) noexcept try {
    CheckThread();
    if (!result) return E_POINTER;
    *result = VARIANT_FALSE;
    *result = widgets_.surface && EditPending() ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
} catch (...) {
    return comrt::to_hresult();
}

}  // namespace orvane
