// Text between the widgets and COM. Both are UTF-16: the widgets take and give
// std::u16string, COM strings are OLECHAR, which is char16_t here and wchar_t on Windows.
// Where the two types are the same the text passes as a view; otherwise it is copied unit
// by unit. A view returned here lives no longer than the text it was made from.
#pragma once

#include <deque>
#include <string>
#include <string_view>

#include <comrt/text.h>

namespace orvane {

#ifdef _WIN32
inline std::u16string WidgetText(comrt::olestring_view text) { return std::u16string(text.begin(), text.end()); }
inline comrt::olestring OleText(std::u16string_view text) { return comrt::olestring(text.begin(), text.end()); }
#else
inline std::u16string_view WidgetText(comrt::olestring_view text) noexcept { return text; }
inline comrt::olestring_view OleText(std::u16string_view text) noexcept { return text; }
#endif

// Widget texts made from COM texts, kept while views of them are in use: here the views
// are the COM texts themselves, on Windows copies that live until Clear.
class WidgetTexts {
public:
    std::u16string_view View(comrt::olestring_view text) {
#ifdef _WIN32
        return held_.emplace_back(text.begin(), text.end());
#else
        return text;
#endif
    }
    void Clear() noexcept {
#ifdef _WIN32
        held_.clear();
#endif
    }

private:
#ifdef _WIN32
    std::deque<std::u16string> held_;  // stable: a view of an element outlives later ones
#endif
};

}  // namespace orvane
