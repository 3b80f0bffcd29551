#include "base/text_helpers.h"

#include <climits>
#include <ctime>

namespace zc {

int ParseInt(std::string_view text) {
    bool negative = false;
    if (!text.empty() && text.front() == '-') {
        negative = true;
        text.remove_prefix(1);
    }
    long long value = 0;
    size_t i = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        // Saturate instead of overflowing on absurd inputs.
        if (value < INT_MAX) value = value * 10 + (text[i] - '0');
        if (value > INT_MAX) value = INT_MAX;
    }
    if (negative && i == text.size()) value = -value;
    return static_cast<int>(value);
}

std::string ExtractField(std::string_view source, std::string_view delimiter, int mode) {
    if (delimiter.empty()) return {};
    size_t at = source.find(delimiter);
    if (at == std::string_view::npos) return {};
    if (mode == 0) return std::string(source.substr(0, at));
    return std::string(source.substr(at + delimiter.size()));
}

std::string ReplaceAll(std::string text, std::string_view from, std::string_view to) {
    if (from.empty()) return text;
    size_t at = text.find(from);
    if (at == std::string::npos) return text;
    // Built anew, so many replacements cost one pass instead of one shift of the rest each.
    std::string out;
    out.reserve(text.size());
    size_t done = 0;
    for (; at != std::string::npos; at = text.find(from, done)) {
        out.append(text, done, at - done);
        out.append(to);
        done = at + from.size();
    }
    out.append(text, done, std::string::npos);
    return out;
}

std::string JoinTexts(const std::vector<std::string>& items, std::string_view separator) {
    std::string out;
    for (size_t i = 0; i < items.size(); ++i) (i ? out.append(separator) : out).append(items[i]);
    return out;
}

std::string RemoveChars(std::string text, std::string_view chars) {
    std::string out;
    out.reserve(text.size());
    for (char c : text)
        if (chars.find(c) == std::string_view::npos) out += c;
    return out;
}

std::vector<std::string> SplitAfterSeparators(std::string_view items, char separator, size_t room) {
    std::vector<std::string> parts;
    std::string part;
    for (size_t start = 0; start < items.size();) {
        size_t end = items.find(separator, start);
        end = end == std::string_view::npos ? items.size() : end + 1;
        const std::string_view item = items.substr(start, end - start);
        start = end;
        if (item.size() > room) continue;
        if (part.size() + item.size() > room) parts.push_back(std::move(part)), part.clear();
        part += item;
    }
    if (!part.empty()) parts.push_back(std::move(part));
    return parts;
}

static char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (Lower(a[i]) != Lower(b[i])) return false;
    return true;
}

std::string FormatInt(long long value) { return std::to_string(value); }

std::string FormatTime(const std::string& format, const std::tm& tm) {
    if (format.empty()) return {};
    char buffer[512];
    size_t n = std::strftime(buffer, sizeof buffer, format.c_str(), &tm);
    return std::string(buffer, n);
}

bool BreaksIniKey(char c) {
    const unsigned char u = static_cast<unsigned char>(c);
    return u < 0x20 || u == 0x7F || c == '=' || c == '[' || c == ']' || c == ';';
}

std::string IniKeyOfName(std::string_view name) {
    std::string key;
    for (char c : name)
        if (c != ' ' && !BreaksIniKey(c)) key += c;
    return key;
}

std::optional<std::uint32_t> ParseDottedIpv4(std::string_view text) {
    std::uint32_t address = 0;
    int parts = 0, digits = 0, part = 0;
    for (char c : text) {
        if (c == '.') {
            if (digits == 0 || ++parts > 3) return std::nullopt;
            address = address << 8 | static_cast<std::uint32_t>(part);
            digits = part = 0;
        } else if (c >= '0' && c <= '9') {
            part = part * 10 + (c - '0');
            if (++digits > 3 || part > 255) return std::nullopt;
        } else {
            return std::nullopt;
        }
    }
    if (parts != 3 || digits == 0) return std::nullopt;
    return address << 8 | static_cast<std::uint32_t>(part);
}

}  // namespace zc
