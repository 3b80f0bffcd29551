#include "options/options_plugins.h"

#include <algorithm>
#include <filesystem>

#include "services/plugin_folders.h"
#include "services/plugin_state.h"

namespace zc {

std::vector<PluginSwitch> LoadPlugins(const std::string& root, const std::string& profile,
                                      const std::string& executablePath) {
    std::vector<PluginSwitch> list;
    auto listed = [&list](const std::string& name) {
        return std::any_of(list.begin(), list.end(), [&](const PluginSwitch& s) { return s.file == name; });
    };
    // The chat's own search: the editor lies beside the chat program, where option.cmd found it.
    for (const std::string& folder : PluginFolders(root + "/plugins", executablePath)) {
        std::error_code ec;
        for (const auto& e : std::filesystem::directory_iterator(folder, ec)) {
            const std::string name = e.path().filename().string();
            if (!e.is_regular_file(ec) || name.size() <= 3 || name.compare(name.size() - 3, 3, ".so") != 0) continue;
            if (listed(name)) continue;
            PluginSwitch s;
            s.file = name;
            s.storable = IsStorablePluginKey(PluginStateKey(name));
            s.on = s.storable && ReadPluginState(profile, name);
            list.push_back(s);
        }
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
        ok = WritePluginState(profile, now.file, now.on) && ok;
    }
    return ok;
}

}  // namespace zc
