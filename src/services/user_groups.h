#pragma once
#include <string>

namespace zc {

// The key a nickname is stored under: every blank and "=" removed, and whatever else could break
// the line out of its key (an empty key is never written).
std::string MemberKey(const std::string& nickname);

// The group a user was put into by hand, 0 when none or out of range.
int GroupOfMember(const std::string& profilePath, const std::string& nickname, size_t groupCount);

// The group whose address range holds the address (bounds excluded, compared as text), else 0.
int GroupOfAddress(const std::string& profilePath, const std::string& address, size_t groupCount);

// Hand-set membership; a number above the group count becomes 1.
int WriteMemberGroup(const std::string& profilePath, const std::string& nickname, int group, size_t groupCount);

}  // namespace zc
