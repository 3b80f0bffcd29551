#include "services/user_groups.h"

#include <cstdint>
#include <optional>

#include "base/ini_file.h"
#include "base/text_helpers.h"

namespace zc {

namespace {

// A dotted IPv4 address as the number it stands for: ranges compare as numbers, not as text
// (as text, .11 sorts before .2).
std::optional<std::uint32_t> Ipv4Value(const std::string& text) {
    std::uint32_t value = 0;
    int parts = 0, digits = 0, part = 0;
    for (char c : text + ".") {
        if (c >= '0' && c <= '9') {
            part = part * 10 + (c - '0');
            if (++digits > 3 || part > 255) return std::nullopt;
        } else if (c == '.' && digits > 0 && parts < 4) {
            value = value << 8 | static_cast<std::uint32_t>(part);
            ++parts;
            digits = part = 0;
        } else if (c != ' ') {
            return std::nullopt;
        }
    }
    if (parts != 4) return std::nullopt;
    return value;
}

}  // namespace

std::string MemberKey(const std::string& nickname) { return IniKeyOfName(nickname); }

int GroupOfMember(const std::string& p, const std::string& nickname, size_t groupCount) {
    if (MemberKey(nickname).empty()) return 0;
    const int n = ParseInt(ValueOrDefault(ReadIniValue(p, "GROUPMEMBER", MemberKey(nickname)), "0"));
    return (n >= 0 && static_cast<size_t>(n) <= groupCount) ? n : 0;
}

int GroupOfAddress(const std::string& p, const std::string& address, size_t groupCount) {
    for (size_t i = 1; i <= groupCount; ++i) {
        const std::string mask = ReadIniValue(p, "GROUPS", "GROUP" + std::to_string(i) + "MASK");
        const size_t dash = mask.find('-');
        if (dash == std::string::npos) continue;
        const auto low = Ipv4Value(mask.substr(0, dash)), high = Ipv4Value(mask.substr(dash + 1));
        const auto value = Ipv4Value(address);
        // Both ends belong to the range.
        if (low && high && value && *low <= *value && *value <= *high) return static_cast<int>(i) - 1;
    }
    return 0;
}

int WriteMemberGroup(const std::string& p, const std::string& nickname, int group, size_t groupCount) {
    if (group > 0 && static_cast<size_t>(group) > groupCount) group = 1;
    if (!MemberKey(nickname).empty()) WriteIniValue(p, "GROUPMEMBER", MemberKey(nickname), std::to_string(group));
    return group;
}

}  // namespace zc
