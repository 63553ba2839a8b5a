/// @file
/// Tessel groups made and read from ordinary strings, one call per item: what every host
/// would otherwise write with BSTRs and SAFEARRAYs around AddItem.
///
///     comrt::ComPtr<_clsTessel> general = tessel::NewGroup(u"General");
///     tessel::AddItem(*general, u"Project name", u"Quarterly report");
///     tessel::AddItem(*general, u"Language", u"English", {u"English", u"Deutsch"});
///     std::u16string language = tessel::ItemValue(*general, 2);
///
/// The group is made by libtessel.so's own class factory where the library lies beside
/// libcomrt.so (as built and as installed: nothing needs registering), else through
/// CoCreateInstance of the registered library, or by a class factory the caller has; it is
/// filled through its interface only, as any host does. Every function throws
/// comrt::com_error when a call fails: REGDB_E_CLASSNOTREG when libtessel.so is neither
/// beside libcomrt.so nor registered, the group's own errors (run-time error 9 for an item
/// position outside the group), E_OUTOFMEMORY.
///
/// Link Orvane::tessel_host (CMake) for these.
#pragma once

#include <initializer_list>
#include <span>
#include <utility>
#include <vector>

#include <comrt/com_ptr.h>
#include <comrt/text.h>
#include <tessel/tessel.h>

namespace tessel {

/// A new, empty group named `name` (no name when empty), from `factory` when given, else
/// from libtessel.so beside libcomrt.so or the registry (comrt::create_side_by_side).
comrt::ComPtr<_clsTessel> NewGroup(comrt::olestring_view name = {}, IClassFactory* factory = nullptr);

/// Appends a free-text item (type kFreeTextItem) without choices.
void AddItem(_clsTessel& group, comrt::olestring_view name, comrt::olestring_view value);
/// Appends an item with a list of choices, stored from index 0 (an empty list stores
/// none); by default a drop-down item.
void AddItem(_clsTessel& group, comrt::olestring_view name, comrt::olestring_view value,
             std::span<const comrt::olestring_view> choices, SHORT type = kDropDownItem);
/// @copydoc AddItem(_clsTessel&, comrt::olestring_view, comrt::olestring_view, std::span<const comrt::olestring_view>, SHORT)
void AddItem(_clsTessel& group, comrt::olestring_view name, comrt::olestring_view value,
             std::initializer_list<comrt::olestring_view> choices, SHORT type = kDropDownItem);
/// @copydoc AddItem(_clsTessel&, comrt::olestring_view, comrt::olestring_view, std::span<const comrt::olestring_view>, SHORT)
void AddItem(_clsTessel& group, comrt::olestring_view name, comrt::olestring_view value,
             std::span<const comrt::olestring> choices, SHORT type = kDropDownItem);

/// The group's name.
comrt::olestring GroupName(_clsTessel& group);
/// How many items the group holds.
LONG ItemCount(_clsTessel& group);
/// Item `position` of the group, counted from 1.
comrt::ComPtr<_clsPropertyItem> ItemAt(_clsTessel& group, LONG position);
/// The value of item `position` (from 1).
comrt::olestring ItemValue(_clsTessel& group, LONG position);
/// Every item's name and value, in order.
std::vector<std::pair<comrt::olestring, comrt::olestring>> ItemTexts(_clsTessel& group);

}  // namespace tessel
