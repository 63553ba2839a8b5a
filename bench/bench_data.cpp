// The benchmarks' data (bench_data.h).
#include "bench_data.h"

#include <comrt/error.h>
#include <testing/groups.h>

namespace bench {

std::u16string PaddedText(std::u16string_view prefix, int k) {
    std::u16string text(prefix);
    const std::string digits = std::to_string(k);
    if (prefix.size() + digits.size() <= kTextLength) text.append(kTextLength - prefix.size() - digits.size(), u'0');
    for (char c : digits) text += static_cast<char16_t>(c);
    return text;
}

ItemTexts MakeItemTexts(int count) { return MakeItemTexts(count, u"Name", u"Value"); }

ItemTexts MakeItemTexts(int count, std::u16string_view name_prefix, std::u16string_view value_prefix) {
    ItemTexts texts;
    const auto n = static_cast<std::size_t>(count > 0 ? count : 0);
    texts.names.reserve(n);
    texts.values.reserve(n);
    texts.name_bstrs.reserve(n);
    texts.value_bstrs.reserve(n);
    for (int k = 1; k <= count; ++k) {
        texts.names.push_back(PaddedText(name_prefix, k));
        texts.values.push_back(PaddedText(value_prefix, k));
        texts.name_bstrs.emplace_back(texts.names.back());
        texts.value_bstrs.emplace_back(texts.values.back());
    }
    return texts;
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
    pg_testing::Item item{u"Choices00001", PaddedText(u"Choice", choices)};
    item.choices.reserve(static_cast<std::size_t>(choices > 0 ? choices : 0));
    for (int k = 1; k <= choices; ++k) item.choices.push_back(PaddedText(u"Choice", k));
    item.type = 1;
    return pg_testing::MakeGroup(u"", {item});
}

}  // namespace bench
