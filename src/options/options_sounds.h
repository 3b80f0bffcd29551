#pragma once
#include <array>
#include <string>
#include <vector>

namespace zc {

// The sound events of [SOUND] SND_<i>, numbered as the chat's notifications are.
struct SoundEvent {
    const char* name;  // caption when the language file has none
    int string;        // caption in [STRINGS] of the language file
};
inline constexpr std::array<SoundEvent, 14> kSoundEvents = {{{"Message", 19},
                                                             {"Board", 16},
                                                             {"Alert", 118},
                                                             {"Mode changed", 92},
                                                             {"Nickname changed", 75},
                                                             {"Conference", 22},
                                                             {"Entered the chat", 89},
                                                             {"Left the chat", 90},
                                                             {"Conference left", 45},
                                                             {"Warning", 100},
                                                             {"Conference invitation", 47},
                                                             {"Sound signal", 67},
                                                             {"Private message", 119},
                                                             {"File transfer request", 58}}};

struct SoundValues {
    std::array<std::string, kSoundEvents.size()> files;  // plain names inside sound/, empty for none
};

SoundValues LoadSounds(const std::string& profile);
// Writes the keys that differ; adds "ISOUND;" to flags when any did. False when a write failed.
bool SaveSounds(const std::string& profile, const SoundValues& before, const SoundValues& after, std::string& flags);

// Names the chat would play: a plain file name it does not take for "no sound".
bool IsSoundFileName(const std::string& utf8);
// The files of a sound folder, sorted.
std::vector<std::string> SoundFiles(const std::string& folder);

}  // namespace zc
