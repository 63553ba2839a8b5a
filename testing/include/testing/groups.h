// Tessel groups made from ordinary strings for tests and benchmarks: the host helpers of
// tessel/groups.h, plus whole groups from a list of item descriptions.
//
//     auto group = MakeGroup(u"Settings", {{u"Title", u"Report"},
//                                          {u"Format", u"PDF", {u"HTML", u"PDF", u"Text"}}});
//
// Every function throws comrt::com_error when a call fails (REGDB_E_CLASSNOTREG when
// libtessel.so is neither beside libcomrt.so nor registered, ...).
#pragma once

#include <initializer_list>
#include <optional>
#include <vector>

#include <comrt/com_ptr.h>
#include <comrt/resource.h>
#include <comrt/string_array.h>
#include <tessel/groups.h>

namespace pg_testing {

using tessel::ItemAt;
using tessel::ItemCount;
using tessel::ItemTexts;
using tessel::ItemValue;
using tessel::NewGroup;

struct Item {
    comrt::olestring name;
    comrt::olestring value;
    // The drop-down list, stored from index 0; none: the item has no list.
    std::vector<comrt::olestring> choices = {};
    // The type code; by default tessel::kDropDownItem when there are choices, else
    // tessel::kFreeTextItem.
    std::optional<SHORT> type = std::nullopt;
};

// Appends one item through AddItem.
void AddItem(_clsTessel& group, const Item& item);

// A new group holding the items, added in the order given.
comrt::ComPtr<_clsTessel> MakeGroup(comrt::olestring_view name, const std::vector<Item>& items,
                                    IClassFactory* factory = nullptr);

// A one-dimensional array of strings whose first index is `lower`.
inline comrt::SafeArrayPtr StringArray(LONG lower, const std::vector<comrt::olestring>& texts) {
    return comrt::MakeStringArray(lower, texts);
}
inline comrt::SafeArrayPtr StringArray(LONG lower, std::initializer_list<comrt::olestring_view> texts) {
    return comrt::MakeStringArray(lower, texts);
}

}  // namespace pg_testing
