// The control's persisted properties, by the names a container keeps them under (those
// of the control's properties), in the order they are written and read.
#pragma once

namespace orvane {

inline constexpr const char16_t* kBackColor = u"BackColor";
inline constexpr const char16_t* kForeColor = u"ForeColor";
inline constexpr const char16_t* kFont = u"Font";
inline constexpr const char16_t* kPersistedProperties[] = {kBackColor, kForeColor, kFont};

}  // namespace orvane
