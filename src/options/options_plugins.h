#pragma once
#include <string>
#include <vector>

namespace zc {

struct PluginSwitch {
    std::string file;  // bare file name inside plugins/
    bool on = false;
    bool storable = true;  // false when the name cannot be a profile key
    bool operator==(const PluginSwitch&) const = default;
};

// Every *.so the chat would load (the program folder's plugins/, then those beside the program
// given, or in its installed data), sorted, with its switch from [PLUGINS] of the profile.
std::vector<PluginSwitch> LoadPlugins(const std::string& root, const std::string& profile,
                                      const std::string& executablePath = "");
// Writes the switches that differ, as the chat's own menu does: on is "1", off deletes the key.
// The chat reads the switches when it starts, so there is no change flag. False when a write failed.
bool SavePlugins(const std::string& profile, const std::vector<PluginSwitch>& before,
                 const std::vector<PluginSwitch>& after);

}  // namespace zc
