#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace zc {

// windows-1251 bytes to UTF-8; the one byte the code page leaves undefined becomes U+FFFD.
std::string Cp1251ToUtf8(std::string_view bytes);

// One code point as UTF-8.
void AppendUtf8(std::string& out, std::uint32_t codePoint);

// UTF-8 to windows-1251; a character the code page cannot hold becomes "&#N;" so pages still
// show it. Malformed UTF-8 bytes become "?".
std::string Utf8ToCp1251(std::string_view utf8);

}  // namespace zc
