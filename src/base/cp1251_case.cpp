#include "base/cp1251_case.h"

#include <array>

namespace zc {
namespace {

constexpr std::array<unsigned char, 256> MakeLowerTable() {
    std::array<unsigned char, 256> t{};
    for (int i = 0; i < 256; ++i) t[i] = static_cast<unsigned char>(i);
    for (int i = 'A'; i <= 'Z'; ++i) t[i] = static_cast<unsigned char>(i + 32);
    for (int i = 0xC0; i <= 0xDF; ++i) t[i] = static_cast<unsigned char>(i + 32);  // А..Я
    // Capitals outside the main block: Ђ Ѓ Љ Њ Ќ Ћ Џ Ў Ј Ґ Ё Є Ї І Ѕ.
    constexpr unsigned char pairs[][2] = {{0x80, 0x90}, {0x81, 0x83}, {0x8A, 0x9A}, {0x8C, 0x9C}, {0x8D, 0x9D},
                                          {0x8E, 0x9E}, {0x8F, 0x9F}, {0xA1, 0xA2}, {0xA3, 0xBC}, {0xA5, 0xB4},
                                          {0xA8, 0xB8}, {0xAA, 0xBA}, {0xAF, 0xBF}, {0xB2, 0xB3}, {0xBD, 0xBE}};
    for (const auto& p : pairs) t[p[0]] = p[1];
    return t;
}

constexpr std::array<unsigned char, 256> kLower = MakeLowerTable();

}  // namespace

char Cp1251Lower(char c) { return static_cast<char>(kLower[static_cast<unsigned char>(c)]); }

std::string Cp1251Lower(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = Cp1251Lower(c);
    return out;
}

size_t FindNoCaseCp1251(std::string_view text, std::string_view needle) {
    return Cp1251Lower(text).find(Cp1251Lower(needle));
}

}  // namespace zc
