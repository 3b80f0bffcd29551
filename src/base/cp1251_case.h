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

// Names in the order a reader expects: case ignored as above, Ё with Е, the Ukrainian and
// Belarusian letters after their neighbours (Ґ after Г, Є after Е, І and Ї after И, Ў after У),
// Latin before Cyrillic; names equal so are ordered by their bytes.
bool Cp1251NameLess(std::string_view a, std::string_view b);

}  // namespace zc
