#include "services/user_groups.h"

#include "base/ini_file.h"
#include "base/text_helpers.h"

namespace zc {

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
        const std::string low = mask.substr(0, dash), high = mask.substr(dash + 1);
        if (address > low && address < high) return static_cast<int>(i) - 1;
    }
    return 0;
}

int WriteMemberGroup(const std::string& p, const std::string& nickname, int group, size_t groupCount) {
    if (group > 0 && static_cast<size_t>(group) > groupCount) group = 1;
    if (!MemberKey(nickname).empty()) WriteIniValue(p, "GROUPMEMBER", MemberKey(nickname), std::to_string(group));
    return group;
}

}  // namespace zc
