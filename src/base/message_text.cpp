#include "base/message_text.h"

#include <array>
#include <filesystem>

#include "base/text_helpers.h"

namespace zc {

std::vector<std::string> TagScan(const std::string& text, const std::string& open, const std::string& close) {
    std::vector<std::string> items;
    size_t at = 0;
    while ((at = text.find(open, at)) != std::string::npos) {
        size_t start = at + open.size();
        size_t end = close.empty() ? text.find_first_of(" |", start) : text.find(close, start);
        if (end == std::string::npos) {
            if (!close.empty()) break;  // unmatched opening tag stays as typed
            end = text.size();
        }
        if (end > start) items.push_back(text.substr(start, end - start));
        at = close.empty() ? end : end + close.size();
    }
    return items;
}

std::string AutoLink(const std::string& text) {
    static const std::array<std::string, 4> prefixes = {"www.", "ftp.", "\\\\", "mailto:"};
    std::string out = text;
    for (const std::string& prefix : prefixes) {
        if (prefix == "\\\\" && out.find("[IMG]\\\\") != std::string::npos) continue;
        for (const std::string& word : TagScan(out, prefix, "")) {
            const std::string whole = prefix + word;
            out = ReplaceAll(out, whole, "[URL]" + whole + "[/URL]");
        }
    }
    return out;
}

std::string PictureConversion(const std::string& text, bool showImages) {
    std::string out = text;
    for (const std::string& p : TagScan(text, "[IMG]", "[/IMG]")) {
        std::string html;
        std::error_code ec;
        if (!showImages) {
            html = "<a class=\"urllink\" href=\"" + p + "\">" + p + "</a>";
        } else if (std::filesystem::exists(ReplaceAll(p, "\\", "/"), ec)) {
            html = ReplaceAll("<img class=\"image\" src=\"file://" + p + "\" title=\"" + p + "\">", "\\", "/");
        } else {
            html = p;
        }
        out = ReplaceAll(out, "[IMG]" + p + "[/IMG]", html);
    }
    return out;
}

std::string MessageTextSanitizer(const std::string& text, bool autoLink, bool showImages) {
    std::string out = RemoveChars(text, "<>");
    out = ReplaceAll(out, "\"", "&quot;");
    if (autoLink) out = AutoLink(out);
    return PictureConversion(out, showImages);
}

}  // namespace zc
