// The demo's settings, as a host application keeps them: property groups (clsTessel)
// filled with items, handed to the control, and read back from the same objects.
#pragma once

#include <vector>

#include <comrt/com_ptr.h>
#include <tessel/tessel.h>

namespace orvane::demo {

using Group = comrt::ComPtr<_clsTessel>;

// The settings groups: "General", "Appearance" and "Network" (free-text and drop-down
// items), and "Character map", a few thousand items to show the grid's scale.
// Fails with comrt::com_error (the Tessel library not registered, ...).
std::vector<Group> MakeSettingsGroups();

}  // namespace orvane::demo
