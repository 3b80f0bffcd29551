#pragma once
#include <string>
#include <vector>

namespace zc {

// What the first pages of the editor show; texts are UTF-8 here and windows-1251 in the files.
struct OptionValues {
    std::string nickname;
    std::string fullName;
    std::string description;
    std::string web;
    std::string email;
    std::string avatar;  // plain file name inside avatars/
    std::string language;
    std::string skin;
    bool soundOn = false;
    bool autostart = false;
    bool allowDesktop = false;      // others may ask for a desktop snapshot
    bool allowProcessList = false;  // others may ask for the process list
};

// The settings files of one program folder.
class OptionsStore {
public:
    // defaultNickname: what the chat calls the user while the profile names nobody.
    explicit OptionsStore(std::string root, std::string defaultNickname = "");
    std::string SettingsFile() const;
    std::string ProfileFile() const;
    OptionValues Load() const;
    // Writes only the values that differ and appends their change flags to RELOAD.
    // False when a file could not be written.
    bool Save(const OptionValues& before, const OptionValues& after) const;
    std::vector<std::string> Languages() const;
    std::vector<std::string> Skins() const;
    // Adds change flags to RELOAD; false when the settings file could not be written.
    bool AddReload(const std::string& flags) const;
    // Editor caption from the chosen language's [MENUSTRINGS], or the fallback.
    std::string Text(int number, const std::string& fallback) const;
    // One of the chat's own texts ([STRINGS]) as a caption, without a trailing colon.
    std::string ChatText(int number, const std::string& fallback) const;
    const std::string& Root() const { return root_; }

private:
    std::string LanguageFile() const;
    std::string root_;
    std::string defaultNickname_;
};

// One value as UTF-8 (the file holds windows-1251); empty or a single blank gives the fallback.
std::string ReadText(const std::string& file, const std::string& section, const std::string& key,
                     const std::string& fallback = "");
// An empty text deletes the key.
bool WriteText(const std::string& file, const std::string& section, const std::string& key, const std::string& utf8);
// True when the text survives the code page and holds no control character.
bool FitsCodePage(const std::string& utf8);

enum class NicknameProblem { None, Empty, TooLong, BadCharacter };

// Nicknames travel in packet fields split by "||", ":" and "//end" and end up in pages.
NicknameProblem CheckNickname(const std::string& utf8);

// The change flags for what differs, each followed by ";".
std::string ChangeFlags(const OptionValues& before, const OptionValues& after);

// RELOAD with the new flags added; flags already waiting are kept once.
std::string MergeReload(const std::string& pending, const std::string& flags);

}  // namespace zc
