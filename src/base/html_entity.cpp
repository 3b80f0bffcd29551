#include "base/html_entity.h"

#include <cctype>

namespace zc {
namespace {

struct NamedEntity {
    const char* name;
    std::uint32_t cp;
    bool legacy;  // valid without its semicolon, even right before a letter
};
constexpr NamedEntity kEntities[] = {{"lt", '<', true},        {"gt", '>', true},        {"amp", '&', true},
                                     {"quot", '"', true},      {"nbsp", 0xA0, true},     {"copy", 0xA9, true},
                                     {"laquo", 0xAB, true},    {"raquo", 0xBB, true},    {"apos", '\'', false},
                                     {"mdash", 0x2014, false}, {"ndash", 0x2013, false}, {"hellip", 0x2026, false}};

}  // namespace

size_t DecodeHtmlEntity(std::string_view html, size_t at, std::uint32_t& cp) {
    size_t i = at + 1;
    if (i < html.size() && html[i] == '#') {
        ++i;
        const bool hex = i < html.size() && (html[i] == 'x' || html[i] == 'X');
        if (hex) ++i;
        const size_t digitsStart = i;
        std::uint64_t value = 0;
        while (i < html.size() && (hex ? std::isxdigit(static_cast<unsigned char>(html[i]))
                                       : std::isdigit(static_cast<unsigned char>(html[i])))) {
            const char c = static_cast<char>(std::tolower(static_cast<unsigned char>(html[i])));
            value = value * (hex ? 16 : 10) + static_cast<std::uint64_t>(c <= '9' ? c - '0' : c - 'a' + 10);
            if (value > 0x10FFFF) value = 0x110000;
            ++i;
        }
        if (i == digitsStart) return 0;
        if (i < html.size() && html[i] == ';') ++i;
        const bool valid = value != 0 && value <= 0x10FFFF && !(value >= 0xD800 && value <= 0xDFFF);
        cp = valid ? static_cast<std::uint32_t>(value) : 0xFFFD;
        return i - at;
    }
    // The pages write "&lt" + name without a semicolon, which browsers read as "<" + name.
    for (const NamedEntity& e : kEntities) {
        const std::string_view name = e.name;
        if (html.compare(i, name.size(), name) != 0) continue;
        size_t end = i + name.size();
        if (end < html.size() && html[end] == ';') ++end;
        else if (!e.legacy) continue;
        cp = e.cp;
        return end - at;
    }
    return 0;
}

}  // namespace zc
