// The group collection and its display: AddPropertyGroup, Clear, SelectPropertyGroup
// and the selector's OnSelectorClick.
//
// The selector's entries mirror the group collection: entry k (from 0) names the group
// at position k + 1, as its name read when it was added.
#include <control/PropertiesCtl.h>

#include <algorithm>
#include <exception>
#include <limits>
#include <vector>

#include <tessel/item_texts.h>

#include <control/arithmetic.h>
#include <control/collections.h>
#include <control/widget_text.h>

namespace orvane {
namespace {

// The grid is being filled from the current group's items while this lives. When the
// fill ends, done or interrupted by the host's call back, the grid is idle again, unless
// the fill ran inside another (a RefreshValues from an item's getter), whose rows are
// still being filled. A failing step leaves it filling, as the failure left the rows.
class FillScope {
public:
    explicit FillScope(EditingState& editing) noexcept
        : editing_(editing), failures_(std::uncaught_exceptions()) {
        ++editing_.fills_running;
        editing_.fill = GridFill::filling;
    }
    ~FillScope() {
        --editing_.fills_running;
        if (std::uncaught_exceptions() == failures_ && editing_.fills_running == 0) editing_.fill = GridFill::idle;
    }
    FillScope(const FillScope&) = delete;
    FillScope& operator=(const FillScope&) = delete;

private:
    EditingState& editing_;
    int failures_;
};

}  // namespace

_Collection& PropertiesCtl::HeldGroupCollection() {
    if (!group_collection_) group_collection_ = NewCollection();
    return *group_collection_;
}

HRESULT STDMETHODCALLTYPE PropertiesCtl::AddPropertyGroup(_clsTessel** mPropData, VARIANT* result) noexcept try {
    CheckThread();
    const CallOut keep(*this);
    if (!mPropData || !result) return E_POINTER;
    VariantInit(result);
    // Without a group nothing changes: no empty position, no selector entry.
    if (!*mPropData) comrt::raise(comrt::runtime_error::object_not_set, kErrorSource);
    const comrt::ComPtr<_clsTessel> group(*mPropData);

    _Collection& groups = HeldGroupCollection();
    // The name is read before the group is appended, so that a failing read leaves the
    // collection and the selector in step.
    comrt::Bstr name;
    comrt::check(group->get_PropertyGroupName(name.put()));
    CollectionAdd(groups, group.get());
    try {
        selector().AddItem(WidgetText(name.view()));
    } catch (...) {
        // The selector refused the entry: take the group out again, or every later pick
        // would show the wrong group. The selector's failure is the one reported.
        try {
            CollectionRemove(groups, CollectionCount(groups));
        } catch (...) {
        }
        throw;
    }
    return S_OK;
} catch (...) {
    return comrt::to_hresult();
}

HRESULT STDMETHODCALLTYPE PropertiesCtl::Clear() noexcept try {
    CheckThread();
    const CallOut keep(*this);  // a group released here may be the host's last hold
    ++editing_.epoch;
    _Collection& groups = HeldGroupCollection();
    const std::int32_t count = CollectionCount(groups);
    if (count == 0) return S_OK;
    const std::int16_t n = ToInt16(count);
    // The selector first: a selector that refuses to clear leaves the groups and their
    // entries in step, as they were.
    selector().Clear();
    // Each pass removes the front element. The counter is wider than 16 bits, so that
    // exactly 32767 groups are all removed without the counter overflowing afterwards.
    for (std::int32_t i = 1; i <= n; ++i) CollectionRemove(groups, 1);
    return S_OK;
} catch (...) {
    return comrt::to_hresult();
}

HRESULT STDMETHODCALLTYPE PropertiesCtl::SelectPropertyGroup(SHORT* nIndex, VARIANT* result) noexcept try {
    CheckThread();
    const CallOut keep(*this);
    if (!nIndex || !result) return E_POINTER;
    VariantInit(result);
    const std::int16_t index = *nIndex;

    const std::int32_t count = CollectionCount(HeldGroupCollection());
    const bool show = index != CollectionCount(HeldGroupCollection()) && index <= count;

    if (show) {
        comrt::ComPtr<_clsTessel> group = CollectionItemAs<_clsTessel>(HeldGroupCollection(), AddInt16(index, 1));
        // A pending edit goes into the item of the group it was made in before the grid
        // shows another one (a value the host refuses is dropped); a host that showed a
        // group meanwhile has had its way.
        if (!CommitOpenEdit(CommitPoint::editor_goes)) return S_OK;
        current_group_ = std::move(group);
        ++editing_.epoch;

        // Set before the row count changes: cell events that the grid raises while its
        // rows shrink must not open or write an editor against the new group.
        const FillScope fill(editing_);
        const std::int32_t rows = CollectionCount(*ItemsCollectionOf(*current_group_));
        grid().SetRows(rows);
        editing_.shown_rows = rows;
        // A changed index raises the selector's Click: the control's own doing, which
        // OnSelectorClick leaves alone, so that the grid is filled once, below.
        editing_.selecting_group = true;
        try {
            selector().SetListIndex(index);
        } catch (...) {
            editing_.selecting_group = false;
            throw;
        }
        editing_.selecting_group = false;

        if (!FillRowsFromItems()) return S_OK;
        grid().SetCol(0);
        grid().SetRow(0);
        text_editor().SetVisible(false);
        drop_down_editor().SetVisible(false);
    } else {
        // The current group and the selector's index stay; the rows go, after a pending
        // edit went into its item.
        if (!CommitOpenEdit(CommitPoint::editor_goes)) return S_OK;
        ++editing_.epoch;
        const FillScope fill(editing_);
        grid().SetRows(0);
        editing_.shown_rows = 0;
        text_editor().SetVisible(false);
        drop_down_editor().SetVisible(false);
    }
    return S_OK;
} catch (...) {
    return comrt::to_hresult();
}

bool PropertiesCtl::FillRowsFromItems() {
    // The items' getters are the host's code: one that shows another group, clears or
    // deactivates the control ends this fill, which has nothing left to fill.
    const CallOut out(*this);
    const comrt::ComPtr<_clsTessel> group = current_group_;
    const comrt::ComPtr<_Collection> items = ItemsCollectionOf(*group);
    const std::int32_t count = ToInt16(static_cast<std::int64_t>(CollectionCount(*items)) - 1) + 1;
    // Tessel's own items are read in place from their group a batch at a time, which calls
    // no one else's code, and go into the grid with their texts copied once, by the grid.
    // An item made by anyone else is read through its getters, after the rows before it
    // went in; so is every item of a group or collection that cannot be read in place.
    comrt::ComPtr<ITesselGroupTexts> own_items = group.try_as<ITesselGroupTexts>();
    constexpr ULONG kBatchRows = 1024;
    std::vector<TesselItemView> views(own_items ? std::min<std::size_t>(kBatchRows, count) : 0);
    std::vector<widgets::GridRow> rows;
    rows.reserve(views.size());
    WidgetTexts texts;  // the widget's text of each view, where it differs
    // Positions are 16-bit: an item past the last one that fits fails the fill, there.
    const std::int32_t addressable = std::min<std::int32_t>(count, std::numeric_limits<std::int16_t>::max());
    for (std::int32_t i = 0; i < count;) {
        ULONG viewed = 0;
        if (own_items && i < addressable) {
            const ULONG batch = std::min(kBatchRows, static_cast<ULONG>(addressable - i));
            const HRESULT hr = own_items->ViewItemTexts(static_cast<ULONG>(i), batch, views.data(), &viewed);
            if (hr == E_NOINTERFACE) own_items = nullptr;
            else comrt::check(hr);
        }
        if (viewed > 0) {
            rows.clear();
            texts.Clear();
            for (ULONG k = 0; k < viewed; ++k) {
                const TesselItemView& item = views[k];
                rows.push_back({texts.View({item.name, item.name_length}), texts.View({item.value, item.value_length}),
                                item.type == kDropDownItemType});
            }
            grid().FillRows(i, rows);
            i += static_cast<std::int32_t>(viewed);
            continue;
        }
        const comrt::ComPtr<_clsPropertyItem> item =
            CollectionItem(*items, AddInt16(static_cast<std::int16_t>(i), 1)).try_as<_clsPropertyItem>();
        if (!item) RaiseTypeMismatch();
        if (!FillRowFromGetters(i, *item, out)) return false;
        ++i;
    }
    return true;
}

bool PropertiesCtl::FillRowFromGetters(std::int32_t row, _clsPropertyItem& item, const CallOut& out) {
    grid().SetRow(row);
    grid().SetCol(0);
    comrt::Bstr ItemName;
    comrt::check(item.get_ItemName(ItemName.put()));
    if (out.interrupted()) return false;
    grid().SetText(WidgetText(ItemName.view()));
    grid().SetCellAlignment(0);
    grid().SetCol(1);
    comrt::Bstr ItemValue;
    comrt::check(item.get_ItemValue(ItemValue.put()));
    if (out.interrupted()) return false;
    grid().SetText(WidgetText(ItemValue.view()));
    grid().SetCellAlignment(0);
    // A value picked from a list shows that it is, before its cell is clicked.
    const bool choice = ItemTypeOf(item) == kDropDownItemType;
    if (out.interrupted()) return false;
    grid().SetCellChoice(choice);
    return true;
}

HRESULT STDMETHODCALLTYPE PropertiesCtl::RefreshValues() noexcept try {
    CheckThread();
    const CallOut keep(*this);
    if (!current_group_) return S_OK;
    const std::int32_t row = grid().Row();
    const std::int32_t col = grid().Col();
    // The fill's cell moves drop the editor flags; an edit that stays open keeps its
    // editor following the cell as before.
    const bool text_editor_following = editing_.text_editor_active;
    const bool drop_down_editor_following = editing_.drop_down_editor_active;
    // As a fill: the moves through the rows open and write nothing, and an open edit
    // stays open, with what the user typed.
    std::int32_t count = 0;
    {
        const FillScope fill(editing_);
        count = CollectionCount(*ItemsCollectionOf(*current_group_));
        grid().SetRows(count);
        editing_.shown_rows = count;
        // A host's call back from an item's getter may end the fill: one that showed another
        // group, cancelled or committed leaves nothing to restore; an edit it left open
        // (a Clear) gets its cell back, as after a whole fill.
        const bool filled = FillRowsFromItems();
        if (!widgets_.surface || (!filled && !editing_.edit)) return S_OK;
        if (count > 0) {
            grid().SetRow(std::min(row, count - 1));
            grid().SetCol(col);
        }
    }
    // An edit whose row is gone has nothing left to write into.
    if (editing_.edit && editing_.edit->row >= count) CancelOpenEdit();
    if (editing_.edit) {
        editing_.text_editor_active = text_editor_following;
        editing_.drop_down_editor_active = drop_down_editor_following;
    }
    return S_OK;
} catch (...) {
    return comrt::to_hresult();
}

HRESULT PropertiesCtl::OnSelectorClick() noexcept try {
    // The index was put by SelectPropertyGroup, which shows the group itself.
    if (editing_.selecting_group) return S_OK;
    std::int16_t index = selector().ListIndex();
    comrt::Variant ignored;
    comrt::check(Self().SelectPropertyGroup(&index, ignored.put()));
    return S_OK;
} catch (...) {
    return comrt::to_hresult();
}

}  // namespace orvane
