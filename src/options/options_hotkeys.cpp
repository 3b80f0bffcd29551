#include "options/options_hotkeys.h"

#include "base/ini_file.h"
#include "base/settings.h"

namespace zc {

HotKeyValues LoadHotKeys(const std::string& settingsFile) {
    const HotKeyTable t = ReadHotKeys(settingsFile);
    return {t.mode1, t.mode2, t.mode3, t.mode4, t.refreshList, t.translate, t.openSmilesList};
}

bool SaveHotKeys(const std::string& settingsFile, const HotKeyValues& before, const HotKeyValues& after) {
    bool ok = true;
    for (size_t i = 0; i < after.size(); ++i)
        // "0" and not an empty value: an absent key would bring the default key back.
        if (before[i] != after[i])
            ok = WriteIniValue(settingsFile, "GLOBAL", kHotKeyNames[i], std::to_string(after[i])) && ok;
    return ok;
}

HotKeyProblem CheckHotKey(int code) {
    if (code == kOptionsKey) return HotKeyProblem::OptionsKey;
    if (code == kEscapeKey) return HotKeyProblem::EscapeKey;
    const bool typing = code == 8 || code == 9 || code == 13 || code == 32 || (code >= 33 && code <= 40) ||
                        code == 46 || (code >= '0' && code <= '9') || (code >= 'A' && code <= 'Z') ||
                        (code >= 96 && code <= 111);
    return typing ? HotKeyProblem::TypingKey : HotKeyProblem::None;
}

int EarlierDuplicate(const HotKeyValues& keys, size_t index) {
    if (keys[index] == 0) return -1;
    for (size_t i = 0; i < index; ++i)
        if (keys[i] == keys[index]) return static_cast<int>(i);
    return -1;
}

std::string VirtualKeyName(int code) {
    if (code >= 112 && code <= 135) return "F" + std::to_string(code - 111);
    if ((code >= '0' && code <= '9') || (code >= 'A' && code <= 'Z')) return std::string(1, static_cast<char>(code));
    if (code >= 96 && code <= 105) return "Num " + std::to_string(code - 96);
    switch (code) {
        case 8: return "Backspace";
        case 9: return "Tab";
        case 13: return "Enter";
        case 19: return "Pause";
        case 27: return "Esc";
        case 32: return "Space";
        case 33: return "Page Up";
        case 34: return "Page Down";
        case 35: return "End";
        case 36: return "Home";
        case 37: return "Left";
        case 38: return "Up";
        case 39: return "Right";
        case 40: return "Down";
        case 45: return "Insert";
        case 46: return "Delete";
        case 106: return "Num *";
        case 107: return "Num +";
        case 109: return "Num -";
        case 110: return "Num .";
        case 111: return "Num /";
        default: return "";
    }
}

}  // namespace zc
