#include "options/options_modes.h"

#include "base/cp1251.h"
#include "base/ini_file.h"
#include "options/options_store.h"

namespace zc {

ModeValues LoadModes(const std::string& p) {
    ModeValues v;
    for (int m = 1; m <= 4; ++m) {
        v.texts[m - 1] = ReadText(p, "CHATMODE", ChatModeKey(m, "", "MSG"));
        // The switches as the chat reads them, including its defaults for missing keys.
        v.events[m - 1] = ReadChatMode(p, m).events;
    }
    return v;
}

bool SaveModes(const std::string& p, const ModeValues& a, const ModeValues& b, std::string& flags) {
    bool ok = true, changed = false;
    auto put = [&](const std::string& key, const std::string& value) {
        ok = WriteText(p, "CHATMODE", key, value) && ok;
        changed = true;
    };
    for (int m = 1; m <= 4; ++m) {
        const size_t i = static_cast<size_t>(m - 1);
        if (a.texts[i] != b.texts[i]) put(ChatModeKey(m, "", "MSG"), b.texts[i]);
        for (size_t e = 0; e < kChatModeEvents.size(); ++e) {
            const ChatModeEventFlags& was = a.events[i][e];
            const ChatModeEventFlags& now = b.events[i][e];
            // Off is written as "0": a missing line switch reads as on.
            auto flag = [&](bool before, bool after, const char* suffix) {
                if (before != after) put(ChatModeKey(m, kChatModeEvents[e], suffix), after ? "1" : "0");
            };
            flag(was.sound, now.sound, "_SND");
            flag(was.text, now.text, "_TXT");
            flag(was.dialog, now.dialog, "_DLG");
            flag(was.info, now.info, "_INF");
        }
    }
    if (changed) flags += "IMODE;";
    return ok;
}

bool IsModeText(const std::string& utf8) {
    // The chat drops these characters, and "|" separates the fields of a packet.
    return FitsCodePage(utf8) && utf8.find_first_of("<>\"|") == std::string::npos &&
           Utf8ToCp1251(utf8).size() <= 254;
}

}  // namespace zc
