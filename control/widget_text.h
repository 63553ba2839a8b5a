// Text between the widgets and COM. Both are UTF-16: the widgets take and give
// std::u16string, COM strings are OLECHAR, which is char16_t here and wchar_t on Windows.
// Where the two types are the same the text passes as a view; otherwise it is copied unit
// by unit. A view returned here lives no longer than the text it was made from.
#pragma once

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

}  // namespace orvane
