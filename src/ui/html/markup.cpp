#include "ui/html/markup.h"

#include "base/message_text.h"
#include "base/text_helpers.h"

namespace zc {

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
        // A file link from the input box menu opens the file, not a web address.
        if (ContainsPrefix(u, "file://") && u.rfind("file://", 0) == 0)
            a = "<a class=\"urllink\" href=\"" + u + "\" title=\"" + u + "\">" + u + "</a>";
        if (ContainsPrefix(u, "\\\\") && u.rfind("\\\\", 0) == 0)
            a = "<a class=\"urllink\" href=\"" + u + "\" title=\"" + u + "\">" + u + "</a>";
        out = ReplaceAll(out, "[URL]" + u + "[/URL]", a);
    }
    return out;
}

}  // namespace zc
