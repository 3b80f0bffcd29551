#include "ui/html/markup.h"

#include "base/text_helpers.h"

namespace zc {

namespace {

bool ContainsPrefix(const std::string& u, const std::string& prefix) {
    size_t at = u.find(prefix);
    return at != std::string::npos && at + prefix.size() < u.size();
}

std::string Anchor(const std::string& u) {
    // An address that names its own web scheme keeps it instead of getting a second one.
    const bool web = u.rfind("http://", 0) == 0 || u.rfind("https://", 0) == 0;
    const std::string href = web ? u : "http://" + u;
    std::string a = "<a class=\"urllink\" href=\"" + href + "\">" + href + "</a>";
    if (ContainsPrefix(u, "www."))
        a = "<a class=\"urllink\" href=\"" + href + "\" title=\"" + u + "\">" + u + "</a>";
    // Addresses used as they stand must begin with their own scheme: "javascript:...mailto:x"
    // would otherwise become a script link.
    if (ContainsPrefix(u, "mailto:") && u.rfind("mailto:", 0) == 0)
        a = "<a class=\"urllink\" href=\"" + u + "\">" + u + "</a>";
    if (ContainsPrefix(u, "ftp."))
        a = "<a class=\"urllink\" href=\"ftp://" + u + "\" title=\"" + u + "\">" + u + "</a>";
    // A file link from the input box menu opens the file, not a web address.
    if (ContainsPrefix(u, "file://") && u.rfind("file://", 0) == 0)
        a = "<a class=\"urllink\" href=\"" + u + "\" title=\"" + u + "\">" + u + "</a>";
    if (ContainsPrefix(u, "\\\\") && u.rfind("\\\\", 0) == 0)
        a = "<a class=\"urllink\" href=\"" + u + "\" title=\"" + u + "\">" + u + "</a>";
    return a;
}

}  // namespace

// One pass over the marks, so a line with many addresses costs no more than its length.
std::string ChatUrlLinker(const std::string& text) {
    std::string in = ReplaceAll(text, "[URL][URL][URL]", "[URL]");
    in = ReplaceAll(in, "[URL][URL]", "[URL]");
    in = ReplaceAll(in, "[/URL][/URL][/URL]", "[/URL]");
    in = ReplaceAll(in, "[/URL][/URL]", "[/URL]");
    static const std::string open = "[URL]", close = "[/URL]";
    std::string out;
    out.reserve(in.size() * 2);
    size_t i = 0;
    while (i < in.size()) {
        const size_t at = in.find(open, i);
        const size_t end = at == std::string::npos ? at : in.find(close, at + open.size());
        if (end == std::string::npos) break;
        out.append(in, i, at - i);
        const std::string u = in.substr(at + open.size(), end - at - open.size());
        out += u.empty() ? open + close : Anchor(u);
        i = end + close.size();
    }
    out.append(in, i, std::string::npos);
    return out;
}

}  // namespace zc
