#include "services/history.h"

#include <cstdio>
#include <deque>
#include <filesystem>
#include <fstream>

#include "base/text_helpers.h"
#include "platform/clock.h"

namespace zc {

namespace {

// Opens for appending; a file that is new (or empty) gets the charset line first.
std::FILE* OpenForAppend(const std::string& path) {
    std::FILE* f = std::fopen(path.c_str(), "ab");
    if (!f) return nullptr;
    if (std::fseek(f, 0, SEEK_END) == 0 && std::ftell(f) == 0) std::fputs(kHistoryCharsetLine, f);
    return f;
}

}  // namespace

std::string ChatHistory::PathFor(bool isMain) const {
    const std::tm now = clock_.LocalTime(clock_.Now());
    const std::string folder = "history/" + FormatTime("%Y_%m", now);
    std::error_code ignored;
    std::filesystem::create_directories(folder, ignored);
    return folder + "/" + FormatTime(isMain ? "%m-%Y_Main.htm" : "%Y_private_alert.htm", now);
}

void ChatHistory::AppendHistory(const std::string& text, bool isMain, bool withTime) const {
    const std::tm now = clock_.LocalTime(clock_.Now());
    std::string entry = withTime ? FormatTime("[%d/%m/%Y] [%H:%M:%S] ", now) : std::string();
    entry += text + "\n<br>";
    if (std::FILE* f = OpenForAppend(PathFor(isMain))) {
        std::fwrite(entry.data(), 1, entry.size(), f);
        std::fclose(f);
    }
}

std::vector<std::string> LastHistoryLines(const std::string& path, size_t count) {
    std::ifstream in(path, std::ios::binary);
    std::deque<std::string> kept;
    const std::string charset(kHistoryCharsetLine, sizeof kHistoryCharsetLine - 2);  // without "\n"
    std::string line;
    while (count > 0 && std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.rfind("<br>", 0) == 0) line.erase(0, 4);
        if (line.empty() || line == charset) continue;
        kept.push_back(std::move(line));
        if (kept.size() > count) kept.pop_front();
    }
    return {kept.begin(), kept.end()};
}

}  // namespace zc
