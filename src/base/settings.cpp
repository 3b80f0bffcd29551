#include "base/settings.h"

#include <algorithm>
#include <filesystem>

#include "base/file_url.h"
#include "base/ini_file.h"
#include "base/message_text.h"
#include "base/text_helpers.h"

namespace zc {
namespace {

std::string Read(const std::string& file, const char* section, const std::string& key, const char* fallback = "") {
    return ValueOrDefault(ReadIniValue(file, section, key), fallback);
}

int ReadInt(const std::string& file, const char* section, const std::string& key, const char* fallback) {
    return ParseInt(Read(file, section, key, fallback));
}

int Clamp(int value, int low, int high, int fallback) { return (value < low || value > high) ? fallback : value; }

}  // namespace

std::string SystemNameOrFallback(const std::string& name) {
    // The name buffers hold 32 characters; anything else counts as a failed call.
    if (name.empty() || name.size() > 32) return std::string("n\x07", 2);
    return name;
}

std::string ReadProfileName(const std::string& settingsFile) {
    return Read(settingsFile, "GLOBAL", "PROFILE", "default");
}

bool ReadDebugCommand(const std::string& f) { return ReadIniValue(f, "GLOBAL", "DEBUGCOMMAND") == kDebugCommandCode; }

bool ReadEcho(const std::string& f) { return ReadIniValue(f, "GLOBAL", "ECHO") == kEchoCode; }

GlobalSettings ReadGlobalSettings(const std::string& f) {
    GlobalSettings g;
    g.debugCommand = ReadDebugCommand(f);
    g.debugIp = ReadIniValue(f, "GLOBAL", "DEBUGIP") == kDebugIpCode;
    g.history = ReadInt(f, "GLOBAL", "HISTORY", "0") != 0;
    g.allowProcessList = ReadInt(f, "GLOBAL", "ALLOWPROCCES", "0") != 0;
    g.showImages = ReadInt(f, "GLOBAL", "DONOTSHOWIMAGE", "0") < 1;
    g.checkNewVersion = ReadInt(f, "GLOBAL", "DONTCHECKNEWVERSION", "0") <= 0;
    g.noSmilesStartup = ReadInt(f, "GLOBAL", "NOSMILESSTARTUP", "0") > 0;
    g.refreshList = Clamp(ReadInt(f, "GLOBAL", "REFRESHLIST", "5"), 5, 120, 5);
    g.flashIcon = Clamp(ReadInt(f, "GLOBAL", "FLASHICON", "10"), 3, 120, 10);
    g.profileName = ReadProfileName(f);
    g.echo = ReadEcho(f);
    std::string appeal = Read(f, "GLOBAL", "APPEAL", ":");
    g.appeal = appeal.size() == 1 ? appeal : ":";
    g.showTime = ReadInt(f, "GLOBAL", "SHOWTIME", "0") >= 1;
    g.autostart = ReadInt(f, "GLOBAL", "AUTOSTART", "0") >= 1;
    g.allowMultiApp = ReadIniValue(f, "GLOBAL", "ALLOWMULTIAPP").size() >= 2;
    g.languageName = ReadLanguageName(f);
    g.hotKeys = ReadHotKeys(f);
    return g;
}

std::string ReadLanguageName(const std::string& settingsFile) {
    return Read(settingsFile, "GLOBAL", "LANGUAGE", "english");
}

HotKeyTable ReadHotKeys(const std::string& f) {
    HotKeyTable t;
    t.mode1 = ReadInt(f, "GLOBAL", "HK_MODE1", "112");
    t.mode2 = ReadInt(f, "GLOBAL", "HK_MODE2", "113");
    t.mode3 = ReadInt(f, "GLOBAL", "HK_MODE3", "114");
    t.mode4 = ReadInt(f, "GLOBAL", "HK_MODE4", "115");
    t.refreshList = ReadInt(f, "GLOBAL", "HK_REFRESHLIST", "116");
    t.translate = ReadInt(f, "GLOBAL", "HK_TRANSLATE", "119");
    t.openSmilesList = ReadInt(f, "GLOBAL", "HK_OPENSMILESLIST", "120");
    return t;
}

std::string ChatModeKey(int mode, const std::string& event, const std::string& suffix) {
    return "CHATMODE" + std::to_string(mode) + event + suffix;
}

ChatModeRecord ReadChatMode(const std::string& p, int mode) {
    ChatModeRecord record;
    record.text = RemoveChars(ReadIniValue(p, "CHATMODE", ChatModeKey(mode, "", "MSG")), "<>\"");
    for (size_t e = 0; e < kChatModeEvents.size(); ++e) {
        auto flag = [&](const char* suffix, const char* fallback) {
            return ParseInt(Read(p, "CHATMODE", ChatModeKey(mode, kChatModeEvents[e], suffix), fallback)) != 0;
        };
        // A mode that does not mention an event's line still shows it: a profile without the
        // keys must not swallow the chat.
        record.events[e] = {flag("_SND", ""), flag("_TXT", "1"), flag("_DLG", ""), flag("_INF", "")};
    }
    return record;
}

void ReadAvatarSettings(const std::string& p, LocalUser& user) {
    int size = ReadInt(p, "GLOBAL", "MAXAVATARSIZE", "48");
    user.maxAvatarSize = (size <= 0 || size > 96) ? 32 : size;
    std::string avatar = Read(p, "INFO", "AVATAR", "00000001.jpg");
    std::error_code ec;
    if (!std::filesystem::is_regular_file("avatars/" + SystemText(avatar), ec)) avatar.clear();
    user.avatarFile = avatar;
}

void ReadProfileParams(const std::string& p, const SystemNames& names, LocalUser& user) {
    user.doNotShowActiveWindow = ReadInt(p, "GLOBAL", "DONTSHOWACTIVEWND", "0") > 0;
    user.mode = Clamp(ReadInt(p, "GLOBAL", "MODE", "1"), 1, 4, 1);
    user.lookMode = ReadInt(p, "GLOBAL", "LOOKMODE", "1") != 0;
    user.doNotSortByName = ReadInt(p, "GLOBAL", "DONOTSORTBYNAME", "1") != 0;
    user.timeStampFormat = Read(p, "GLOBAL", "TIMESTAMP", "[%H:%M:%S] ");
    user.lineLimit = Clamp(ReadInt(p, "GLOBAL", "LIMITMAXMESSAGE", "750"), 1, 1000, 750);
    user.allowSendDesktop = ReadInt(p, "GLOBAL", "ALLOWSENDDESKTOP", "0") != 0;
    user.disableSmiles = ReadInt(p, "GLOBAL", "DISABLESMILES", "0") != 0;
    int life = ReadInt(p, "GLOBAL", "BOARDMESSAGETIMELIFE", "30");
    user.boardMessageLife = life < 1 ? 30 : life;
    user.nickname = Read(p, "INFO", "CHATNAME", "");
    if (user.nickname.empty()) user.nickname = DefaultNickname(names);
    ReadAvatarSettings(p, user);
    for (int m = 1; m <= 4; ++m) user.modes[m - 1] = ReadChatMode(p, m);
}

std::string DefaultNickname(const SystemNames& names) { return names.userName + " (" + names.computerName + ")"; }

bool ReadSoundOn(const std::string& p) { return ReadInt(p, "GLOBAL", "SOUNDON", "0") != 0; }

SkinChoice ReadSkinChoice(const std::string& p) {
    return {Read(p, "GLOBAL", "SKINSTHEME", "def"), Read(p, "GLOBAL", "SKINSTYLETEXT", "text.css")};
}

UserGroupSettings ReadUserGroups(const std::string& p) {
    UserGroupSettings groups;
    groups.groupsOn = ParseInt(ReadIniValue(p, "GROUPS", "GROUPON")) != 0;
    if (!groups.groupsOn) return groups;
    for (int i = 0; i < 50; ++i) {
        std::string name = ReadIniValue(p, "GROUPS", "GROUP" + std::to_string(i));
        if (name.size() >= 2) groups.names.push_back(MessageTextSanitizer(name, true));
    }
    return groups;
}

WindowParams ReadWindowParams(const std::string& m) {
    WindowParams w;
    w.top = Clamp(ReadInt(m, "PARAM", "T", "10"), 10, 1024, 10);
    w.left = Clamp(ReadInt(m, "PARAM", "L", "10"), 10, 768, 10);
    w.bottom = ReadInt(m, "PARAM", "B", "600");
    w.right = ReadInt(m, "PARAM", "R", "400");
    return w;
}

std::vector<std::string> ListProfiles(const std::string& dir) {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(dir, ec)) {
        const auto path = entry.path();
        if (entry.is_regular_file(ec) && path.extension() == ".cfg") names.push_back(path.stem().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

bool WriteProfileName(const std::string& name, const std::string& settingsFile) {
    return WriteIniValue(settingsFile, "GLOBAL", "PROFILE", name);
}

bool WriteMode(const std::string& p, int mode) { return WriteIniValue(p, "GLOBAL", "MODE", std::to_string(mode)); }

bool ToggleSoundOn(const std::string& p) {
    bool on = !ReadSoundOn(p);
    WriteIniValue(p, "GLOBAL", "SOUNDON", on ? "1" : "0");
    return on;
}

bool WriteWindowParams(const WindowParams& w, const std::string& m) {
    bool ok = WriteIniValue(m, "PARAM", "T", std::to_string(w.top));
    ok = WriteIniValue(m, "PARAM", "L", std::to_string(w.left)) && ok;
    ok = WriteIniValue(m, "PARAM", "B", std::to_string(w.bottom)) && ok;
    ok = WriteIniValue(m, "PARAM", "R", std::to_string(w.right)) && ok;
    return ok;
}

}  // namespace zc
