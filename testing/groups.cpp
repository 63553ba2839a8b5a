// Tessel groups from ordinary strings (testing/groups.h).
#include <testing/groups.h>

#include <comrt/error.h>
#include <comrt/objbase.h>
#include <comrt/oleauto.h>

namespace pg_testing {

namespace {

template <typename Texts>
comrt::SafeArrayPtr MakeStringArray(LONG lower, const Texts& texts) {
    comrt::SafeArrayPtr array(SafeArrayCreateVector(VT_BSTR, lower, static_cast<ULONG>(texts.size())));
    if (!array) throw comrt::com_error(E_OUTOFMEMORY);
    LONG index = lower;
    for (const auto& text : texts) {
        comrt::Bstr element{comrt::olestring_view(text)};
        comrt::check(SafeArrayPutElement(array.get(), &index, element.get()));
        ++index;
    }
    return array;
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
        comrt::check(CoCreateInstance(CLSID_clsTessel, nullptr, CLSCTX_INPROC_SERVER, comrt::iid_of<_clsTessel>(),
                                      group.put_void()));
    if (!name.empty()) comrt::check(group->put_PropertyGroupName(comrt::Bstr(name).get()));
    return group;
}

LONG AddItem(_clsTessel& group, const Item& item) {
    comrt::SafeArrayPtr choices;
    if (!item.choices.empty()) choices = StringArray(0, item.choices);
    comrt::Bstr name(item.name);
    comrt::Bstr value(item.value);
    BSTR name_arg = name.get();
    BSTR value_arg = value.get();
    SHORT type = item.type.value_or(item.choices.empty() ? 0 : 1);
    SAFEARRAY* choices_arg = choices.get();
    LONG result = 0;
    comrt::check(group.AddItem(&name_arg, &value_arg, &type, &choices_arg, &result));
    return result;
}

comrt::ComPtr<_clsTessel> MakeGroup(comrt::olestring_view name, const std::vector<Item>& items, IClassFactory* factory) {
    comrt::ComPtr<_clsTessel> group = NewGroup(name, factory);
    for (const Item& item : items) AddItem(*group, item);
    return group;
}

comrt::SafeArrayPtr StringArray(LONG lower, const std::vector<comrt::olestring>& texts) {
    return MakeStringArray(lower, texts);
}

comrt::SafeArrayPtr StringArray(LONG lower, std::initializer_list<comrt::olestring_view> texts) {
    return MakeStringArray(lower, texts);
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

}  // namespace pg_testing
