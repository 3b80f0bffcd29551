#include "options/options_store.h"

#include <algorithm>
#include <filesystem>

#include "base/cp1251.h"
#include "base/ini_file.h"
#include "base/settings.h"
#include "base/text_helpers.h"

namespace fs = std::filesystem;

namespace zc {

std::string ReadText(const std::string& file, const std::string& section, const std::string& key,
                     const std::string& fallback) {
    return Cp1251ToUtf8(ValueOrDefault(ReadIniValue(file, section, key), fallback));
}

bool WriteText(const std::string& file, const std::string& section, const std::string& key, const std::string& utf8) {
    return WriteIniValue(file, section, key, Utf8ToCp1251(utf8));
}

bool FitsCodePage(const std::string& utf8) {
    // A character outside the code page would be stored as "&#N;", which is not what was typed.
    if (Cp1251ToUtf8(Utf8ToCp1251(utf8)) != utf8) return false;
    for (unsigned char c : utf8)
        if (c < 0x20 || c == 0x7F) return false;
    return true;
}

namespace {

std::vector<std::string> Sorted(std::vector<std::string> names) {
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace

OptionsStore::OptionsStore(std::string root, std::string defaultNickname)
    : root_(std::move(root)), defaultNickname_(std::move(defaultNickname)) {
    if (root_.empty()) root_ = ".";
}

std::string OptionsStore::SettingsFile() const { return root_ + "/system/zeltochat.ini"; }

std::string OptionsStore::ProfileFile() const {
    return root_ + "/profiles/" + ReadProfileName(SettingsFile()) + ".cfg";
}

OptionValues OptionsStore::Load() const {
    const std::string p = ProfileFile();
    OptionValues v;
    // An empty name is shown as the one the chat uses, so a first Save has a name to keep.
    v.nickname = ReadText(p, "INFO", "CHATNAME", defaultNickname_);
    v.fullName = ReadText(p, "INFO", "NAME");
    v.description = ReadText(p, "INFO", "DESC");
    v.web = ReadText(p, "INFO", "WEB");
    v.email = ReadText(p, "INFO", "EMAIL");
    v.avatar = ReadText(p, "INFO", "AVATAR");
    v.language = Cp1251ToUtf8(ReadLanguageName(SettingsFile()));
    v.skin = Cp1251ToUtf8(ReadSkinChoice(p).theme);
    v.soundOn = ReadSoundOn(p);
    const GlobalSettings global = ReadGlobalSettings(SettingsFile());
    v.autostart = global.autostart;
    // Each permission where the chat reads it: the process list program-wide, the snapshot per profile.
    v.allowProcessList = global.allowProcessList;
    LocalUser user;
    ReadProfileParams(p, {}, user);
    v.allowDesktop = user.allowSendDesktop;
    return v;
}

bool OptionsStore::Save(const OptionValues& before, const OptionValues& after) const {
    const std::string flags = ChangeFlags(before, after);
    if (flags.empty()) return true;
    const std::string p = ProfileFile();
    const std::string s = SettingsFile();
    bool ok = true;
    auto put = [&](const std::string& file, const char* section, const char* key, const std::string& was,
                   const std::string& now) {
        if (was != now) ok = WriteText(file, section, key, now) && ok;
    };
    put(p, "INFO", "CHATNAME", before.nickname, after.nickname);
    put(p, "INFO", "NAME", before.fullName, after.fullName);
    put(p, "INFO", "DESC", before.description, after.description);
    put(p, "INFO", "WEB", before.web, after.web);
    put(p, "INFO", "EMAIL", before.email, after.email);
    put(p, "INFO", "AVATAR", before.avatar, after.avatar);
    put(s, "GLOBAL", "LANGUAGE", before.language, after.language);
    put(p, "GLOBAL", "SKINSTHEME", before.skin, after.skin);
    if (before.soundOn != after.soundOn) ok = WriteIniValue(p, "GLOBAL", "SOUNDON", after.soundOn ? "1" : "0") && ok;
    if (before.autostart != after.autostart) ok = WriteIniValue(s, "GLOBAL", "AUTOSTART", after.autostart ? "1" : "0") && ok;
    if (before.allowDesktop != after.allowDesktop)
        ok = WriteIniValue(p, "GLOBAL", "ALLOWSENDDESKTOP", after.allowDesktop ? "1" : "0") && ok;
    if (before.allowProcessList != after.allowProcessList)
        ok = WriteIniValue(s, "GLOBAL", "ALLOWPROCCES", after.allowProcessList ? "1" : "0") && ok;
    // The flags go out even after a partial failure: what was written must still be re-read.
    return AddReload(flags) && ok;
}

bool OptionsStore::AddReload(const std::string& flags) const {
    if (flags.empty()) return true;
    // Under the settings lock: the chat may be taking the list at the same moment.
    return UpdateIniValue(SettingsFile(), "GLOBAL", "RELOAD", [&flags](const std::string& pending) {
        return MergeReload(pending.substr(0, 99), flags);
    });
}

std::vector<std::string> OptionsStore::Languages() const {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(root_ + "/language", ec)) {
        const std::string f = e.path().filename().string();
        if (f.size() > 9 && f.rfind("lang_", 0) == 0 && f.compare(f.size() - 4, 4, ".cfg") == 0)
            names.push_back(f.substr(5, f.size() - 9));
    }
    return Sorted(names);
}

std::vector<std::string> OptionsStore::Skins() const {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(root_ + "/skins/skinthemes", ec))
        if (e.is_directory(ec)) names.push_back(e.path().filename().string());
    return Sorted(names);
}

std::string OptionsStore::LanguageFile() const {
    return root_ + "/language/lang_" + ReadLanguageName(SettingsFile()) + ".cfg";
}

std::string OptionsStore::Text(int number, const std::string& fallback) const {
    return ReadText(LanguageFile(), "MENUSTRINGS", "MSTR" + std::to_string(number), fallback);
}

std::string OptionsStore::ChatText(int number, const std::string& fallback) const {
    std::string text = ReadText(LanguageFile(), "STRINGS", "STR" + std::to_string(number), fallback);
    // The chat's texts often lead into a name ("Entered the chat:"); a caption has none.
    while (!text.empty() && (text.back() == ':' || text.back() == ' ')) text.pop_back();
    return text;
}

NicknameProblem CheckNickname(const std::string& utf8) {
    if (utf8.find_first_not_of(' ') == std::string::npos) return NicknameProblem::Empty;
    const std::string bytes = Utf8ToCp1251(utf8);
    // A character outside the code page would be stored as "&#N;", which is not what was typed.
    if (Cp1251ToUtf8(bytes) != utf8) return NicknameProblem::BadCharacter;
    if (bytes.find_first_of("<>|:") != std::string::npos || bytes.find("//") != std::string::npos)
        return NicknameProblem::BadCharacter;
    for (unsigned char c : bytes)
        if (c < 0x20) return NicknameProblem::BadCharacter;
    if (bytes.size() > 30) return NicknameProblem::TooLong;
    return NicknameProblem::None;
}

std::string ChangeFlags(const OptionValues& a, const OptionValues& b) {
    std::string flags;
    if (a.nickname != b.nickname) flags += "IUSER;";
    // The chat writes or removes its autostart entry when it re-reads the main settings.
    if (a.fullName != b.fullName || a.description != b.description || a.web != b.web || a.email != b.email ||
        a.autostart != b.autostart || a.allowDesktop != b.allowDesktop || a.allowProcessList != b.allowProcessList)
        flags += "IMAIN;";
    if (a.avatar != b.avatar) flags += "IAVATAR;";
    if (a.language != b.language) flags += "ILANGUAGE;";
    if (a.skin != b.skin) flags += "ISKIN;";
    if (a.soundOn != b.soundOn) flags += "ISOUND;";
    return flags;
}

std::string MergeReload(const std::string& pending, const std::string& flags) {
    // "0" is how an empty list has always been read.
    std::string out = (pending == "0" || pending == " ") ? "" : pending;
    if (!out.empty() && out.back() != ';') out += ';';
    size_t start = 0;
    while (start < flags.size()) {
        size_t end = flags.find(';', start);
        if (end == std::string::npos) end = flags.size();
        const std::string flag = flags.substr(start, end - start);
        if (!flag.empty() && (";" + out).find(";" + flag + ";") == std::string::npos) out += flag + ";";
        start = end + 1;
    }
    return out;
}

}  // namespace zc
