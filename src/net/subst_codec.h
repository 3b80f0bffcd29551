#pragma once
#include <array>
#include <string>
#include <string_view>

namespace zc {

// The character substitution every packet is scrambled with. Characters found in table A are
// replaced by table B's character at the same index; decoding is the mirror image.
class CSubstCodec {
public:
    void SetTables(std::string_view tableA, std::string_view tableB);
    std::string EncodeText(std::string_view plain) const;
    std::string DecodeText(std::string_view wire) const;
    bool HasTables() const { return !tableA_.empty(); }

private:
    static void BuildMap(const std::string& from, const std::string& to, std::array<unsigned char, 256>& map);
    static std::string Map(std::string_view text, const std::array<unsigned char, 256>& map);
    std::string tableA_, tableB_;
    std::array<unsigned char, 256> encode_ = Identity(), decode_ = Identity();
    static constexpr std::array<unsigned char, 256> Identity() {
        std::array<unsigned char, 256> m{};
        for (int c = 0; c < 256; ++c) m[static_cast<size_t>(c)] = static_cast<unsigned char>(c);
        return m;
    }
};

// The program's own pair; copies interoperate only with the same pair.
std::string_view SubstTableA();
std::string_view SubstTableB();
inline constexpr size_t kSubstTableLength = 160;

}  // namespace zc
