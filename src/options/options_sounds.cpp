#include "options/options_sounds.h"

#include <algorithm>
#include <filesystem>

#include "base/cp1251.h"
#include "options/options_store.h"

namespace zc {
namespace {
std::string Key(size_t i) { return "SND_" + std::to_string(i); }
}  // namespace

SoundValues LoadSounds(const std::string& p) {
    SoundValues v;
    for (size_t i = 0; i < v.files.size(); ++i) {
        std::string file = ReadText(p, "SOUND", Key(i));
        // The chat takes anything shorter than five characters for no sound.
        if (Utf8ToCp1251(file).size() < 5) file.clear();
        v.files[i] = file;
    }
    return v;
}

bool SaveSounds(const std::string& p, const SoundValues& a, const SoundValues& b, std::string& flags) {
    bool ok = true, changed = false;
    for (size_t i = 0; i < a.files.size(); ++i)
        if (a.files[i] != b.files[i]) {
            ok = WriteText(p, "SOUND", Key(i), b.files[i]) && ok;
            changed = true;
        }
    if (changed) flags += "ISOUND;";
    return ok;
}

bool IsSoundFileName(const std::string& utf8) {
    if (!FitsCodePage(utf8) || Utf8ToCp1251(utf8).size() < 5 || utf8 == "." || utf8 == "..") return false;
    return utf8.find_first_of("/\\") == std::string::npos && utf8.front() != ' ' && utf8.back() != ' ';
}

std::vector<std::string> SoundFiles(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator(folder, ec))
        if (e.is_regular_file(ec) && IsSoundFileName(e.path().filename().string()))
            names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace zc
