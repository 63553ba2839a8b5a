// The control's persisted properties, by the names a container keeps them under (those
// of the control's properties), in the order they are written and read.
#pragma once

namespace orvane {

inline constexpr const OLECHAR* kBackColor = OLESTR("BackColor");
inline constexpr const OLECHAR* kForeColor = OLESTR("ForeColor");
inline constexpr const OLECHAR* kFont = OLESTR("Font");
inline constexpr const OLECHAR* kPersistedProperties[] = {kBackColor, kForeColor, kFont};

}  // namespace orvane
