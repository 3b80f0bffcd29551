#include "services/board_store.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "base/text_helpers.h"
#include "platform/clock.h"

namespace zc {
namespace {

namespace fs = std::filesystem;

std::string PathOf(const std::string& name) { return std::string(kBoardFolder) + "/" + name; }

bool ReadAll(const std::string& path, std::string& out) {
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    out.clear();
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) out.append(buf, n);
    std::fclose(f);
    return true;
}

// A half-written file must never be read as a message: write beside it, then rename.
bool WriteAtomically(const std::string& name, const std::string& content) {
    std::error_code ec;
    fs::create_directories(kBoardFolder, ec);
    const std::string final = PathOf(name), temp = PathOf("." + name + ".tmp");
    FILE* f = std::fopen(temp.c_str(), "wb");
    if (!f) return false;
    const bool written = std::fwrite(content.data(), 1, content.size(), f) == content.size();
    if (std::fclose(f) != 0 || !written) {
        std::remove(temp.c_str());
        return false;
    }
    fs::rename(temp, final, ec);
    if (ec) std::remove(temp.c_str());
    return !ec;
}

}  // namespace

std::string BoardLineAfter(const std::vector<std::string>& lines, const std::string& tagLine) {
    auto it = std::find(lines.begin(), lines.end(), tagLine);
    if (it == lines.end() || ++it == lines.end()) return {};
    return *it;
}

bool IsBoardFileName(const std::string& name) {
    // Seconds of a 32-bit time: at most ten digits.
    if (name.size() < 5 || name.size() > 14 || name.compare(name.size() - 4, 4, ".mes") != 0) return false;
    return std::all_of(name.begin(), name.end() - 4, [](char c) { return c >= '0' && c <= '9'; });
}

std::string BoardPathOfWirePath(const std::string& wirePath) {
    const std::string prefix = kBoardWirePrefix;
    if (wirePath.compare(0, prefix.size(), prefix) != 0) return {};
    const std::string name = wirePath.substr(prefix.size());
    return IsBoardFileName(name) ? PathOf(name) : std::string();
}

std::string SaveBoardMessage(const Clock& clock, const std::string& body, const std::string& userName,
                             const std::string& category, const std::string& ip) {
    const std::time_t now = clock.Now();
    const std::string t = std::to_string(static_cast<std::int32_t>(now));
    // A second post within the same second must not replace the first: it takes the next free
    // second for its name (the creation time stays the true one).
    std::string name = t + ".mes";
    std::error_code ec;
    for (std::int32_t later = static_cast<std::int32_t>(now) + 1; fs::exists(PathOf(name), ec) && later < now + 60; ++later)
        name = std::to_string(later) + ".mes";
    if (!IsBoardFileName(name) || fs::exists(PathOf(name), ec)) return {};
    const bool validCategory = category.size() == 1 && category[0] >= '1' && category[0] <= '4';
    std::string text = ReplaceAll(ReplaceAll(body, "\r\n", "\n"), "\r", "\n");
    const std::string content = "<TimeLife>\n2592000\n</TimeLife>\n<CreateTime>\n" + t + "\n</CreateTime>\n" +
                                "<MessageCategory>\n" + (validCategory ? category : "4") + "\n<UserName>\n" + userName +
                                "\n<IP>\n" + (ip.empty() ? "0.0.0.0" : ip) + "\n<MessageDate>\n" +
                                FormatTime("%d-%m-%Y %H:%M", clock.LocalTime(now)) + "\n<MessageBody>\n" + text;
    if (!WriteAtomically(name, content)) return {};
    return name + ";" + content;
}

bool WriteBoardFile(const std::string& fileName, const std::string& content) {
    return IsBoardFileName(fileName) && WriteAtomically(fileName, content);
}

bool ReadBoardLines(const std::string& path, std::vector<std::string>& lines) {
    std::string all;
    if (!ReadAll(path, all)) return false;
    lines = SplitBoardLines(all);
    return true;
}

long long BoardNameSeconds(const std::string& name) {
    long long seconds = 0;
    for (char c : name) {
        if (c < '0' || c > '9') break;
        seconds = seconds * 10 + (c - '0');
    }
    return seconds;
}

std::vector<std::string> SplitBoardLines(const std::string& all) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < all.size()) {
        size_t end = all.find('\n', start);
        std::string line = all.substr(start, end == std::string::npos ? std::string::npos : end - start);
        // Every carriage return at the end goes, so a line reads the same on every copy it passes.
        while (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(std::move(line));
        if (end == std::string::npos) break;
        start = end + 1;
    }
    return lines;
}

std::string ReadBoardFileForSend(const std::string& fileName) {
    std::vector<std::string> lines;
    if (!IsBoardFileName(fileName) || !ReadBoardLines(PathOf(fileName), lines)) return {};
    std::string text = fileName + ";";
    for (const std::string& line : lines) text += line + "\n";
    return text;
}

std::vector<std::string> BoardFileNames() {
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(kBoardFolder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (IsBoardFileName(name) && it->is_regular_file(ec)) names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string ListOwnBoardFiles(const std::string& userName, const std::string& ip) {
    std::string list;
    std::vector<std::string> lines;
    for (const std::string& name : BoardFileNames()) {
        if (!ReadBoardLines(PathOf(name), lines)) continue;
        if (BoardLineAfter(lines, "<UserName>") == userName && BoardLineAfter(lines, "<IP>") == ip) list += name + ";";
    }
    return list;
}

bool IsOwnBoardMessage(const std::string& path, const std::string& userName) {
    std::vector<std::string> lines;
    if (!ReadBoardLines(path, lines)) return false;
    auto it = std::find(lines.begin(), lines.end(), "<UserName>");
    return it != lines.end() && ++it != lines.end() && *it == userName;
}

std::string ReadBoardTag(const std::string& tag, const std::string& path) {
    std::vector<std::string> lines;
    if (!ReadBoardLines(path, lines)) return {};
    return BoardTagValue(lines, tag);
}

std::string BoardTagValue(const std::vector<std::string>& lines, const std::string& tag) {
    auto it = std::find(lines.begin(), lines.end(), "<" + tag + ">");
    if (it == lines.end()) return {};
    std::string value;
    for (++it; it != lines.end(); ++it) {
        if (*it == "</" + tag + ">") return value;
        value += it->empty() ? "\n" : *it;
    }
    return {};
}

bool BoardMessageExpired(long long now, long long created, const std::string& lifeText, int defaultDays) {
    // A peer's TimeLife or date far ahead would keep its message for decades; the user's own
    // setting for files without a TimeLife stays as set.
    long long life = static_cast<long long>(defaultDays) * 86400;
    if (lifeText.size() >= 3) life = std::clamp<long long>(ParseInt(lifeText), 3600, kLongestBoardLife);
    if (created - now > kBoardClockSkew) return true;
    return life < std::llabs(now) - std::llabs(created);
}

bool CheckBoardExpiry(const Clock& clock, const std::string& path, int defaultDays) {
    std::vector<std::string> lines;
    ReadBoardLines(path, lines);
    const long long created = ParseInt(BoardTagValue(lines, "CreateTime"));
    if (BoardMessageExpired(clock.Now(), created, BoardTagValue(lines, "TimeLife"), defaultDays)) {
        std::remove(path.c_str());
        return false;
    }
    return true;
}

}  // namespace zc
