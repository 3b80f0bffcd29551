#include "base/data_root.h"

#include <filesystem>

namespace zc {
namespace fs = std::filesystem;

static std::string WithSlash(const fs::path& p) {
    std::string s = p.lexically_normal().string();
    if (s.empty() || s.back() != '/') s += '/';
    return s;
}

static fs::path Absolute(const std::string& p) {
    std::error_code ec;
    fs::path a = fs::absolute(p, ec);
    return ec ? fs::path(p) : a;
}

DataRoot ResolveDataRoot(const DataRootInputs& in) {
    DataRoot root;
    std::error_code ec;
    if (!in.rootArgument.empty()) {
        root.path = WithSlash(Absolute(in.rootArgument));
        return root;
    }
    if (!in.rootVariable.empty()) {
        root.path = WithSlash(Absolute(in.rootVariable));
        return root;
    }
    if (!in.executableDir.empty() && fs::is_regular_file(fs::path(in.executableDir) / "system/zeltochat.ini", ec)) {
        root.path = WithSlash(Absolute(in.executableDir));
        return root;
    }
    fs::path user = fs::path(in.xdgDataHome) / "zeltochat";
    root.path = WithSlash(Absolute(user.string()));
    if (fs::is_regular_file(user / "system/zeltochat.ini", ec)) return root;
    if (in.installedData.empty() || !fs::is_directory(in.installedData, ec)) {
        root.error = "no installed data folder to seed " + root.path + " from";
        return root;
    }
    fs::create_directories(user, ec);
    // Existing files are the user's: never overwrite them.
    fs::copy(in.installedData, user, fs::copy_options::recursive | fs::copy_options::skip_existing, ec);
    if (ec) root.error = "could not copy " + in.installedData + ": " + ec.message();
    else root.seeded = true;
    return root;
}

}  // namespace zc
