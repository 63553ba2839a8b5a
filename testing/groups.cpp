// Tessel groups from item descriptions (testing/groups.h).
#include <testing/groups.h>

namespace pg_testing {

void AddItem(_clsTessel& group, const Item& item) {
    const SHORT type = item.type.value_or(item.choices.empty() ? tessel::kFreeTextItem : tessel::kDropDownItem);
    tessel::AddItem(group, item.name, item.value, std::span<const comrt::olestring>(item.choices), type);
}

comrt::ComPtr<_clsTessel> MakeGroup(comrt::olestring_view name, const std::vector<Item>& items, IClassFactory* factory) {
    comrt::ComPtr<_clsTessel> group = NewGroup(name, factory);
    for (const Item& item : items) AddItem(*group, item);
    return group;
}

}  // namespace pg_testing
