#pragma once
#include <array>
#include <string>

namespace zc {

// The seven configurable keys of [GLOBAL], in the order the chat matches them.
inline constexpr std::array<const char*, 7> kHotKeyNames = {
    "HK_MODE1", "HK_MODE2", "HK_MODE3", "HK_MODE4", "HK_REFRESHLIST", "HK_TRANSLATE", "HK_OPENSMILESLIST"};

// Virtual-key codes as the chat compares them; 0 is no key.
using HotKeyValues = std::array<int, 7>;

inline constexpr int kOptionsKey = 122;  // F11
inline constexpr int kEscapeKey = 27;

HotKeyValues LoadHotKeys(const std::string& settingsFile);
// Writes the keys that differ as decimal codes. The chat reads them only when it starts, so no
// change flag goes with them. False when a write failed.
bool SaveHotKeys(const std::string& settingsFile, const HotKeyValues& before, const HotKeyValues& after);

enum class HotKeyProblem { None, OptionsKey, EscapeKey, TypingKey };

// The chat takes a hot key on every key press of the window, the input line included, and
// without looking at modifiers: a key that types in it or moves its cursor would never reach it.
HotKeyProblem CheckHotKey(int code);
// Index of an earlier key with the same code, or -1.
int EarlierDuplicate(const HotKeyValues& keys, size_t index);
// "F5", "M", "Page Up"; empty for a code without a name here.
std::string VirtualKeyName(int code);

}  // namespace zc
