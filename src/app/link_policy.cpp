#include "app/link_policy.h"

#include <sys/stat.h>

#include <fstream>

#include "base/file_url.h"
#include "base/text_helpers.h"

namespace zc {
namespace {

bool StartsWithNoCase(const std::string& text, const std::string& prefix) {
    return text.size() >= prefix.size() && EqualsNoCase(std::string_view(text).substr(0, prefix.size()), prefix);
}

bool EndsWithNoCase(const std::string& text, const std::string& suffix) {
    return text.size() >= suffix.size() && EqualsNoCase(std::string_view(text).substr(text.size() - suffix.size()), suffix);
}

// The folder part of a path, with its last separator.
std::string FolderOf(const std::string& path, char separator) {
    const size_t slash = path.rfind(separator);
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// A regular file whose name and first bytes both say picture: the viewer the desktop picks for
// it shows it, whatever a peer named it.
bool IsPictureFile(const std::string& path) {
    struct stat st{};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
    std::string head(12, '\0');
    std::ifstream in(path, std::ios::binary);
    if (!in.read(head.data(), static_cast<std::streamsize>(head.size()))) return false;
    auto starts = [&head](std::string_view magic) { return head.compare(0, magic.size(), magic) == 0; };
    if (EndsWithNoCase(path, ".png")) return starts("\x89PNG\r\n\x1a\n");
    if (EndsWithNoCase(path, ".jpg") || EndsWithNoCase(path, ".jpeg")) return starts("\xFF\xD8\xFF");
    if (EndsWithNoCase(path, ".gif")) return starts("GIF87a") || starts("GIF89a");
    if (EndsWithNoCase(path, ".bmp")) return starts("BM");
    if (EndsWithNoCase(path, ".webp")) return starts("RIFF") && head.compare(8, 4, "WEBP") == 0;
    return false;
}

// A local file: the picture itself when it is one, else its folder.
std::string LocalFileToOpen(const std::string& path) {
    if (IsPictureFile(path)) return FileUrl(path);
    const std::string folder = FolderOf(path, '/');
    return folder.empty() ? std::string() : FileUrl(folder);
}

}  // namespace

std::string LinkToOpen(const std::string& target) {
    const std::string text = SystemText(target);
    for (const char* scheme : {"http://", "https://", "ftp://", "mailto:"})
        if (StartsWithNoCase(text, scheme)) return text;
    if (StartsWithNoCase(text, "file://")) {
        // Our own pages encode the path and may add "?n" so a picture is read afresh.
        const std::string path = PercentDecoded(text.substr(7, text.find_first_of("?#", 7) - 7));
        return path.rfind('/', 0) == 0 ? LocalFileToOpen(path) : std::string();
    }
    if (text.rfind("\\\\", 0) == 0) {
        // \\host\share\dir\file: the folder on the file server.
        const std::string folder = FolderOf(text.substr(2), '\\');
        return folder.empty() ? std::string() : "smb://" + ReplaceAll(folder, "\\", "/");
    }
    if (text.rfind('/', 0) == 0) return LocalFileToOpen(text);
    return {};
}

}  // namespace zc
