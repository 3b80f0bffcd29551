#include "services/plugin_folders.h"

#include <filesystem>

namespace zc {

std::vector<std::string> PluginFolders(const std::string& ownFolder, const std::string& executablePath) {
    namespace fs = std::filesystem;
    std::vector<std::string> candidates{ownFolder};
    if (!executablePath.empty()) {
        const fs::path bin = fs::path(executablePath).parent_path();
        candidates.push_back((bin / "plugins").string());
        candidates.push_back((bin / "../share/zeltochat/data/plugins").lexically_normal().string());
    }
    std::vector<std::string> folders;
    for (const std::string& c : candidates) {
        std::error_code ec;
        if (!fs::is_directory(c, ec)) continue;
        bool seen = false;
        for (const std::string& f : folders) seen = seen || fs::equivalent(f, c, ec);
        if (!seen) folders.push_back(c);
    }
    return folders;
}

}  // namespace zc
