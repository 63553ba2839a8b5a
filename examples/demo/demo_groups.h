// The demo's settings, as a host application keeps them: property groups filled with
// items, handed to the grid, and read back from the same groups.
#pragma once

#include <vector>

#include <QString>

#include <orvane/property_group.h>

namespace orvane::demo {

// The settings groups: "General", "Appearance" and "Network" (free-text and drop-down
// items), and "Character map", a few thousand items to show the grid's scale. Empty,
// with the reason in error, when a group cannot be made or filled.
std::vector<PropertyGroup> MakeSettingsGroups(QString& error);

}  // namespace orvane::demo
