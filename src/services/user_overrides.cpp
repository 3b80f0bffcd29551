#include "services/user_overrides.h"

#include <algorithm>

#include "base/ini_file.h"
#include "base/text_helpers.h"

namespace zc {
namespace {

constexpr char kSection[] = "OVERRIDE";

bool IsControl(char c) {
    const auto u = static_cast<unsigned char>(c);
    return u < 0x20 || u == 0x7F;
}

std::string ColourKey(const std::string& name, UserColour which) {
    return name + (which == UserColour::Message ? "MESSAGECOLOR" : "NAMECOLOR");
}

}  // namespace

std::string UserSoundKey(const std::string& name, int event) {
    if (event < 0 || event >= kUserSoundEvents) return {};
    const std::string user = IniKeyOfName(name);
    if (user.empty()) return {};
    return user + "_SND_" + std::to_string(event);
}

bool IsPlainSoundFileName(const std::string& file) {
    if (file.size() < 5 || file == "." || file == "..") return false;
    if (file.front() == ' ' || file.back() == ' ') return false;
    for (char c : file)
        if (IsControl(c) || c == '/' || c == '\\' || c == ':') return false;
    return true;
}

std::string ReadUserSound(const std::string& profilePath, const std::string& name, int event) {
    const std::string key = UserSoundKey(name, event);
    return key.empty() ? std::string() : ReadIniValue(profilePath, kSection, key);
}

bool WriteUserSound(const std::string& profilePath, const std::string& name, int event, const std::string& file) {
    const std::string key = UserSoundKey(name, event);
    if (key.empty() || (!file.empty() && !IsPlainSoundFileName(file))) return false;
    return WriteIniValue(profilePath, kSection, key, file);
}

bool IsStorableColourName(const std::string& name) {
    if (name.empty() || name.front() == ' ' || name.back() == ' ') return false;
    return std::none_of(name.begin(), name.end(), BreaksIniKey);
}

bool IsHtmlColour(const std::string& text) {
    if (text.size() != 7 || text[0] != '#') return false;
    for (size_t i = 1; i < text.size(); ++i) {
        const char c = text[i];
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'))) return false;
    }
    return true;
}

std::string ReadUserColour(const std::string& profilePath, const std::string& name, UserColour which) {
    if (!IsStorableColourName(name)) return {};
    const std::string value = ReadIniValue(profilePath, kSection, ColourKey(name, which));
    return IsHtmlColour(value) ? value : std::string();
}

bool WriteUserColour(const std::string& profilePath, const std::string& name, UserColour which,
                     const std::string& colour) {
    if (!IsStorableColourName(name) || (!colour.empty() && !IsHtmlColour(colour))) return false;
    return WriteIniValue(profilePath, kSection, ColourKey(name, which), colour);
}

}  // namespace zc
