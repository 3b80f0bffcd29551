#include "options/options_plugins.h"

#include <algorithm>
#include <filesystem>

#include "base/ini_file.h"

namespace zc {
namespace {

// The chat keys a plug-in by its file name without blanks.
std::string Key(const std::string& file) {
    std::string key = file;
    key.erase(std::remove(key.begin(), key.end(), ' '), key.end());
    return key;
}

bool Storable(const std::string& key) {
    if (key.size() < 3) return false;
    return std::none_of(key.begin(), key.end(), [](unsigned char c) {
        return c < 0x20 || c == 0x7F || c == '=' || c == '[' || c == ']' || c == ';';
    });
}

}  // namespace

std::vector<PluginSwitch> LoadPlugins(const std::string& root, const std::string& profile) {
    std::vector<PluginSwitch> list;
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator(root + "/plugins", ec)) {
        const std::string name = e.path().filename().string();
        if (!e.is_regular_file(ec) || name.size() <= 3 || name.compare(name.size() - 3, 3, ".so") != 0) continue;
        PluginSwitch s;
        s.file = name;
        s.storable = Storable(Key(name));
        s.on = s.storable && !ReadIniValueLimited(profile, "PLUGINS", Key(name), 255).empty();
        list.push_back(s);
    }
    std::sort(list.begin(), list.end(), [](const PluginSwitch& a, const PluginSwitch& b) { return a.file < b.file; });
    return list;
}

bool SavePlugins(const std::string& profile, const std::vector<PluginSwitch>& before,
                 const std::vector<PluginSwitch>& after) {
    bool ok = true;
    for (const PluginSwitch& now : after) {
        if (!now.storable) continue;
        const auto was = std::find_if(before.begin(), before.end(),
                                      [&](const PluginSwitch& b) { return b.file == now.file; });
        if (was != before.end() && was->on == now.on) continue;
        ok = WriteIniValue(profile, "PLUGINS", Key(now.file), now.on ? "1" : "") && ok;
    }
    return ok;
}

}  // namespace zc
