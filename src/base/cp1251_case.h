#pragma once
#include <string>
#include <string_view>

namespace zc {

// Lower case of one windows-1251 byte: Latin and Cyrillic letters (Ё, the Ukrainian,
// Belarusian and Serbian letters too); every other byte stays.
char Cp1251Lower(char c);
std::string Cp1251Lower(std::string_view text);

// Where needle first occurs in text, case ignored as above; npos when nowhere. An empty
// needle is found at 0.
size_t FindNoCaseCp1251(std::string_view text, std::string_view needle);

}  // namespace zc
