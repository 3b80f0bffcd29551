#pragma once
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace zc {

// Decodes the character reference at html[at] == '&' the way a browser shows it: numeric ones,
// and the few names our pages and peers use (some valid without ";", as the pages write "&lt").
// Returns the length used, 0 when there is none; cp is U+FFFD for an invalid number.
size_t DecodeHtmlEntity(std::string_view html, size_t at, std::uint32_t& cp);

}  // namespace zc
