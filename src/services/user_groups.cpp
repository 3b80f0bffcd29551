#include "services/user_groups.h"

#include <cstdint>
#include <optional>

#include "base/ini_file.h"
#include "base/text_helpers.h"

namespace zc {

namespace {

// Ranges compare as numbers, not as text (as text, .11 sorts before .2); a hand-written range
// may have blanks around its ends.
std::optional<std::uint32_t> Ipv4Value(const std::string& text) {
    const size_t first = text.find_first_not_of(' '), last = text.find_last_not_of(' ');
    if (first == std::string::npos) return std::nullopt;
    return ParseDottedIpv4(std::string_view(text).substr(first, last - first + 1));
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
