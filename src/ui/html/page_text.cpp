#include "ui/html/page_text.h"

#include <algorithm>
#include <cctype>

namespace zc {

namespace {

std::string Lower(const std::string& s) {
    std::string out = s;
    std::transform(out.begin(), out.end(), out.begin(), [](unsigned char c) {
        return c < 0x80 ? static_cast<char>(std::tolower(c)) : static_cast<char>(c);
    });
    return out;
}

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f'; }
bool EndsName(char c) { return IsSpace(c) || c == '>' || c == '/' || c == '='; }

struct Tag {
    size_t start = 0, end = 0;  // '<' and one past '>'
    std::string name;           // lower case
    std::string id;
    bool selfClosing = false;
};

// Reads the tag that starts at '<'; false when it is not an opening tag.
bool ReadOpeningTag(const std::string& page, const std::string& lower, size_t at, Tag& tag) {
    size_t i = at + 1;
    if (i >= page.size() || !std::isalpha(static_cast<unsigned char>(page[i]))) return false;
    size_t nameEnd = i;
    while (nameEnd < page.size() && !EndsName(page[nameEnd])) ++nameEnd;
    tag = Tag{at, 0, lower.substr(i, nameEnd - i), {}, false};
    i = nameEnd;
    while (i < page.size()) {
        while (i < page.size() && IsSpace(page[i])) ++i;
        if (i >= page.size()) return false;
        if (page[i] == '>') {
            tag.end = i + 1;
            return true;
        }
        if (page[i] == '/') {
            tag.selfClosing = true;
            ++i;
            continue;
        }
        size_t attrEnd = i;
        while (attrEnd < page.size() && !EndsName(page[attrEnd])) ++attrEnd;
        const std::string attr = lower.substr(i, attrEnd - i);
        i = attrEnd;
        if (attr.empty()) ++i;  // a stray '=' or similar
        while (i < page.size() && IsSpace(page[i])) ++i;
        if (i < page.size() && page[i] == '=' && !attr.empty()) {
            ++i;
            while (i < page.size() && IsSpace(page[i])) ++i;
            std::string value;
            if (i < page.size() && (page[i] == '"' || page[i] == '\'')) {
                const size_t close = page.find(page[i], i + 1);
                if (close == std::string::npos) return false;
                value = page.substr(i + 1, close - i - 1);
                i = close + 1;
            } else {
                const size_t from = i;
                while (i < page.size() && !IsSpace(page[i]) && page[i] != '>') ++i;
                value = page.substr(from, i - from);
            }
            if (attr == "id") tag.id = value;
        }
        if (!attr.empty()) tag.selfClosing = false;
    }
    return false;
}

bool IsVoidElement(const std::string& name) {
    static const char* kVoid[] = {"br", "hr", "img", "input", "meta", "link", "area", "base", "col", "param"};
    return std::any_of(std::begin(kVoid), std::end(kVoid), [&](const char* v) { return name == v; });
}

}  // namespace

bool InsertBeforeBodyEnd(std::string& page, const std::string& html) {
    // From the end, without lowering the whole page: the body ends near the end, and a chat
    // page takes hundreds of lines between two clearings.
    static const char kBodyEnd[] = "</body>";
    for (size_t at = page.rfind('<'); at != std::string::npos; at = at == 0 ? std::string::npos : page.rfind('<', at - 1)) {
        if (page.size() - at < 7) continue;
        size_t i = 0;
        while (i < 7 && std::tolower(static_cast<unsigned char>(page[at + i])) == kBodyEnd[i]) ++i;
        if (i == 7) {
            page.insert(at, html);
            return true;
        }
    }
    return false;
}

std::string InnerHtmlOfId(const std::string& page, const std::string& id) {
    size_t begin = 0, end = 0;
    return InnerHtmlRangeOfId(page, id, begin, end) ? page.substr(begin, end - begin) : std::string();
}

bool InnerHtmlRangeOfId(const std::string& page, const std::string& id, size_t& begin, size_t& end) {
    if (id.empty()) return false;
    const std::string lower = Lower(page);
    Tag tag;
    for (size_t at = page.find('<'); at != std::string::npos; at = page.find('<', at + 1)) {
        if (!ReadOpeningTag(page, lower, at, tag) || tag.id != id) continue;
        if (tag.selfClosing || IsVoidElement(tag.name)) return false;
        begin = tag.end;
        // Elements of the same name inside it nest; others are skipped over.
        int depth = 1;
        for (size_t i = lower.find('<', tag.end); i != std::string::npos; i = lower.find('<', i + 1)) {
            const bool closing = lower.compare(i, 2 + tag.name.size(), "</" + tag.name) == 0;
            const size_t after = i + (closing ? 2 : 1) + tag.name.size();
            if (after > lower.size() || (after < lower.size() && !EndsName(lower[after]))) continue;
            if (!closing && lower.compare(i + 1, tag.name.size(), tag.name) != 0) continue;
            if (closing && --depth == 0) {
                end = i;
                return true;
            }
            if (!closing) ++depth;
        }
        // Never closed: up to the end of the body.
        const size_t bodyEnd = lower.rfind("</body");
        end = bodyEnd != std::string::npos && bodyEnd >= tag.end ? bodyEnd : page.size();
        return true;
    }
    return false;
}

}  // namespace zc
