#include "base/cp1251_case.h"

#include <algorithm>
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

// Sort weight of a lower-case byte: other bytes by value, then the Cyrillic alphabet with room
// after each letter for the letters that follow it in Ukrainian and Belarusian.
constexpr std::array<unsigned short, 256> MakeWeightTable() {
    std::array<unsigned short, 256> w{};
    for (int i = 0; i < 256; ++i) w[i] = static_cast<unsigned short>(i < 0x80 ? i : 0x100 + i);
    auto letter = [](int c) { return static_cast<unsigned short>(0x400 + (c - 0xE0) * 4); };
    for (int i = 0xE0; i <= 0xFF; ++i) w[i] = letter(i);
    w[0xB8] = letter(0xE5);      // ё as е
    w[0xBA] = letter(0xE5) + 1;  // є
    w[0xB4] = letter(0xE3) + 1;  // ґ
    w[0xB3] = letter(0xE8) + 1;  // і
    w[0xBF] = letter(0xE8) + 2;  // ї
    w[0xA2] = letter(0xF3) + 1;  // ў
    return w;
}

constexpr std::array<unsigned short, 256> kWeight = MakeWeightTable();

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

bool Cp1251NameLess(std::string_view a, std::string_view b) {
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        const unsigned short x = kWeight[kLower[static_cast<unsigned char>(a[i])]];
        const unsigned short y = kWeight[kLower[static_cast<unsigned char>(b[i])]];
        if (x != y) return x < y;
    }
    if (a.size() != b.size()) return a.size() < b.size();
    return a < b;
}

}  // namespace zc
