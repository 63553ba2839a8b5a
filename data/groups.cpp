// Tessel groups from ordinary strings (tessel/groups.h).
#include <tessel/groups.h>

#include <comrt/error.h>
#include <comrt/objbase.h>
#include <comrt/resource.h>
#include <comrt/side_by_side.h>
#include <comrt/string_array.h>

namespace tessel {

namespace {

// AddItem with the list as an array (null: no list). AddItem takes every argument by
// reference and leaves it as it was.
void AddItemWith(_clsTessel& group, comrt::olestring_view name, comrt::olestring_view value, SHORT type,
                 SAFEARRAY* choices) {
    comrt::Bstr name_text(name);
    comrt::Bstr value_text(value);
    BSTR name_arg = name_text.get();
    BSTR value_arg = value_text.get();
    LONG result = 0;
    comrt::check(group.AddItem(&name_arg, &value_arg, &type, &choices, &result));
}

template <typename Texts>
void AddItemWithChoices(_clsTessel& group, comrt::olestring_view name, comrt::olestring_view value,
                        const Texts& choices, SHORT type) {
    comrt::SafeArrayPtr list;
    if (choices.size() > 0) list = comrt::MakeStringArray(0, choices);
    AddItemWith(group, name, value, type, list.get());
}

comrt::ComPtr<_Collection> ItemsOf(_clsTessel& group) {
    comrt::ComPtr<_Collection> items;
    comrt::check(group.get_ItemsCollection(items.put()));
    if (!items) throw comrt::com_error(comrt::runtime_hresult(comrt::runtime_error::object_not_set));
    return items;
}

}  // namespace

comrt::ComPtr<_clsTessel> NewGroup(comrt::olestring_view name, IClassFactory* factory) {
    comrt::ComPtr<_clsTessel> group;
    if (factory)
        comrt::check(factory->CreateInstance(nullptr, comrt::iid_of<_clsTessel>(), group.put_void()));
    else
        comrt::check(comrt::create_side_by_side(TESSEL_SERVER_FILE, CLSID_clsTessel, comrt::iid_of<_clsTessel>(),
                                                group.put_void()));
    if (!name.empty()) comrt::check(group->put_PropertyGroupName(comrt::Bstr(name).get()));
    return group;
}

void AddItem(_clsTessel& group, comrt::olestring_view name, comrt::olestring_view value) {
    AddItemWith(group, name, value, kFreeTextItem, nullptr);
}

void AddItem(_clsTessel& group, comrt::olestring_view name, comrt::olestring_view value,
             std::span<const comrt::olestring_view> choices, SHORT type) {
    AddItemWithChoices(group, name, value, choices, type);
}

void AddItem(_clsTessel& group, comrt::olestring_view name, comrt::olestring_view value,
             std::initializer_list<comrt::olestring_view> choices, SHORT type) {
    AddItemWithChoices(group, name, value, choices, type);
}

void AddItem(_clsTessel& group, comrt::olestring_view name, comrt::olestring_view value,
             std::span<const comrt::olestring> choices, SHORT type) {
    AddItemWithChoices(group, name, value, choices, type);
}

comrt::olestring GroupName(_clsTessel& group) {
    comrt::Bstr name;
    comrt::check(group.get_PropertyGroupName(name.put()));
    return comrt::olestring(name.view());
}

LONG ItemCount(_clsTessel& group) {
    LONG count = 0;
    comrt::check(ItemsOf(group)->Count(&count));
    return count;
}

comrt::ComPtr<_clsPropertyItem> ItemAt(_clsTessel& group, LONG position) {
    comrt::Variant index;
    index->vt = VT_I4;
    index->lVal = position;
    comrt::Variant element;
    comrt::check(ItemsOf(group)->Item(index.get(), element.put()));
    if (element.vt() != VT_DISPATCH || !element->pdispVal) throw comrt::com_error(DISP_E_TYPEMISMATCH);
    return comrt::ComPtr<IDispatch>(element->pdispVal).as<_clsPropertyItem>();
}

comrt::olestring ItemValue(_clsTessel& group, LONG position) {
    comrt::Bstr value;
    comrt::check(ItemAt(group, position)->get_ItemValue(value.put()));
    return comrt::olestring(value.view());
}

std::vector<std::pair<comrt::olestring, comrt::olestring>> ItemTexts(_clsTessel& group) {
    const LONG count = ItemCount(group);
    std::vector<std::pair<comrt::olestring, comrt::olestring>> texts;
    texts.reserve(static_cast<std::size_t>(count));
    for (LONG position = 1; position <= count; ++position) {
        const comrt::ComPtr<_clsPropertyItem> item = ItemAt(group, position);
        comrt::Bstr name;
        comrt::Bstr value;
        comrt::check(item->get_ItemName(name.put()));
        comrt::check(item->get_ItemValue(value.put()));
        texts.emplace_back(name.view(), value.view());
    }
    return texts;
}

}  // namespace tessel
