#pragma once
#include <array>
#include <string>

#include "base/settings.h"

namespace zc {

// The four modes of [CHATMODE]: their texts and, per event, the sound, line, dialog and bubble switches.
struct ModeValues {
    std::array<std::string, 4> texts;  // UTF-8
    std::array<std::array<ChatModeEventFlags, kChatModeEvents.size()>, 4> events{};
};

ModeValues LoadModes(const std::string& profile);
// Writes the keys that differ; adds "IMODE;" to flags when any did. False when a write failed.
bool SaveModes(const std::string& profile, const ModeValues& before, const ModeValues& after, std::string& flags);

// Caption of each event in [STRINGS] of the language file, in the order of kChatModeEvents.
inline constexpr std::array<int, kChatModeEvents.size()> kModeEventStrings = {118, 16, 92, 75, 22, 45, 47,
                                                                              89,  90, 19, 119, 67, 58};

// Mode texts go into the mode announcement and the user list.
bool IsModeText(const std::string& utf8);

}  // namespace zc
