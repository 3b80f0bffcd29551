#pragma once
#include <array>
#include <string>
#include <vector>

namespace zc {

inline const char kSettingsFile[] = "system/zeltochat.ini";
inline const char kMainIniFile[] = "system/main.ini";
inline const char kEchoCode[] = "T#((";
inline const char kDebugIpCode[] = "RB$*(";
inline const char kDebugCommandCode[] = "KV%&(";

struct HotKeyTable {
    int mode1 = 112, mode2 = 113, mode3 = 114, mode4 = 115;
    int refreshList = 116, translate = 119, openSmilesList = 120;
    int options = 122;  // fixed, not configurable
};

struct GlobalSettings {
    bool debugCommand = false;
    bool debugIp = false;
    bool echo = false;
    bool history = false;
    bool allowProcessList = false;
    bool showImages = true;
    bool checkNewVersion = true;
    bool noSmilesStartup = false;
    int refreshList = 5;  // units of 10 s
    int flashIcon = 10;   // seconds
    std::string profileName = "default";
    std::string appeal = ":";
    bool showTime = false;
    bool autostart = false;
    bool allowMultiApp = false;
    std::string languageName = "english";
    HotKeyTable hotKeys;
};

// The thirteen events that each mode switches on or off, in key order.
inline constexpr std::array<const char*, 13> kChatModeEvents = {"ALERT",    "BOARD",   "CNGMODE", "CNGNICK", "CONF",
                                                                "CONFEXIT", "CONFINV", "ENTER",   "EXIT",    "MESSAGE",
                                                                "PRIVATE",  "SOUND",   "SFILERQ"};

struct ChatModeEventFlags {
    bool sound = false, text = false, dialog = false, info = false;
};

struct ChatModeRecord {
    std::string text;
    std::array<ChatModeEventFlags, kChatModeEvents.size()> events{};
};

// Which page is in front; it also goes on the wire with every packet.
enum class PageMode { Main = 0, Board = 1, Conference = 2 };

struct LocalUser {
    bool allowSendDesktop = false;
    bool allowProcessList = false;
    bool soundOn = false;
    bool lookMode = true;
    int boardMessageLife = 30;
    bool doNotShowActiveWindow = false;
    bool showTime = false;
    bool doNotSortByName = true;
    PageMode pageMode = PageMode::Main;
    int mode = 1;
    bool disableSmiles = false;
    bool hidden = false;
    int lineLimit = 750;
    int maxAvatarSize = 48;
    std::string profileFile = "default.cfg";
    std::string timeStampFormat = "[%H:%M:%S] ";
    std::string avatarFile;
    std::string nickname;
    bool groupsOn = false;
    std::array<ChatModeRecord, 4> modes;  // modes 1..4

    std::string ProfilePath() const { return "profiles/" + profileFile; }
    const ChatModeRecord& CurrentMode() const { return modes[(mode >= 1 && mode <= 4) ? mode - 1 : 0]; }
};

struct SystemNames {
    std::string userName;      // "n\x07" when unknown
    std::string computerName;  // "n\x07" when unknown
};

struct UserGroupSettings {
    bool groupsOn = false;
    std::vector<std::string> names;
};

struct WindowParams {
    int top = 10, left = 10, bottom = 600, right = 400;
};

struct SkinChoice {
    std::string theme = "def";
    std::string textStyle = "text.css";
};

// Fallback for a name the system cannot give.
std::string SystemNameOrFallback(const std::string& name);

// The nickname of a profile whose CHATNAME is empty: "user (computer)".
std::string DefaultNickname(const SystemNames& names);

// [GLOBAL] of the settings file, in its key order (LANGUAGE and the hot keys included).
GlobalSettings ReadGlobalSettings(const std::string& settingsFile = kSettingsFile);
HotKeyTable ReadHotKeys(const std::string& settingsFile = kSettingsFile);
// The two switches the packet path asks for each time, so a changed file counts at once.
bool ReadDebugCommand(const std::string& settingsFile = kSettingsFile);
bool ReadEcho(const std::string& settingsFile = kSettingsFile);
std::string ReadLanguageName(const std::string& settingsFile = kSettingsFile);
std::string ReadProfileName(const std::string& settingsFile = kSettingsFile);

// [GLOBAL] and [INFO] of the profile, then the avatar settings and the four mode records.
void ReadProfileParams(const std::string& profilePath, const SystemNames& names, LocalUser& user);
void ReadAvatarSettings(const std::string& profilePath, LocalUser& user);
bool ReadSoundOn(const std::string& profilePath);
SkinChoice ReadSkinChoice(const std::string& profilePath);
std::string ChatModeKey(int mode, const std::string& event, const std::string& suffix);
ChatModeRecord ReadChatMode(const std::string& profilePath, int mode);
UserGroupSettings ReadUserGroups(const std::string& profilePath);
WindowParams ReadWindowParams(const std::string& mainIni = kMainIniFile);

// Names of every *.cfg in profiles, without the extension, sorted.
std::vector<std::string> ListProfiles(const std::string& profilesDir = "profiles");

bool WriteProfileName(const std::string& name, const std::string& settingsFile = kSettingsFile);
bool WriteMode(const std::string& profilePath, int mode);
// Flips SOUNDON and returns the new state.
bool ToggleSoundOn(const std::string& profilePath);
bool WriteWindowParams(const WindowParams& params, const std::string& mainIni = kMainIniFile);

}  // namespace zc
