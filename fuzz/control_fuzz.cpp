// Fuzz target: the PropertiesCtl control on the recording doubles, driven by a host and a
// user at once, with widget calls that fail.
//
// Each input is a sequence of steps, each one of
//   - a host call: AddPropertyGroup (groups of 0 to 6 text, drop-down and other items,
//     drop-down items with choice lists that may be empty or start above 0, or a null
//     group), SelectPropertyGroup with a valid or an invalid position, Clear, CommitEdit,
//     CancelEdit, EditPending, RefreshValues, BackColor, ForeColor and Font puts, a new
//     rectangle through IOleInPlaceObject, a new value put into one of the host's items;
//   - a user event, delivered as the doubles deliver it: a click or a move to a cell, a key
//     in the grid or in an editor (Enter, Escape, Tab, Shift+Tab, arrows, F2, F4, Home,
//     End), typing in the grid or the text editor, a pick in the drop-down editor or in the
//     selector, the focus leaving the text editor or the control, a scroll, a drag of the
//     split, a paint or a size message through the window's procedure chain;
//   - a plan that makes the n-th call of a member of one double fail, or the grid's
//     vertical scroll bar coming or going;
//   - a call back armed in the container's sinks and in the items that call back (the
//     last item of a group may be one): the next change notification, handler failure
//     or read of such an item's value calls back into the control from inside its call
//     (Clear, SelectPropertyGroup, CommitEdit, CancelEdit, RefreshValues, deactivation,
//     or the host letting go of its last reference), as a hostile host does.
// Checked after every step:
//   - the selector's entries are the names of the control's groups, position by position;
//   - the fill marker is idle, unless a fill failed since the last one that finished (a
//     failing fill is left unfinished on purpose: no step before the failure is undone);
//   - an item's value changed only in a step that can commit an edit (a cell left, Enter,
//     Tab, Up, Down, the focus leaving the control, another group shown, CommitEdit), to
//     what one of the editors held before the step, and the container's change sink heard
//     of it; or the host put it;
//   - both editor-active flags are down after every LeaveCell of the grid, and after a
//     commit or a cancel that succeeded;
//   - after a paint or a size message, an editor whose flag is up lies exactly over the
//     current cell (as long as no failure interfered with that step); and while no
//     failure has happened in the whole run, so does every shown editor;
//   - every failure of an event handler reached the container's error sink, and a step in
//     which an injected failure happened either failed the host's call or reported a
//     failure to the sink.
// A step in which a call back ran checks only what must hold whatever the host did (every
// value written is an editor's and was heard of, the selector names the groups); one that
// deactivated or released the control ends the run. At the end the control is terminated
// and released, and LeakSanitizer (AddressSanitizer: no use after free) sees the rest.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <fuzzer/FuzzedDataProvider.h>

#include <comrt/com_ptr.h>
#include <comrt/olectl.h>
#include <comrt/resource.h>
#include <comrt/server.h>
#include <control/PropertiesCtl.h>
#include <control/collections.h>
#include <control/editor_placement.h>
#include <data/clsPropertyItem.h>
#include <data/clsTessel.h>
#include <testing/calling_back_item.h>
#include <tests/fakes/fake_widgets.h>

#include "support/check.h"

namespace {

using comrt::ComPtr;
namespace keys = orvane::widgets::keys;

// The container's site: the error channel and the change sink, recording, and a validator
// that refuses every value with a dot in it.
class Site final : public comrt::implements<Site, IControlErrorSink, IItemChangeSink, IItemValidator> {
public:
    struct Change {
        ComPtr<_clsTessel> group;
        LONG index;
        std::u16string before;
        std::u16string after;
    };

    HRESULT STDMETHODCALLTYPE HandlerFailed(LPCOLESTR, HRESULT hr) noexcept override try {
        failures.push_back(hr);
        CallBack();
        return S_OK;
    } catch (...) {
        return comrt::to_hresult();
    }
    HRESULT STDMETHODCALLTYPE ItemValueChanged(_clsTessel* group, LONG index, BSTR oldValue,
                                               BSTR newValue) noexcept override try {
        changes.push_back({ComPtr<_clsTessel>(group), index, std::u16string(comrt::Bstr::view_of(oldValue)),
                           std::u16string(comrt::Bstr::view_of(newValue))});
        PG_FUZZ_CHECK(!Refused(changes.back().after), "a value the validator refused was written");
        CallBack();
        return S_OK;
    } catch (...) {
        return comrt::to_hresult();
    }
    HRESULT STDMETHODCALLTYPE ValidateItemValue(_clsTessel*, LONG, BSTR newValue, BSTR* message) noexcept override try {
        const bool refused = Refused(comrt::Bstr::view_of(newValue));
        CallBack();
        if (!refused) return S_OK;
        // Every other refusal with a reason of its own.
        if (++refusals % 2 == 0) *message = comrt::Bstr(u"no dots").detach();
        return S_FALSE;
    } catch (...) {
        return comrt::to_hresult();
    }
    static bool Refused(std::u16string_view value) { return value.find(u'.') != value.npos; }

    std::vector<HRESULT> failures;
    std::vector<Change> changes;
    std::size_t refusals = 0;
    // Armed by a step; runs once, from inside the next notification or the next read of
    // a calling-back item's value.
    std::function<void()> call_back;
    void CallBack() {
        if (const std::function<void()> armed = std::exchange(call_back, nullptr)) armed();
    }
};

std::u16string ValueOf(_clsPropertyItem& item) {
    comrt::Bstr value;
    if (FAILED(item.get_ItemValue(value.put()))) return u"(unreadable)";
    return std::u16string(value.view());
}

std::u16string NameOf(_clsTessel& group) {
    comrt::Bstr name;
    if (FAILED(group.get_PropertyGroupName(name.put()))) return u"(unreadable)";
    return std::u16string(name.view());
}

// What a step may do to the items' values.
enum class Effect { none, may_commit };

class Run {
public:
    explicit Run(FuzzedDataProvider& in) : in_(in) {
        site_ = comrt::make<Site>();
        ComPtr<IClassFactory> factory = comrt::make<comrt::class_factory>(
                                            &comrt::create_instance<orvane::PropertiesCtl>)
                                            .as<IClassFactory>();
        comrt::check(factory->CreateInstance(nullptr, IID__PropertiesCtl, control_.put_void()));
        comrt::check(impl().Site(fakes_.set(), static_cast<IControlErrorSink*>(site_.get())));
        tracking_ = impl().editor_tracking();
        // CONTROL_FUZZ_TRACE=1 prints every step with the doubles' calls (to read an input
        // that broke an invariant).
        trace_ = std::getenv("CONTROL_FUZZ_TRACE") != nullptr;
        fakes_.env->log().set_enabled(trace_);
        fakes_.env->set_event_observer([this](std::string_view event) { observe(event); });
        fakes_.surface->raise_initialize();
        fakes_.surface->resize(4800, 3975);
        PG_FUZZ_CHECK(site_->failures.empty(), "the start-up failed");
    }

    ~Run() {
        site_->call_back = nullptr;
        fakes_.env->set_event_observer(nullptr);
        fakes_.surface->raise_terminate();
        control_ = nullptr;
        items_.clear();
        calling_back_.clear();
        groups_.clear();
    }

    void step() {
        if (ended_) return;
        before_ = Snapshot();
        Effect effect = Effect::none;
        bool host_failed = false;
        const int kind = in_.ConsumeIntegralInRange(0, 35);
        switch (kind) {
        case 0: case 1: host_failed = AddGroup(); break;
        case 2: case 3: host_failed = SelectGroup(); effect = Effect::may_commit; break;
        case 4: host_failed = Failed(control_->Clear()); break;
        case 5: host_failed = CommitEdit(); effect = Effect::may_commit; break;
        case 6: host_failed = CancelEdit(); break;
        case 7: {
            VARIANT_BOOL pending = 7;
            host_failed = Failed(editing()->get_EditPending(&pending));
            break;
        }
        case 8: host_failed = Refresh(); break;
        case 9: host_failed = Appearance(); break;
        case 10:
            resized_ = false;
            host_failed = ObjectRects();
            // Only a new size sends the surface a size message.
            geometry_step_ = resized_;
            break;
        case 11: HostWrite(); break;
        case 12: case 13: Click(); effect = Effect::may_commit; break;
        case 14: Move(); effect = Effect::may_commit; break;
        case 15: case 16: effect = GridKey(); break;
        case 17: GridType(); break;
        case 18: case 19: TypeText(); break;
        case 20: case 21: effect = EditorKey(); break;
        case 22: DropDownPick(); break;
        case 23: SelectorPick(); effect = Effect::may_commit; break;
        case 24:
            if (in_.ConsumeBool()) {
                fakes_.text_editor->user_leave_focus();
            } else {
                const std::size_t reported = site_->failures.size();
                fakes_.surface->raise_exit_focus();
                effect = Effect::may_commit;
                // The commit closes the editors; a failing one leaves the edit open.
                expect_closed_ = site_->failures.size() == reported;
            }
            break;
        case 25: fakes_.surface->paint(); geometry_step_ = true; break;
        case 26:
            fakes_.surface->resize(in_.ConsumeIntegralInRange(0, 12000), in_.ConsumeIntegralInRange(0, 9000));
            geometry_step_ = true;
            break;
        case 27: fakes_.grid->user_scroll_to(in_.ConsumeIntegralInRange(-1, 8)); break;
        case 28: fakes_.grid->user_drag_split(in_.ConsumeIntegralInRange(0, 6000)); break;
        case 29: fakes_.grid->set_vertical_scroll_bar(in_.ConsumeBool()); break;
        case 32: case 33: ArmCallBack(); break;
        case 34: case 35: host_failed = Find(); effect = Effect::may_commit; break;
        default: InjectFailure(); break;
        }
        if (trace_) {
            std::fprintf(stderr, "-- step %d%s\n", kind, host_failed ? " (host call failed)" : "");
            for (const std::string& entry : fakes_.env->log().entries()) std::fprintf(stderr, "   %s\n", entry.c_str());
            fakes_.env->log().clear();
        }
        if (ended_) return;  // the host let go of the control: nothing of it to look at
        Check(reentered_ ? Effect::may_commit : effect, host_failed);
        reentered_ = false;
    }

private:
    struct State {
        std::u16string text_editor;
        std::u16string drop_down_editor;
        long injected = 0;
        std::size_t event_failures = 0;
        std::size_t site_failures = 0;
        std::size_t changes = 0;
    };

    orvane::PropertiesCtl& impl() { return static_cast<orvane::PropertiesCtl&>(*control_); }
    ComPtr<IPropertiesEditing> editing() { return control_.as<IPropertiesEditing>(); }

    State Snapshot() const {
        return State{fakes_.text_editor->text(), fakes_.drop_down_editor->text(), fakes_.env->injected_failures(),
                     fakes_.env->event_failures().size(), site_->failures.size(), site_->changes.size()};
    }

    static bool Failed(HRESULT hr) { return FAILED(hr); }

    // ---- a host that calls back ----------------------------------------------------------

    void ArmCallBack() {
        for (auto& [calling, inner] : calling_back_) calling->armed = true;
        const int action = in_.ConsumeIntegralInRange(0, 6);
        SHORT position = GroupPosition();
        site_->call_back = [this, action, position]() mutable {
            reentered_ = true;
            comrt::Variant result;
            switch (action) {
            case 0: control_->Clear(); break;
            case 1:
                fill_started_ = true;
                control_->SelectPropertyGroup(&position, result.put());
                break;
            case 2: editing()->CommitEdit(); break;
            case 3: editing()->CancelEdit(); break;
            case 4:
                fill_started_ = true;
                editing()->RefreshValues();
                break;
            case 5:
                control_.as<IOleInPlaceObject>()->InPlaceDeactivate();
                ended_ = true;
                break;
            default:
                control_ = nullptr;  // the control lives on only as long as its own call does
                ended_ = true;
                break;
            }
        };
    }

    // ---- the host ---------------------------------------------------------------------

    std::u16string Text(std::size_t max_length) {
        static constexpr char16_t kLetters[] = u"abAB01 .";
        std::u16string text;
        const std::size_t n = in_.ConsumeIntegralInRange<std::size_t>(0, max_length);
        for (std::size_t i = 0; i < n; ++i) text += kLetters[in_.ConsumeIntegralInRange<std::size_t>(0, 7)];
        return text;
    }

    ComPtr<_clsTessel> MakeGroup() {
        ComPtr<_clsTessel> group = comrt::make<tessel::clsTessel>().as<_clsTessel>();
        comrt::Bstr name(Text(3));
        comrt::check(group->put_PropertyGroupName(name.get()));
        const int count = in_.ConsumeIntegralInRange(0, 6);
        for (int i = 0; i < count; ++i) {
            comrt::Bstr item_name(Text(2)), value(Text(3));
            const int pick = in_.ConsumeIntegralInRange(0, 3);
            SHORT type = pick == 3 ? 7 : static_cast<SHORT>(pick >= 1);
            const LONG lower = in_.ConsumeIntegralInRange(0, 5) == 0 ? 1 : 0;
            const ULONG choices_count = in_.ConsumeIntegralInRange<ULONG>(0, 4);
            SAFEARRAYBOUND bound{choices_count, lower};
            comrt::SafeArrayPtr choices(SafeArrayCreate(VT_BSTR, 1, &bound));
            for (LONG k = 0; k < static_cast<LONG>(choices_count); ++k) {
                // Choices often equal the value, so that the drop-down opens on it.
                comrt::Bstr choice(in_.ConsumeBool() ? std::u16string(value.view()) : Text(3));
                LONG index = lower + k;
                SafeArrayPutElement(choices.get(), &index, choice.get());
            }
            SAFEARRAY* list = choices.get();
            LONG result = 0;
            BSTR n = item_name.get(), v = value.get();
            group->AddItem(&n, &v, &type, &list, &result);
        }
        // Every item of the group joins the model with the value it holds.
        const ComPtr<_Collection> items = orvane::ItemsCollectionOf(*group);
        const std::int32_t added = orvane::CollectionCount(*items);
        for (std::int32_t k = 1; k <= added; ++k) {
            ComPtr<_clsPropertyItem> item = orvane::CollectionItemAs<_clsPropertyItem>(*items, k);
            const std::u16string value = ValueOf(*item);
            items_.push_back({item, value});
        }
        // The last item may be one that calls back while the control reads its value.
        if (added > 0 && in_.ConsumeIntegralInRange(0, 3) == 0) {
            const ComPtr<pg_testing::CallingBackItem> calling = comrt::make<pg_testing::CallingBackItem>(
                items_.back().first, [site = site_.get()] { site->CallBack(); });  // the run holds the site
            orvane::CollectionRemove(*items, added);
            orvane::CollectionAdd(*items, calling.get());
            calling_back_.push_back({calling, items_.back().first});
        }
        groups_.push_back(group);
        return group;
    }

    bool AddGroup() {
        ComPtr<_clsTessel> group;
        const int pick = in_.ConsumeIntegralInRange(0, 9);
        if (pick == 0) {
            group = nullptr;
        } else if (pick <= 2 && !groups_.empty()) {
            group = groups_[in_.ConsumeIntegralInRange<std::size_t>(0, groups_.size() - 1)];
        } else if (groups_.size() < 12) {
            group = MakeGroup();
        } else {
            group = groups_.back();
        }
        _clsTessel* arg = group.get();
        comrt::Variant result;
        return Failed(control_->AddPropertyGroup(&arg, result.put()));
    }

    SHORT GroupPosition() {
        const std::int32_t count = ControlGroupCount();
        switch (in_.ConsumeIntegralInRange(0, 5)) {
        case 0: return static_cast<SHORT>(count);
        case 1: return -1;
        case 2: return in_.ConsumeIntegral<SHORT>();
        default: return static_cast<SHORT>(count > 0 ? in_.ConsumeIntegralInRange(0, count - 1) : 0);
        }
    }

    bool SelectGroup() {
        SHORT index = GroupPosition();
        comrt::Variant result;
        fill_started_ = true;
        const HRESULT hr = control_->SelectPropertyGroup(&index, result.put());
        // A fill that returns success has finished, unless the host's call back ran a fill
        // of its own that failed (and told the host so) and ended this one.
        PG_FUZZ_CHECK(FAILED(hr) || ended_ || reentered_ || impl().grid_fill() == orvane::GridFill::idle,
                      "SelectPropertyGroup succeeded and left the fill marker set");
        return Failed(hr);
    }

    bool CommitEdit() {
        const HRESULT hr = editing()->CommitEdit();
        expect_closed_ = hr == S_OK;  // S_FALSE: refused, the editor stays
        return Failed(hr);
    }

    bool CancelEdit() {
        const HRESULT hr = editing()->CancelEdit();
        expect_closed_ = SUCCEEDED(hr);
        return Failed(hr);
    }

    bool Refresh() {
        fill_started_ = true;
        return Failed(editing()->RefreshValues());
    }

    bool Appearance() {
        switch (in_.ConsumeIntegralInRange(0, 2)) {
        case 0: return Failed(control_->put_BackColor(in_.ConsumeIntegral<OLE_COLOR>()));
        case 1: return Failed(control_->put_ForeColor(in_.ConsumeIntegral<OLE_COLOR>()));
        default: {
            ComPtr<IFontDisp> font;
            if (in_.ConsumeIntegralInRange(0, 4) != 0) {
                static char16_t face[] = u"Tahoma";
                FONTDESC desc{sizeof(FONTDESC), face, {}, FW_NORMAL, DEFAULT_CHARSET, 0, 0, 0};
                desc.cySize.int64 = in_.ConsumeIntegralInRange<LONGLONG>(1, 400) * 10000;
                comrt::check(OleCreateFontIndirect(&desc, IID_IFontDisp, font.put_void()));
            }
            return Failed(control_->put_Font(font.get()));
        }
        }
    }

    bool ObjectRects() {
        RECT rect{in_.ConsumeIntegralInRange(-10, 50), in_.ConsumeIntegralInRange(-10, 50), 0, 0};
        rect.right = rect.left + in_.ConsumeIntegralInRange(-5, 800);
        rect.bottom = rect.top + in_.ConsumeIntegralInRange(-5, 600);
        return Failed(control_.as<IOleInPlaceObject>()->SetObjectRects(&rect, &rect));
    }

    void HostWrite() {
        if (items_.empty()) return;
        auto& [item, value] = items_[in_.ConsumeIntegralInRange<std::size_t>(0, items_.size() - 1)];
        comrt::Bstr text(Text(3));
        if (SUCCEEDED(item->put_ItemValue(text.get()))) value = ValueOf(*item);
    }

    // ---- the user ---------------------------------------------------------------------

    std::int32_t Row() { return in_.ConsumeIntegralInRange(-1, std::max(fakes_.grid->rows(), 1)); }
    std::int32_t Col() { return in_.ConsumeIntegralInRange(0, 1); }

    void Click() {
        const auto order = in_.ConsumeBool() ? orvane::fakes::MouseDownOrder::after_cell_events
                                             : orvane::fakes::MouseDownOrder::before_cell_events;
        fakes_.grid->user_click(Row(), Col(), order);
    }

    void Move() { fakes_.grid->user_move_to(Row(), Col()); }

    std::int16_t Shift() {
        static constexpr std::int16_t kShifts[] = {0, 0, 0, keys::kShift, keys::kAlt, keys::kCtrl};
        return in_.PickValueInArray(kShifts);
    }

    Effect GridKey() {
        static constexpr std::int16_t kKeys[] = {keys::kF2, keys::kReturn, keys::kF4,   keys::kDown, keys::kUp,
                                                 keys::kLeft, keys::kRight, keys::kHome, keys::kEnd, keys::kTab,
                                                 keys::kEscape, 'A'};
        fakes_.grid->user_key(in_.PickValueInArray(kKeys), Shift());
        // Arrows, Home and End move the current cell: the cell left commits.
        return Effect::may_commit;
    }

    void GridType() {
        static constexpr char16_t kCharacters[] = {u'x', u'7', u' ', u'\r', u'\x1B', u'\t', u'\x7F', u'\x08'};
        fakes_.grid->user_type(in_.PickValueInArray(kCharacters));
    }

    void TypeText() { fakes_.text_editor->user_type(Text(4)); }

    Effect EditorKey() {
        static constexpr std::int16_t kKeys[] = {keys::kReturn, keys::kEscape,   keys::kTab,    keys::kUp,
                                                 keys::kDown,   keys::kF4,       keys::kLeft,   'A',
                                                 keys::kPageUp, keys::kPageDown, keys::kHome,   keys::kEnd};
        std::int16_t key = in_.PickValueInArray(kKeys);
        const std::int16_t shift = Shift();
        const bool commits = key == keys::kReturn || key == keys::kTab || key == keys::kUp || key == keys::kDown ||
                             key == keys::kPageUp || key == keys::kPageDown ||
                             ((key == keys::kHome || key == keys::kEnd) && (shift & keys::kCtrl));
        const std::size_t reported = site_->failures.size();
        const std::size_t refused = site_->refusals;
        const bool escape = key == keys::kEscape;
        const bool enter = key == keys::kReturn && !(shift & keys::kAlt);
        if (in_.ConsumeBool()) fakes_.text_editor->user_key(key, shift);
        else fakes_.drop_down_editor->user_key(key, shift);
        // Enter and Escape close the editors; a failure or a refusal may leave them as they were.
        if ((escape || (enter && site_->refusals == refused)) && site_->failures.size() == reported) expect_closed_ = true;
        return commits ? Effect::may_commit : Effect::none;
    }

    // The find field, from the host or the user; going to a hit commits and may show
    // another group.
    bool Find() {
        const ComPtr<IPropertiesFind> find = control_.as<IPropertiesFind>();
        fill_started_ = true;
        switch (in_.ConsumeIntegralInRange(0, 4)) {
        case 0: return Failed(find->OpenFind());
        case 1: return Failed(find->CloseFind());
        case 2: {
            LONG hits = 0;
            comrt::Bstr text(Text(2));
            return Failed(find->FindText(text.get(), &hits));
        }
        case 3: fakes_.find_field->user_type(Text(2)); return false;
        default: {
            static constexpr std::int16_t kKeys[] = {keys::kReturn, keys::kF3, keys::kEscape};
            fakes_.find_field->user_key(in_.PickValueInArray(kKeys), Shift());
            return false;
        }
        }
    }

    void DropDownPick() {
        const auto& entries = fakes_.drop_down_editor->entries();
        if (entries.empty()) return;
        fakes_.drop_down_editor->user_pick(
            static_cast<std::int16_t>(in_.ConsumeIntegralInRange<std::size_t>(0, entries.size() - 1)));
    }

    void SelectorPick() {
        const auto& entries = fakes_.selector->entries();
        if (entries.empty()) return;
        fill_started_ = true;
        fakes_.selector->user_pick(
            static_cast<std::int16_t>(in_.ConsumeIntegralInRange<std::size_t>(0, entries.size() - 1)));
    }

    void InjectFailure() {
        static constexpr const char* kGrid[] = {
            "Text",      "Text=",       "Rows=",      "Cols=",   "Row",          "Row=",          "Col",
            "Col=",      "CellLeft",    "CellTop",    "CellWidth", "CellHeight", "RowHeightMin=", "CellAlignment=",
            "CellChoice=", "ColWidth",  "ColWidth=",  "hWnd",    "Left",         "Top",           "Top=",
            "Width=",    "Height=",     "CellVisible", "SetFocus", "BackColor=", "ForeColor=",    "Font="};
        static constexpr const char* kTextBox[] = {"Text",    "Text=",  "Visible=", "Move",       "SelStart=",
                                                   "SelLength=", "SetFocus", "ZOrder", "BackColor=", "Font="};
        static constexpr const char* kDropDown[] = {"Left=",    "Top=",     "Width=", "Height",  "Visible=",
                                                    "Text",     "ListIndex", "ListIndex=", "Clear", "AddItem",
                                                    "SetFocus", "ZOrder",   "Refresh", "ShowList", "Font="};
        static constexpr const char* kSurface[] = {"ScaleWidth", "ScaleHeight", "hWnd", "SetObjectRect",
                                                   "BackColor=", "Font="};
        static constexpr HRESULT kFailures[] = {E_FAIL, E_OUTOFMEMORY, E_HANDLE, CTL_E_INVALIDPROPERTYVALUE};
        const int nth = in_.ConsumeIntegralInRange(1, 4);
        const HRESULT hr = in_.PickValueInArray(kFailures);
        switch (in_.ConsumeIntegralInRange(0, 4)) {
        case 0: fakes_.grid->fail_at(in_.PickValueInArray(kGrid), nth, hr); break;
        case 1: fakes_.text_editor->fail_at(in_.PickValueInArray(kTextBox), nth, hr); break;
        case 2: fakes_.drop_down_editor->fail_at(in_.PickValueInArray(kDropDown), nth, hr); break;
        case 3: fakes_.selector->fail_at(in_.PickValueInArray(kDropDown), nth, hr); break;
        default: fakes_.surface->fail_at(in_.PickValueInArray(kSurface), nth, hr); break;
        }
    }

    // ---- the checks -------------------------------------------------------------------

    // Between the handlers of one move: the cell just left has no editor following it.
    void observe(std::string_view event) {
        if (event == "surface:Resize") resized_ = true;
        if (event == "grid:LeaveCell") {
            // The control's own state, held here: a host that let go of the control does
            // not end it while its handler runs.
            const orvane::EditingState& editing = *tracking_->editing;
            PG_FUZZ_CHECK(!editing.text_editor_active && !editing.drop_down_editor_active,
                          "an editor flag is up after the grid's LeaveCell");
        }
    }

    std::int32_t ControlGroupCount() {
        const ComPtr<_Collection>& groups = impl().group_collection();
        return groups ? orvane::CollectionCount(*groups) : 0;
    }

    void Check(Effect effect, bool host_failed) {
        const State now = Snapshot();
        const bool failure_reported = now.site_failures > before_.site_failures;
        const bool injected = now.injected > before_.injected;
        const bool troubled = injected || failure_reported || host_failed || reentered_;
        if (injected || failure_reported) ever_troubled_ = true;

        // Every failing handler reached the error sink, with its status.
        std::vector<HRESULT> reported(site_->failures.begin() + static_cast<std::ptrdiff_t>(before_.site_failures),
                                      site_->failures.end());
        for (std::size_t i = before_.event_failures; i < now.event_failures; ++i) {
            const HRESULT hr = fakes_.env->event_failures()[i].hr;
            const auto found = std::find(reported.begin(), reported.end(), hr);
            PG_FUZZ_CHECK(found != reported.end(), "a failing event handler was not reported");
            reported.erase(found);
        }
        // (A host that called back may have met the failure in its own call.)
        PG_FUZZ_CHECK(!injected || host_failed || failure_reported || reentered_,
                      "an injected widget failure neither failed the call nor reached the error sink");

        CheckSelector();
        CheckFill(troubled);
        CheckValues(effect);
        if (expect_closed_ && !reentered_) {
            const orvane::EditingState& editing = impl().editing_state();
            PG_FUZZ_CHECK(!editing.text_editor_active && !editing.drop_down_editor_active,
                          "an editor flag is up after a commit or a cancel that succeeded");
        }
        if (geometry_step_ && !troubled) CheckGeometry();
        const std::u16string& shown = fakes_.surface->message();
        PG_FUZZ_CHECK(ever_troubled_ || shown.empty() || shown == impl().editing_state().refusal,
                      "the message line shows a reason that no longer stands");

        expect_closed_ = false;
        geometry_step_ = false;
        fill_started_ = false;
    }

    void CheckSelector() {
        const auto& entries = fakes_.selector->entries();
        const std::int32_t count = ControlGroupCount();
        PG_FUZZ_CHECK(static_cast<std::int32_t>(entries.size()) == count,
                      "the selector's entries and the control's groups differ in number");
        for (std::int32_t k = 1; k <= count; ++k) {
            const ComPtr<_clsTessel> group = orvane::CollectionItemAs<_clsTessel>(*impl().group_collection(), k);
            PG_FUZZ_CHECK(entries[static_cast<std::size_t>(k - 1)] == NameOf(*group),
                          "a selector entry does not name the group at its position");
        }
    }

    void CheckFill(bool troubled) {
        // A fill that failed stays unfinished until the next one finishes (a refresh with
        // no group shown runs no fill and leaves it as it is).
        if (fill_started_)
            fill_unfinished_ = impl().grid_fill() == orvane::GridFill::filling && (troubled || fill_unfinished_);
        PG_FUZZ_CHECK(impl().grid_fill() == orvane::GridFill::idle || fill_unfinished_,
                      "the fill marker is set between calls");
    }

    // Whether a group's element is the model's item, itself or calling back around it.
    bool Same(_clsPropertyItem* element, _clsPropertyItem* item) const {
        if (element == item) return true;
        for (const auto& [calling, inner] : calling_back_)
            if (element == static_cast<_clsPropertyItem*>(calling.get()) && inner.get() == item) return true;
        return false;
    }

    void CheckValues(Effect effect) {
        for (auto& [item, expected] : items_) {
            const std::u16string value = ValueOf(*item);
            if (value == expected) continue;
            PG_FUZZ_CHECK(effect == Effect::may_commit, "an item's value changed in a step that commits nothing");
            // A host that calls back may commit what this very step put into an editor.
            const State now = Snapshot();
            PG_FUZZ_CHECK(value == before_.text_editor || value == before_.drop_down_editor ||
                              (reentered_ && (value == now.text_editor || value == now.drop_down_editor)),
                          "a commit wrote something no editor held");
            bool heard = false;
            for (std::size_t i = before_.changes; i < site_->changes.size(); ++i) {
                const Site::Change& change = site_->changes[i];
                if (!change.group || change.after != value) continue;
                const ComPtr<_Collection> items = orvane::ItemsCollectionOf(*change.group);
                if (change.index < 1 || change.index > orvane::CollectionCount(*items)) continue;
                if (Same(orvane::CollectionItemAs<_clsPropertyItem>(*items, change.index).get(), item.get())) heard = true;
            }
            PG_FUZZ_CHECK(heard, "an item's value changed and the change sink did not hear of it");
            expected = value;
        }
    }

    // An editor whose flag is up lies over the current cell, as editor_placement.h places
    // it; while the run has had no failure, so does every shown editor.
    void CheckGeometry() {
        const orvane::fakes::FakeGrid& grid = *fakes_.grid;
        const orvane::EditingState& editing = impl().editing_state();
        const LONG style = fakes_.env->windows().style(grid.window());
        const std::int32_t allowance = (style & WS_VSCROLL) ? orvane::kScrollBarAllowance : 0;
        long long cell_left = 0;
        for (std::int32_t c = 0; c < grid.col(); ++c) cell_left += grid.col_width(c);
        const long long cell_top = static_cast<long long>(grid.row() - grid.top_row()) * grid.row_height();
        const double left = static_cast<double>(grid.left()) + static_cast<double>(cell_left);
        const double top = static_cast<double>(grid.top()) + static_cast<double>(cell_top);
        const std::int32_t width = std::max(grid.col_width(grid.col()) - allowance, 0);

        const orvane::fakes::FakeTextBox& text = *fakes_.text_editor;
        if (editing.text_editor_active || (!ever_troubled_ && text.visible())) {
            PG_FUZZ_CHECK(text.left() == static_cast<float>(left) && text.top() == top && text.width() == width &&
                              text.height() == grid.row_height(),
                          "the text editor does not lie over the current cell");
        }
        const orvane::fakes::FakeDropDown& list = *fakes_.drop_down_editor;
        if (editing.drop_down_editor_active || (!ever_troubled_ && list.visible())) {
            PG_FUZZ_CHECK(list.left() == static_cast<float>(left) && list.top() == static_cast<float>(top) &&
                              list.width() == static_cast<float>(width),
                          "the drop-down editor does not lie over the current cell");
        }
    }

    FuzzedDataProvider& in_;
    orvane::fakes::FakeWidgets fakes_;
    ComPtr<Site> site_;
    ComPtr<_PropertiesCtl> control_;
    std::vector<ComPtr<_clsTessel>> groups_;
    // Every item of every group made, with the value the model expects it to hold.
    std::vector<std::pair<ComPtr<_clsPropertyItem>, std::u16string>> items_;
    // The items that call back, with the item each wraps.
    std::vector<std::pair<ComPtr<pg_testing::CallingBackItem>, ComPtr<_clsPropertyItem>>> calling_back_;

    State before_;
    bool expect_closed_ = false;
    bool geometry_step_ = false;
    bool fill_started_ = false;
    bool fill_unfinished_ = false;
    bool ever_troubled_ = false;
    bool trace_ = false;
    bool resized_ = false;
    // A call back ran in this step; one ended the run.
    bool reentered_ = false;
    bool ended_ = false;
    std::shared_ptr<orvane::EditorTracking> tracking_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    {
        Run run(in);
        for (int step = 0; step < 64 && in.remaining_bytes() > 0; ++step) run.step();
    }
    PG_FUZZ_CHECK(comrt::module::can_unload_now() == S_OK, "an object outlived the run");
    return 0;
}
