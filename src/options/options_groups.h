#pragma once
#include <array>
#include <string>

namespace zc {

inline constexpr size_t kGroupRows = 50;

// [GROUPS]: row i is the name GROUP<i> and the address range GROUP<i+1>MASK, because the chat
// counts ranges from 1 and puts a range's users under the name at the position before.
struct GroupValues {
    bool on = false;
    std::array<std::string, kGroupRows> names;   // UTF-8
    std::array<std::string, kGroupRows> ranges;  // "low-high"
};

GroupValues LoadGroups(const std::string& profile);
// Writes the keys that differ; adds "IGROUP;" to flags when any did. False when a write failed.
bool SaveGroups(const std::string& profile, const GroupValues& before, const GroupValues& after, std::string& flags);

// Empty, or a name the chat will list (it skips names under two characters).
bool IsGroupName(const std::string& utf8);
// Empty, or two IPv4 addresses joined by "-".
bool IsGroupRange(const std::string& text);

enum class GroupProblem { None, Name, Range };
// The first row the chat would not read as shown: a bad name, a name below an empty row (the
// chat closes such gaps, so every later range would belong to the name above), a bad range, or
// a range beside no name. row is set to that row.
GroupProblem CheckGroups(const GroupValues& values, size_t& row);

}  // namespace zc
