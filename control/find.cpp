// Finding items across all groups: the find field that Ctrl+F opens between the selector
// and the grid, and IPropertiesFind for hosts.
//
// A hit is an item whose name or value holds the text (text_match.h: case folded). The
// hits are read afresh from the items at every search and every step, so that items the
// host changed, added or removed meanwhile are found as they are now; the current row is
// the place a step starts from. Going to a hit is a move the user could make: a pending
// edit is committed into its own group first, the hit's group is shown through
// SelectPropertyGroup, and the hit's row becomes current in the name column, where no
// editor opens and the find field keeps the focus.
#include <control/PropertiesCtl.h>

#include <algorithm>
#include <string>

#include <control/collections.h>
#include <control/text_match.h>
#include <control/widget_text.h>

namespace orvane {
namespace {

namespace keys = widgets::keys;

// Room between the find field and the widgets above and below it (twips).
constexpr float kFindGap = 5;

}  // namespace

float PropertiesCtl::FindBand() { return find_.open ? find_field().Height() + kFindGap : 0.0f; }

void PropertiesCtl::LayOutFindBand() {
    const float below_selector = static_cast<float>(static_cast<double>(selector().Height()) + 5.0);
    if (find_.open) find_field().Move(0, below_selector, surface().ScaleWidth());
    grid().SetTop(below_selector + FindBand());
    grid().SetHeight(GridHeight());
}

std::vector<PropertiesCtl::FindHit> PropertiesCtl::FindHits(std::u16string_view text) {
    std::vector<FindHit> hits;
    if (text.empty()) return hits;
    const CallOut out(*this);  // the items' getters are the host's code
    _Collection& groups = HeldGroupCollection();
    const std::int32_t group_count = CollectionCount(groups);
    for (std::int32_t g = 1; g <= group_count; ++g) {
        const comrt::ComPtr<_Collection> items = ItemsCollectionOf(*CollectionItemAs<_clsTessel>(groups, g));
        const std::int32_t item_count = CollectionCount(*items);
        for (std::int32_t k = 1; k <= item_count; ++k) {
            const comrt::ComPtr<_clsPropertyItem> item = CollectionItemAs<_clsPropertyItem>(*items, k);
            comrt::Bstr name, value;
            comrt::check(item->get_ItemName(name.put()));
            comrt::check(item->get_ItemValue(value.put()));
            if (out.interrupted()) return {};  // the host moved the control on: no hits to go to
            if (ContainsFolded(WidgetText(name.view()), text) || ContainsFolded(WidgetText(value.view()), text)) hits.push_back({g, k - 1});
        }
    }
    return hits;
}

PropertiesCtl::FindHit PropertiesCtl::CurrentPlace() {
    _Collection& groups = HeldGroupCollection();
    const std::int32_t count = CollectionCount(groups);
    for (std::int32_t g = 1; g <= count && current_group_; ++g) {
        if (CollectionItemAs<_clsTessel>(groups, g).get() == current_group_.get())
            return {g, ShownRows() > 0 ? grid().Row() : 0};
    }
    return {0, 0};  // before the first group
}

void PropertiesCtl::GoToHit(const FindHit& hit) {
    if (!CommitOpenEdit()) return;  // a refused value stays open to be mended
    const comrt::ComPtr<_clsTessel> group = CollectionItemAs<_clsTessel>(HeldGroupCollection(), hit.group);
    if (group.get() != current_group_.get() || ShownRows() == 0) {
        SHORT index = static_cast<SHORT>(hit.group - 1);
        comrt::Variant ignored;
        comrt::check(Self().SelectPropertyGroup(&index, ignored.put()));
        if (current_group_.get() != group.get()) return;  // the host showed another group meanwhile
    }
    if (hit.row >= ShownRows()) return;
    grid().SetCol(0);
    grid().SetRow(hit.row);
}

std::size_t PropertiesCtl::FindAndGo(int step) {
    const std::u16string text = find_field().Text();
    const std::vector<FindHit> hits = FindHits(text);
    if (hits.empty()) {
        find_field().SetStatus(text.empty() ? u"" : u"No match", text.empty());
        return 0;
    }
    // The first hit at the current row or after it (step 0), after it (1), or the last one
    // before it (-1); past either end the search wraps.
    const FindHit here = CurrentPlace();
    std::size_t target = 0;
    if (step < 0) {
        const auto before = std::lower_bound(hits.begin(), hits.end(), here);
        target = before == hits.begin() ? hits.size() - 1 : static_cast<std::size_t>(before - hits.begin()) - 1;
    } else {
        const auto from = step == 0 ? std::lower_bound(hits.begin(), hits.end(), here)
                                    : std::upper_bound(hits.begin(), hits.end(), here);
        target = from == hits.end() ? 0 : static_cast<std::size_t>(from - hits.begin());
    }
    GoToHit(hits[target]);
    const comrt::olestring status = comrt::from_utf8(std::to_string(target + 1) + " of " + std::to_string(hits.size()));
    find_field().SetStatus(WidgetText(status), true);
    return hits.size();
}

HRESULT STDMETHODCALLTYPE PropertiesCtl::OpenFind() noexcept try {
    CheckThread();
    const CallOut keep(*this);
    if (!find_.open) {
        find_.open = true;
        find_field().SetVisible(true);
        LayOutFindBand();
    }
    find_field().SetFocus();
    return S_OK;
} catch (...) {
    return comrt::to_hresult();
}

HRESULT STDMETHODCALLTYPE PropertiesCtl::CloseFind() noexcept try {
    CheckThread();
    if (!find_.open) return S_OK;
    find_.open = false;
    // The grid first, so that the focus never passes out of the control.
    grid().SetFocus();
    find_field().SetVisible(false);
    LayOutFindBand();
    return S_OK;
} catch (...) {
    return comrt::to_hresult();
}

HRESULT STDMETHODCALLTYPE PropertiesCtl::FindText(BSTR text, LONG* hits) noexcept try {
    CheckThread();
    const CallOut keep(*this);
    if (!hits) return E_POINTER;
    *hits = 0;
    comrt::check(OpenFind());
    find_field().SetText(WidgetText(comrt::Bstr::view_of(text)));
    *hits = static_cast<LONG>(FindAndGo(0));
    return S_OK;
} catch (...) {
    return comrt::to_hresult();
}

HRESULT PropertiesCtl::FindStep(int step, VARIANT_BOOL* found) noexcept try {
    CheckThread();
    const CallOut keep(*this);
    if (!found) return E_POINTER;
    *found = VARIANT_FALSE;
    find_field();  // E_UNEXPECTED before activation
    *found = FindAndGo(step) > 0 ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
} catch (...) {
    return comrt::to_hresult();
}

HRESULT STDMETHODCALLTYPE PropertiesCtl::FindNext(VARIANT_BOOL* found) noexcept { return FindStep(1, found); }

HRESULT STDMETHODCALLTYPE PropertiesCtl::FindPrevious(VARIANT_BOOL* found) noexcept { return FindStep(-1, found); }

HRESULT PropertiesCtl::OnFindFieldChange() noexcept try {
    FindAndGo(0);
    return S_OK;
} catch (...) {
    return comrt::to_hresult();
}

HRESULT PropertiesCtl::OnFindFieldKeyDown(std::int16_t& key, std::int16_t shift) noexcept try {
    const bool back = (shift & keys::kShift) != 0;
    switch (key) {
    case keys::kReturn:
    case keys::kF3:
        key = 0;
        FindAndGo(back ? -1 : 1);
        return S_OK;
    case keys::kEscape:
        key = 0;
        comrt::check(CloseFind());
        return S_OK;
    default:
        return S_OK;
    }
} catch (...) {
    return comrt::to_hresult();
}

}  // namespace orvane
