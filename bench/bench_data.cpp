// The benchmarks' data (bench_data.h).
#include "bench_data.h"

#include <comrt/objbase.h>
#include <comrt/oleauto.h>

namespace bench {

std::u16string PaddedText(std::u16string_view prefix, int k) {
    std::u16string text(prefix);
    const std::string digits = std::to_string(k);
    if (prefix.size() + digits.size() <= kTextLength) text.append(kTextLength - prefix.size() - digits.size(), u'0');
    for (char c : digits) text += static_cast<char16_t>(c);
    return text;
}

ItemTexts MakeItemTexts(int count) {
    ItemTexts texts;
    const auto n = static_cast<std::size_t>(count > 0 ? count : 0);
    texts.names.reserve(n);
    texts.values.reserve(n);
    texts.name_bstrs.reserve(n);
    texts.value_bstrs.reserve(n);
    for (int k = 1; k <= count; ++k) {
        texts.names.push_back(PaddedText(u"Name", k));
        texts.values.push_back(PaddedText(u"Value", k));
        texts.name_bstrs.emplace_back(texts.names.back());
        texts.value_bstrs.emplace_back(texts.values.back());
    }
    return texts;
}

comrt::ComPtr<_clsTessel> NewGroup() {
    comrt::ComPtr<_clsTessel> group;
    comrt::check(CoCreateInstance(CLSID_clsTessel, nullptr, CLSCTX_INPROC_SERVER, comrt::iid_of<_clsTessel>(),
                                  group.put_void()));
    return group;
}

void AddItems(_clsTessel& group, const ItemTexts& texts) {
    SHORT type = 0;
    SAFEARRAY* no_choices = nullptr;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        BSTR name = texts.name_bstrs[i].get();
        BSTR value = texts.value_bstrs[i].get();
        LONG result = 0;
        comrt::check(group.AddItem(&name, &value, &type, &no_choices, &result));
    }
}

comrt::ComPtr<_clsTessel> ChoiceGroup(int choices) {
    comrt::SafeArrayPtr list(SafeArrayCreateVector(VT_BSTR, 0, static_cast<ULONG>(choices)));
    if (!list) throw comrt::com_error(E_OUTOFMEMORY);
    for (LONG i = 0; i < choices; ++i) {
        comrt::Bstr choice(PaddedText(u"Choice", i + 1));
        comrt::check(SafeArrayPutElement(list.get(), &i, choice.get()));
    }
    comrt::ComPtr<_clsTessel> group = NewGroup();
    comrt::Bstr name(u"Choices00001");
    comrt::Bstr value(PaddedText(u"Choice", choices));
    BSTR name_arg = name.get();
    BSTR value_arg = value.get();
    SHORT type = 1;
    SAFEARRAY* list_arg = list.get();
    LONG result = 0;
    comrt::check(group->AddItem(&name_arg, &value_arg, &type, &list_arg, &result));
    return group;
}

LONG ItemCount(_clsTessel& group) {
    comrt::ComPtr<_Collection> items;
    comrt::check(group.get_ItemsCollection(items.put()));
    LONG count = 0;
    comrt::check(items->Count(&count));
    return count;
}

}  // namespace bench
