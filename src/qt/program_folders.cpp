#include "qt/program_folders.h"

#include <pwd.h>
#include <unistd.h>

#include <filesystem>

#include "platform/system_facts.h"

namespace zc {
namespace fs = std::filesystem;

static std::string HomeDir(const SystemFacts& facts) {
    std::string home = facts.EnvironmentValue("HOME");
    if (home.empty())
        if (const passwd* pw = getpwuid(geteuid()); pw && pw->pw_dir) home = pw->pw_dir;
    return home;
}

std::string HomeSubdir(const SystemFacts& facts, const char* variable, const char* underHome) {
    const std::string set = facts.EnvironmentValue(variable);
    if (!set.empty()) return set;
    const std::string home = HomeDir(facts);
    return home.empty() ? std::string() : home + "/" + underHome;
}

DataRootInputs RootInputs(const std::string& rootArgument, const SystemFacts& facts, const std::string& installedData) {
    DataRootInputs in;
    in.rootArgument = rootArgument;
    in.rootVariable = facts.EnvironmentValue("ZELTOCHAT_ROOT");
    const fs::path exe = facts.ExecutablePath();
    in.executableDir = exe.parent_path().string();
    in.xdgDataHome = HomeSubdir(facts, "XDG_DATA_HOME", ".local/share");
    // An installed tree that was moved as a whole still finds its data.
    std::error_code ec;
    const fs::path beside = exe.parent_path() / "../share/zeltochat/data";
    in.installedData = fs::is_directory(beside, ec) ? beside.lexically_normal().string() : installedData;
    return in;
}

}  // namespace zc
