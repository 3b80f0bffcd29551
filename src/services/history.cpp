#include "services/history.h"

#include <sys/stat.h>

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

void CreateFolderOf(const std::string& path) {
    std::error_code ignored;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ignored);
}

}  // namespace

ChatHistory::~ChatHistory() {
    for (OpenFile& f : files_)
        if (f.file) std::fclose(f.file);
}

std::string ChatHistory::PathOf(bool isMain) const {
    const std::tm now = clock_.LocalTime(clock_.Now());
    return "history/" + FormatTime("%Y_%m", now) + "/" +
           FormatTime(isMain ? "%m-%Y_Main.htm" : "%Y_private_alert.htm", now);
}

std::string ChatHistory::PathFor(bool isMain) const {
    const std::string path = PathOf(isMain);
    CreateFolderOf(path);
    return path;
}

std::FILE* ChatHistory::FileFor(bool isMain) const {
    OpenFile& open = files_[isMain ? 0 : 1];
    const std::string path = PathOf(isMain);
    struct stat st {};
    const bool same = open.file && open.path == path && ::stat(path.c_str(), &st) == 0 &&
                      static_cast<unsigned long long>(st.st_dev) == open.dev &&
                      static_cast<unsigned long long>(st.st_ino) == open.ino;
    if (same) return open.file;
    if (open.file) std::fclose(open.file);
    open = OpenFile{};
    // The path found above, not one taken anew: at the turn of a month the two could differ.
    CreateFolderOf(path);
    std::FILE* f = OpenForAppend(path);
    if (!f || ::fstat(fileno(f), &st) != 0) {
        if (f) std::fclose(f);
        return nullptr;
    }
    open = {path, f, static_cast<unsigned long long>(st.st_dev), static_cast<unsigned long long>(st.st_ino)};
    return f;
}

void ChatHistory::AppendHistory(const std::string& text, bool isMain, bool withTime) const {
    const std::tm now = clock_.LocalTime(clock_.Now());
    std::string entry = withTime ? FormatTime("[%d/%m/%Y] [%H:%M:%S] ", now) : std::string();
    entry += text + "\n<br>";
    if (std::FILE* f = FileFor(isMain)) {
        std::fwrite(entry.data(), 1, entry.size(), f);
        std::fflush(f);  // a reader (the history page, a crash) sees every line at once
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
