#include "ui/html/markup.h"

#include <array>
#include <filesystem>

#include "app/text_helpers.h"

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

static bool ContainsPrefix(const std::string& u, const std::string& prefix) {
    size_t at = u.find(prefix);
    return at != std::string::npos && at + prefix.size() < u.size();
}

std::string ChatUrlLinker(const std::string& text) {
    std::string out = ReplaceAll(text, "[URL][URL][URL]", "[URL]");
    out = ReplaceAll(out, "[URL][URL]", "[URL]");
    out = ReplaceAll(out, "[/URL][/URL][/URL]", "[/URL]");
    out = ReplaceAll(out, "[/URL][/URL]", "[/URL]");
    for (const std::string& u : TagScan(out, "[URL]", "[/URL]")) {
        std::string a = "<a class=\"urllink\" href=\"http://" + u + "\">http://" + u + "</a>";
        if (ContainsPrefix(u, "www."))
            a = "<a class=\"urllink\" href=\"http://" + u + "\" title=\"" + u + "\">" + u + "</a>";
        // Addresses used as they stand must begin with their own scheme: "javascript:...mailto:x"
        // would otherwise become a script link.
        if (ContainsPrefix(u, "mailto:") && u.rfind("mailto:", 0) == 0)
            a = "<a class=\"urllink\" href=\"" + u + "\">" + u + "</a>";
        if (ContainsPrefix(u, "ftp."))
            a = "<a class=\"urllink\" href=\"ftp://" + u + "\" title=\"" + u + "\">" + u + "</a>";
        if (ContainsPrefix(u, "\\\\") && u.rfind("\\\\", 0) == 0)
            a = "<a class=\"urllink\" href=\"" + u + "\" title=\"" + u + "\">" + u + "</a>";
        out = ReplaceAll(out, "[URL]" + u + "[/URL]", a);
    }
    return out;
}

}  // namespace zc
