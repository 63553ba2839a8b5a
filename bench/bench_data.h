// The data every benchmark works on: item texts of 12 UTF-16 code units, and Tessel groups
// holding them, made through the registered library (libtessel.so, CoCreateInstance) as a
// host makes them.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include <comrt/com_ptr.h>
#include <comrt/resource.h>
#include <tessel/tessel.h>

namespace bench {

// Length of every name, value and choice.
inline constexpr std::size_t kTextLength = 12;

// Item k (from 1): name "Name00000001", value "Value0000001", as UTF-16 and as BSTRs
// (what a host hands to AddItem).
struct ItemTexts {
    std::vector<std::u16string> names;
    std::vector<std::u16string> values;
    std::vector<comrt::Bstr> name_bstrs;
    std::vector<comrt::Bstr> value_bstrs;
    std::size_t size() const noexcept { return names.size(); }
};
ItemTexts MakeItemTexts(int count);
// The same with other prefixes: "<name_prefix>0001", "<value_prefix>0001"...
ItemTexts MakeItemTexts(int count, std::u16string_view name_prefix, std::u16string_view value_prefix);

// "<prefix><k>", k zero-padded so that the text is kTextLength code units (the prefix
// must leave room for k's digits).
std::u16string PaddedText(std::u16string_view prefix, int k);

// Appends one free-text item (type 0, no choices) per text through AddItem, with the
// BSTRs made beforehand: what is timed is AddItem alone. Throws comrt::com_error.
void AddItems(_clsTessel& group, const ItemTexts& texts);

// A group holding one drop-down item (type 1) whose choice list holds `choices`
// strings "Choice000001"... at indexes 0 to choices - 1; its value is the last choice.
// Throws comrt::com_error.
comrt::ComPtr<_clsTessel> ChoiceGroup(int choices);

}  // namespace bench
