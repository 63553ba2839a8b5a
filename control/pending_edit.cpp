// The edit open over a value cell: what was opened, whether the user changed it, and the
// commit that writes it into the host's item (or the cancel that forgets it).
//
// A commit writes only what the user changed: a cell entered and left without typing or
// picking writes nothing, so a value the host put into the item meanwhile stays. It
// writes into the item the edit was opened for, which a group switch or a refill of the
// grid cannot change. The container's validator sees the value before anything is
// written; what it refuses stays in the open editor, with its reason under the cell, or
// is dropped where the editor cannot stay.
#include <control/PropertiesCtl.h>

#include <exception>
#include <string_view>

#include <control/editor_placement.h>
#include <control/widget_text.h>

namespace orvane {
namespace {

// Under a refused value's cell when the host gave no reason.
constexpr std::u16string_view kDefaultRefusal = u"This value is not accepted.";

}  // namespace

CallOut::CallOut(PropertiesCtl& control) noexcept : control_(&control), epoch_(control.epoch()) {}

bool CallOut::interrupted() const noexcept { return control_->epoch() != epoch_; }

void PropertiesCtl::RecordEdit(comrt::ComPtr<_clsPropertyItem> item, bool drop_down, std::u16string opened_text) {
    // A screen reader announces the editor by the name of the property it edits.
    comrt::Bstr name;
    const CallOut out(*this);
    comrt::check(item->get_ItemName(name.put()));
    if (out.interrupted()) return;  // the item's getter moved the control on
    if (drop_down) drop_down_editor().SetAccessibleName(WidgetText(name.view()));
    else text_editor().SetAccessibleName(WidgetText(name.view()));
    HideRefusal();
    editing_.edit = OpenEdit{current_group_, std::move(item), grid().Row(), drop_down, std::move(opened_text), false};
    ++editing_.epoch;
}

bool PropertiesCtl::EditPending() {
    if (!editing_.edit) return false;
    const OpenEdit& edit = *editing_.edit;
    if (edit.drop_down) return edit.picked && drop_down_editor().Text() != edit.opened_text;
    return text_editor().Text() != edit.opened_text;
}

bool PropertiesCtl::CommitOpenEdit(CommitPoint point) {
    if (!EditPending()) {
        CloseEditors();
        return true;
    }
    const std::u16string text = editing_.edit->drop_down ? drop_down_editor().Text() : text_editor().Text();
    switch (JudgeOpenEdit(text, point)) {
    case Verdict::write: break;
    case Verdict::stop: return false;
    case Verdict::go_on: return true;
    }
    // The cell first, as a leave writes it: the grid still shows the edited cell.
    if (grid().Row() == editing_.edit->row && grid().Col() != 0) grid().SetText(text);
    // Everything the write needs, taken out of the control before the host is called.
    OpenEdit edit = std::move(*editing_.edit);
    editing_.edit.reset();
    const comrt::ComPtr<IItemChangeSink> sink = change_sink_;
    // An editor that fails to hide does not keep the user's text from its item: the
    // failure is thrown once the text is written.
    std::exception_ptr hiding;
    try {
        CloseEditors();
    } catch (...) {
        hiding = std::current_exception();
    }

    const CallOut out(*this);
    comrt::Bstr before;
    const comrt::Bstr value(OleText(text));
    HRESULT hr = edit.item->get_ItemValue(before.put());
    if (SUCCEEDED(hr)) hr = edit.item->put_ItemValue(value.get());
    if (FAILED(hr)) {
        // The item refused: the edit opens again with the user's text, to be mended or
        // cancelled, unless the host moved the control on meanwhile.
        if (!out.interrupted() && grid().Row() == edit.row) {
            editing_.edit = std::move(edit);
            ++editing_.epoch;
            ShowEditorOnCurrentCell();
        }
        throw comrt::com_error(hr);
    }
    // The host hears of a change, not of a commit that wrote the value the item held.
    if (sink && before.view() != value.view())
        sink->ItemValueChanged(edit.group.get(), edit.row + 1, before.get(), value.get());
    if (hiding) std::rethrow_exception(hiding);
    return !out.interrupted();
}

PropertiesCtl::Verdict PropertiesCtl::JudgeOpenEdit(const std::u16string& text, CommitPoint point) {
    const comrt::ComPtr<IItemValidator> validator = validator_;
    if (!validator) return Verdict::write;
    if (editing_.judging) {
        // A commit from inside the host's judgement of this very value asks no second
        // question: a move that cannot wait drops the value, any other waits for the verdict.
        if (point == CommitPoint::editor_stays) return Verdict::stop;
        CancelOpenEdit();
        return Verdict::go_on;
    }
    // The edit's parts as copies: the host may close the edit while it judges.
    const comrt::ComPtr<_clsTessel> group = editing_.edit->group;
    const comrt::ComPtr<_clsPropertyItem> item = editing_.edit->item;
    const std::int32_t row = editing_.edit->row;
    const comrt::ComPtr<_clsTessel> shown = current_group_;
    const comrt::Bstr value(OleText(text));
    comrt::Bstr message;
    const CallOut keep(*this);
    editing_.judging = true;
    const HRESULT verdict = validator->ValidateItemValue(group.get(), row + 1, value.get(), message.put());
    editing_.judging = false;
    // What the host did meanwhile: deactivating the control, showing another group or
    // opening another edit moves it on; closing the edit leaves nothing to write, and the
    // commit's caller goes on; a Clear or a refresh that kept the edit leaves it to the
    // verdict.
    if (!widgets_.surface || current_group_ != shown) return Verdict::stop;
    if (!editing_.edit) return Verdict::go_on;
    if (editing_.edit->item != item || editing_.edit->row != row) return Verdict::stop;
    if (SUCCEEDED(verdict) && verdict != S_FALSE) return Verdict::write;
    if (verdict == S_FALSE && point == CommitPoint::editor_goes) {
        CancelOpenEdit();
        return Verdict::go_on;
    }
    // The edit stays, its editor over its cell again (a leave took its flag down).
    if (grid().Row() == row) ShowEditorOnCurrentCell();
    if (FAILED(verdict)) throw comrt::com_error(verdict);
    ShowRefusal(message.view().empty() ? std::u16string(kDefaultRefusal) : std::u16string(WidgetText(message.view())));
    return Verdict::stop;
}

void PropertiesCtl::ShowRefusal(std::u16string message) {
    editing_.refusal = std::move(message);
    PlaceRefusal();
}

void PropertiesCtl::PlaceRefusal() {
    if (editing_.refusal.empty()) return;
    // With its editor: under the cell while the cell is in view, hidden while it is not.
    if (editing_.text_editor_active || editing_.drop_down_editor_active)
        ShowMessageUnderCell(grid(), surface(), ScrollBarAllowance(grid()), editing_.refusal);
    else
        surface().HideMessage();
}

void PropertiesCtl::HideRefusal() {
    if (editing_.refusal.empty()) return;
    editing_.refusal.clear();
    surface().HideMessage();
}

void PropertiesCtl::CancelOpenEdit() {
    if (const std::optional<OpenEdit>& edit = editing_.edit) {
        if (edit->drop_down && edit->picked && grid().Row() == edit->row && grid().Col() != 0)
            grid().SetText(edit->opened_text);
        if (!edit->drop_down) text_editor().SetText(edit->opened_text);
    }
    CloseEditors();
}

void PropertiesCtl::CloseEditors() {
    editing_.text_editor_active = false;
    editing_.drop_down_editor_active = false;
    editing_.edit.reset();
    ++editing_.epoch;
    HideRefusal();
    drop_down_editor().SetVisible(false);
    text_editor().SetVisible(false);
}

HRESULT STDMETHODCALLTYPE PropertiesCtl::CommitEdit() noexcept try {
    CheckThread();
    const CallOut keep(*this);
    // A value the host refused stays in its editor: not written.
    if (editing_.edit && !CommitOpenEdit() && editing_.edit) return S_FALSE;
    return S_OK;
} catch (...) {
    return comrt::to_hresult();
}

HRESULT STDMETHODCALLTYPE PropertiesCtl::CancelEdit() noexcept try {
    CheckThread();
    if (editing_.edit) CancelOpenEdit();
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
