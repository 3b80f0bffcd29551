// The ini reader and writer on any file: reads stay short, a write reads back, and a write
// leaves every other value as it was.
#include <algorithm>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "base/ini_file.h"
#include "base/text_helpers.h"
#include "fuzz_support.h"

namespace {

using Pair = std::pair<std::string, std::string>;

std::string Trim(const std::string& s) {
    const size_t a = s.find_first_not_of(" \t");
    if (a == std::string::npos) return {};
    return s.substr(a, s.find_last_not_of(" \t\r") - a + 1);
}

// The section and key names the file itself holds, roughly as the reader sees them.
std::vector<Pair> NamesIn(const std::string& text) {
    std::vector<Pair> names;
    std::string section;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        const std::string line = text.substr(start, end - start);
        start = end + 1;
        const std::string trimmed = Trim(line);
        if (trimmed.size() >= 2 && trimmed[0] == '[' && trimmed.find(']') != std::string::npos) {
            section = Trim(trimmed.substr(1, trimmed.find(']') - 1));
        } else if (size_t eq = line.find('='); eq != std::string::npos) {
            names.emplace_back(section, Trim(line.substr(0, eq)));
        }
    }
    return names;
}

const Pair kWritten[] = {{"GLOBAL", "LANGUAGE"}, {"network", "port"}, {"FUZZ", "KEY"}};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string& folder = zc::fuzz::ScratchFolder();
    const std::string file = folder + "fuzz.ini";
    if (size < 1) return 0;
    const Pair& written = kWritten[data[0] % 3];
    const std::string value = (data[0] & 4) ? "" : "fuzz value";  // an empty value deletes
    const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
    zc::fuzz::WriteFile(file, text);

    const std::vector<Pair> all = NamesIn(text);
    // Every value is checked before and after the write, the file's first ones and ours.
    std::vector<Pair> names(all.begin(), all.begin() + static_cast<long>(std::min<size_t>(all.size(), 32)));
    names.insert(names.end(), std::begin(kWritten), std::end(kWritten));
    std::vector<std::string> before;
    for (const auto& [section, key] : names) {
        before.push_back(zc::ReadIniValue(file, section, key));
        ZC_FUZZ_CHECK(before.back().size() <= 254, section + "/" + key);
    }

    size_t copies = 0;
    for (const auto& [section, key] : all)
        copies += zc::EqualsNoCase(section, written.first) && zc::EqualsNoCase(key, written.second);
    ZC_FUZZ_CHECK(zc::WriteIniValue(file, written.first, written.second, value), "write failed");
    // A delete takes the first of repeated keys only; the next one then shows.
    const bool mayShowNext = value.empty() && copies > 1;
    ZC_FUZZ_CHECK(mayShowNext || zc::ReadIniValue(file, written.first, written.second) == value,
                  written.first + "/" + written.second + " reads back as '" +
                      zc::ReadIniValue(file, written.first, written.second) + "'");
    for (size_t i = 0; i < names.size(); ++i) {
        const auto& [section, key] = names[i];
        if (zc::EqualsNoCase(section, written.first) && zc::EqualsNoCase(key, written.second)) continue;
        const std::string after = zc::ReadIniValue(file, section, key);
        ZC_FUZZ_CHECK(after == before[i], section + "/" + key + ": '" + before[i] + "' became '" + after + "'");
    }
    return 0;
}
