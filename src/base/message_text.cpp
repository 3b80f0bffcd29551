#include "base/message_text.h"

#include <algorithm>
#include <array>
#include <string_view>
#include <filesystem>

#include "base/file_url.h"
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

namespace {

constexpr std::array<std::string_view, 4> kLinkPrefixes = {"www.", "ftp.", "\\\\", "mailto:"};

// The length of the link prefix that starts at text[at], 0 for none.
size_t LinkPrefixAt(const std::string& text, size_t at, bool networkPaths) {
    for (std::string_view prefix : kLinkPrefixes) {
        if (!networkPaths && prefix == "\\\\") continue;
        if (text.compare(at, prefix.size(), prefix) == 0) return prefix.size();
    }
    return 0;
}

bool IsPicturePath(const std::string& p) {
    for (std::string_view start : {"http://", "https://", "ftp://", "file://", "/", "\\\\"})
        if (p.compare(0, start.size(), start) == 0) return true;
    return false;
}

// The file a picture's path names: the text was cleaned of quotes and is in the chat's code page.
std::string PictureFile(const std::string& p) {
    return SystemText(ReplaceAll(ReplaceAll(p, "&quot;", "\""), "\\", "/"));
}

}  // namespace

// One pass: a link starts at any of the prefixes and runs to the next blank or "|". Repeated
// addresses are marked once each, however often they come (wrapping each by a search over
// the whole text grew with the square of the repeats).
std::string AutoLink(const std::string& text) {
    // A picture on a network path is the picture's, not a link.
    const bool networkPaths = text.find("[IMG]\\\\") == std::string::npos;
    std::string out;
    out.reserve(text.size() + 64);
    size_t i = 0;
    while (i < text.size()) {
        // A picture's path is never marked: the mark would end up inside its attributes.
        if (text.compare(i, 5, "[IMG]") == 0) {
            const size_t close = text.find("[/IMG]", i + 5);
            if (close != std::string::npos) {
                out.append(text, i, close + 6 - i);
                i = close + 6;
                continue;
            }
        }
        const size_t prefix = LinkPrefixAt(text, i, networkPaths);
        if (prefix == 0) {
            out += text[i++];
            continue;
        }
        // An address ends at a blank, a "|" or where a picture begins.
        size_t end = std::min(text.find_first_of(" |", i + prefix), text.find("[IMG]", i + prefix));
        if (end == std::string::npos) end = text.size();
        if (end == i + prefix) {  // a bare prefix is no address
            out.append(text, i, prefix);
        } else {
            out += "[URL]";
            out.append(text, i, end - i);
            out += "[/URL]";
        }
        i = end;
    }
    return out;
}

std::string EscapeHtml(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            default: out += c;
        }
    }
    return out;
}

std::string PictureConversion(const std::string& text, bool showImages) {
    static const std::string open = "[IMG]", close = "[/IMG]";
    std::error_code ec;
    std::string out;
    out.reserve(text.size());
    size_t i = 0;
    while (i < text.size()) {
        const size_t at = text.find(open, i);
        const size_t end = at == std::string::npos ? at : text.find(close, at + open.size());
        if (end == std::string::npos) break;  // an unmatched tag stays as typed
        out.append(text, i, at - i);
        const std::string p = text.substr(at + open.size(), end - at - open.size());
        if (p.empty()) {
            out += open + close;
        } else if (p.find("[URL]") != std::string::npos || p.find("[/URL]") != std::string::npos) {
            out += p;  // marks of its own would put a link inside the picture's attributes
        } else if (!showImages) {
            // Only an address that opens something harmless becomes a link; "javascript:" stays text.
            if (IsPicturePath(p)) out += "<a class=\"urllink\" href=\"" + p + "\">" + p + "</a>";
            else out += p;
        } else if (const std::string file = PictureFile(p); std::filesystem::exists(file, ec)) {
            // The file system holds UTF-8; the address is encoded so the page's code page cannot change it.
            out += "<img class=\"image\" src=\"" + FileUrl(file) + "\" title=\"" + ReplaceAll(p, "\\", "/") + "\">";
        } else {
            out += p;
        }
        i = end + close.size();
    }
    out.append(text, i, std::string::npos);
    return out;
}

std::string MessageTextSanitizer(const std::string& text, bool autoLink, bool showImages) {
    std::string out = RemoveChars(text, "<>");
    out = ReplaceAll(out, "\"", "&quot;");
    if (autoLink) out = AutoLink(out);
    return PictureConversion(out, showImages);
}

}  // namespace zc
