#include "plugins/tipbubble/bubble_colours.h"

#include <unistd.h>

#include <climits>
#include <fstream>
#include <sys/stat.h>

namespace tipbubble {
namespace {

// The chat's number rule: optional "-", leading digits, 0 when there are none.
int ParseInt(std::string_view text) {
    bool negative = false;
    if (!text.empty() && text.front() == '-') {
        negative = true;
        text.remove_prefix(1);
    }
    long long value = 0;
    size_t i = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        if (value < INT_MAX) value = value * 10 + (text[i] - '0');
        if (value > INT_MAX) value = INT_MAX;
    }
    if (negative && i == text.size()) value = -value;
    return static_cast<int>(value);
}

// Text before or after the first delimiter; empty when it is absent.
std::string_view Before(std::string_view text, char delimiter) {
    const size_t at = text.find(delimiter);
    return at == std::string_view::npos ? std::string_view() : text.substr(0, at);
}
std::string_view After(std::string_view text, std::string_view delimiter) {
    const size_t at = text.find(delimiter);
    return at == std::string_view::npos ? std::string_view() : text.substr(at + delimiter.size());
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
    return s;
}

bool SameNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

bool IsFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string WithSlash(std::string dir) {
    if (!dir.empty() && dir.back() != '/') dir += '/';
    return dir;
}

}  // namespace

std::uint32_t DecodeColour(std::string_view text) {
    const auto blue = static_cast<std::uint32_t>(ParseInt(After(text, "B"))) & 0xFF;
    std::string_view rest = Before(text, 'B');
    const auto green = static_cast<std::uint32_t>(ParseInt(After(rest, "G"))) & 0xFF;
    rest = Before(rest, 'G');
    const auto red = static_cast<std::uint32_t>(ParseInt(After(rest, "R"))) & 0xFF;
    return red | (green << 8) | (blue << 16);
}

void ReadDialogColours(std::istream& skin, BubbleColours& colours) {
    struct Key {
        std::string_view name;
        std::uint32_t BubbleColours::*colour;
    };
    static constexpr Key kKeys[] = {
        {"ALERTBGCOLOR=", &BubbleColours::background},
        {"ALERTTEXTCOLOR=", &BubbleColours::text},
        {"ALERTHLIGHTCOLOR=", &BubbleColours::highlight},
    };
    bool inDialog = false;
    std::string line;
    while (std::getline(skin, line)) {
        // Skin files written on Windows end their lines with CR LF.
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!inDialog) {
            // Once in, other section headers do not end it.
            inDialog = line == "[DIALOG]";
            continue;
        }
        for (const Key& key : kKeys) {
            const std::string_view value = After(line, key.name);
            if (!value.empty()) colours.*key.colour = DecodeColour(value);
        }
    }
}

std::string ReadIniString(const std::string& file, std::string_view section, std::string_view key) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return {};
    bool inSection = false;
    std::string line;
    while (std::getline(in, line)) {
        const std::string_view s = Trim(line);
        if (!s.empty() && s.front() == '[') {
            const size_t close = s.find(']');
            inSection = close != std::string_view::npos && SameNoCase(Trim(s.substr(1, close - 1)), section);
            continue;
        }
        if (!inSection) continue;
        const size_t eq = s.find('=');
        if (eq == std::string_view::npos || !SameNoCase(Trim(s.substr(0, eq)), key)) continue;
        std::string_view value = Trim(s.substr(eq + 1));
        // Profile strings are read with room for 255 characters.
        if (value.size() > 255) value = value.substr(0, 255);
        return std::string(value);
    }
    return {};
}

bool LoadBubbleColours(const std::string& baseDirectory, BubbleColours& colours) {
    colours.baseDirectory = WithSlash(baseDirectory);
    const std::string& base = colours.baseDirectory;
    const std::string profile = ReadIniString(base + "system/zeltochat.ini", "GLOBAL", "PROFILE");
    std::string theme;
    // A name with a path in it would lead the reader out of the program folder.
    if (!profile.empty() && profile.find('/') == std::string::npos)
        theme = ReadIniString(base + "profiles/" + profile + ".cfg", "GLOBAL", "SKINSTHEME");
    if (theme.find('/') != std::string::npos || theme == "..") theme.clear();
    std::ifstream skin(base + "skins/skinthemes/" + theme + "/skin.cfg", std::ios::binary);
    if (!skin) return false;
    ReadDialogColours(skin, colours);
    return true;
}

std::string FindBaseDirectory() {
    char buffer[PATH_MAX];
    if (::getcwd(buffer, sizeof buffer)) {
        const std::string cwd = WithSlash(buffer);
        if (IsFile(cwd + "system/zeltochat.ini")) return cwd;
    }
    const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0) return {};
    const std::string exe(buffer, static_cast<size_t>(n));
    return exe.substr(0, exe.rfind('/') + 1);
}

}  // namespace tipbubble
