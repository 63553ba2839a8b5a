// Tessel groups made from ordinary strings, as a host makes them: through the data
// library's COM interfaces only (CoCreateInstance of the registered libtessel.so, or a
// class factory the caller has), one AddItem per item, and read back the same way.
//
//     auto group = MakeGroup(u"Settings", {{u"Title", u"Report"},
//                                          {u"Format", u"PDF", {u"HTML", u"PDF", u"Text"}}});
//
// Every function throws comrt::com_error when a call fails (REGDB_E_CLASSNOTREG when
// libtessel.so is not registered, ...).
#pragma once

#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <comrt/com_ptr.h>
#include <comrt/resource.h>
#include <tessel/tessel.h>

namespace pg_testing {

struct Item {
    comrt::olestring name;
    comrt::olestring value;
    // The drop-down list, stored from index 0; none: the item has no list.
    std::vector<comrt::olestring> choices = {};
    // The type code; by default 1 (edited with the drop-down list) when there are
    // choices, else 0 (free text).
    std::optional<SHORT> type = std::nullopt;
};

// A new group named `name`: from `factory` when given, else from CoCreateInstance.
comrt::ComPtr<_clsTessel> NewGroup(comrt::olestring_view name = {}, IClassFactory* factory = nullptr);

// Appends one item through AddItem and returns what AddItem returned.
LONG AddItem(_clsTessel& group, const Item& item);

// A new group holding the items, added in the order given.
comrt::ComPtr<_clsTessel> MakeGroup(comrt::olestring_view name, const std::vector<Item>& items,
                                    IClassFactory* factory = nullptr);

// A one-dimensional array of strings whose first index is `lower`.
comrt::SafeArrayPtr StringArray(LONG lower, const std::vector<comrt::olestring>& texts);
comrt::SafeArrayPtr StringArray(LONG lower, std::initializer_list<comrt::olestring_view> texts);

// Reading a group: its item count, item k (from 1), and every item's name and value in
// order.
LONG ItemCount(_clsTessel& group);
comrt::ComPtr<_clsPropertyItem> ItemAt(_clsTessel& group, LONG position);
comrt::olestring ItemValue(_clsTessel& group, LONG position);
std::vector<std::pair<comrt::olestring, comrt::olestring>> ItemTexts(_clsTessel& group);

}  // namespace pg_testing
