#include "base/file_url.h"

#include <cstdint>

#include "base/cp1251.h"

namespace zc {
namespace {

bool IsPlainUrlByte(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '/' || c == '-' ||
           c == '.' || c == '_' || c == '~';
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

std::string PercentEncodedPath(std::string_view utf8Path) {
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(utf8Path.size() * 3);
    for (unsigned char c : utf8Path) {
        if (IsPlainUrlByte(c)) {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out;
}

std::string FileUrl(std::string_view utf8Path) { return "file://" + PercentEncodedPath(utf8Path); }

std::string PercentDecoded(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const int hi = text[i] == '%' && i + 2 < text.size() ? HexValue(text[i + 1]) : -1;
        const int lo = hi >= 0 ? HexValue(text[i + 2]) : -1;
        if (lo < 0) {
            out += text[i];
            continue;
        }
        out += static_cast<char>(hi * 16 + lo);
        i += 2;
    }
    return out;
}

std::string SystemText(std::string_view cp1251) {
    const std::string utf8 = Cp1251ToUtf8(cp1251);
    std::string out;
    out.reserve(utf8.size());
    for (size_t i = 0; i < utf8.size(); ++i) {
        // Only the numeric form the code page conversion writes; a name may hold "&amp;" itself.
        const size_t semicolon = utf8.compare(i, 2, "&#") == 0 ? utf8.find(';', i + 2) : std::string::npos;
        std::uint32_t cp = 0;
        bool digits = semicolon != std::string::npos && semicolon > i + 2 && semicolon - i <= 9;
        for (size_t k = i + 2; digits && k < semicolon; ++k) {
            digits = utf8[k] >= '0' && utf8[k] <= '9';
            cp = cp * 10 + static_cast<std::uint32_t>(utf8[k] - '0');
        }
        if (!digits || cp == 0 || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
            out += utf8[i];
            continue;
        }
        AppendUtf8(out, cp);
        i = semicolon;
    }
    return out;
}

}  // namespace zc
