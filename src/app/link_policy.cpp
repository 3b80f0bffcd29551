#include "app/link_policy.h"

#include <cctype>

#include "base/text_helpers.h"

namespace zc {
namespace {

bool StartsWithNoCase(const std::string& text, const std::string& prefix) {
    return text.size() >= prefix.size() && EqualsNoCase(std::string_view(text).substr(0, prefix.size()), prefix);
}

// The folder part of a path, with its last separator.
std::string FolderOf(const std::string& path, char separator) {
    const size_t slash = path.rfind(separator);
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

}  // namespace

std::string LinkToOpen(const std::string& target) {
    for (const char* scheme : {"http://", "https://", "ftp://", "mailto:"})
        if (StartsWithNoCase(target, scheme)) return target;
    if (StartsWithNoCase(target, "file://")) {
        const std::string folder = FolderOf(target.substr(7), '/');
        return folder.empty() ? std::string() : "file://" + folder;
    }
    if (target.rfind("\\\\", 0) == 0) {
        // \\host\share\dir\file: the folder on the file server.
        const std::string folder = FolderOf(target.substr(2), '\\');
        return folder.empty() ? std::string() : "smb://" + ReplaceAll(folder, "\\", "/");
    }
    if (target.rfind('/', 0) == 0) {
        const std::string folder = FolderOf(target, '/');
        return folder.empty() ? std::string() : "file://" + folder;
    }
    return {};
}

}  // namespace zc
