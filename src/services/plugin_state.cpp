#include "services/plugin_state.h"

#include <algorithm>

#include "base/ini_file.h"
#include "base/text_helpers.h"

namespace zc {
namespace {
constexpr char kSection[] = "PLUGINS";
constexpr char kOffSection[] = "PLUGINSOFF";
constexpr size_t kMaxValue = 255;

// Ahead of the bubble in the plug-in list, so the bubble shows only what the desktop did not.
bool OnByDefault(const std::string& key) { return key == "desktopnotify.so"; }
}  // namespace

std::string PluginStateKey(const std::string& fileName) {
    std::string key = fileName;
    key.erase(std::remove(key.begin(), key.end(), ' '), key.end());
    return key;
}

bool IsStorablePluginKey(const std::string& key) {
    if (key.size() < 3) return false;
    // A file name is the user's own, but as a key it must not break the file's lines.
    return std::none_of(key.begin(), key.end(), BreaksIniKey);
}

bool ReadPluginState(const std::string& profilePath, const std::string& fileName) {
    const std::string key = PluginStateKey(fileName);
    if (!ReadIniValueLimited(profilePath, kSection, key, kMaxValue).empty()) return true;
    return OnByDefault(key) && ReadIniValue(profilePath, kOffSection, key).empty();
}

bool WritePluginState(const std::string& profilePath, const std::string& fileName, bool on) {
    const std::string key = PluginStateKey(fileName);
    if (!IsStorablePluginKey(key)) return false;
    const bool noted = !OnByDefault(key) || WriteIniValue(profilePath, kOffSection, key, on ? "" : "1");
    return WriteIniValue(profilePath, kSection, key, on ? "1" : "") && noted;
}

}  // namespace zc
