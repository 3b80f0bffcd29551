#include "ui/html/smile_alias.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <vector>

#include "base/debug_log.h"
#include "base/file_url.h"
#include "base/message_text.h"

namespace zc {

namespace {

bool StartsWith(const std::string& line, const char* prefix, std::string& rest) {
    const std::string p(prefix);
    if (line.compare(0, p.size(), p) != 0) return false;
    rest = line.substr(p.size());
    return true;
}

// Names only lose their angle brackets and quotes; linking a file name would break it.
std::string Clean(const std::string& text) { return MessageTextSanitizer(text, false); }

bool FileExists(const std::string& path) {
    std::error_code ec;
    return std::filesystem::is_regular_file(path, ec);
}

bool IsBlankOrEdge(const std::string& text, size_t at) { return at >= text.size() || text[at] == ' '; }

bool Usable(const std::string& text, size_t at, const std::string& alias) {
    if (alias.empty() || text.compare(at, alias.size(), alias) != 0) return false;
    const size_t end = at + alias.size();
    if (at > 0 && text[at - 1] != ' ') return false;
    if (!IsBlankOrEdge(text, end)) return false;
    // Four characters from just before the alias; at the very start they run into the alias itself.
    const std::string before = text.substr(at >= 4 ? at - 4 : 0, 4);
    if (before == "http" || before == "file" || before == "lsid") return false;
    if (at > 0 && end < text.size() && text[at - 1] == '"' && text[end] == '"') return false;
    return true;
}

}  // namespace

void ParseSmilesAlias(const std::string& bytes, SmileAliasTable& table) {
    std::vector<std::string> pending;
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find('\n', start);
        if (end == std::string::npos) end = bytes.size();
        std::string line = bytes.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        start = end + 1;

        std::string rest;
        if (StartsWith(line, "alias_pr=", rest) || StartsWith(line, "alias=", rest)) {
            pending.push_back(Clean(rest));
        } else if (StartsWith(line, "file=", rest)) {
            const std::string file = Clean(rest);
            for (const std::string& alias : pending) table.AddSmile(alias, file);
            pending.clear();
        } else if (StartsWith(line, "category=", rest)) {
            table.AddCategory(Clean(rest));
        }
    }
}

bool ReadSmilesAlias(SmileAliasTable& table, const DebugLog& log, const std::string& file) {
    table.Clear();
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        log.Write(":::ReadSmilesAlias...FAILED");
        return false;
    }
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    ParseSmilesAlias(bytes, table);
    log.Write(":::ReadSmilesAlias...OK");
    return true;
}

std::string SmileFile(const std::string& programFolder, const std::string& file) {
    return programFolder + "smiles/" + SystemText(file);
}

std::string SmilePictureUrl(const std::string& programFolder, const std::string& file) {
    return FileUrl(SmileFile(programFolder, file));
}

std::string SmileSubstitution(const SmileAliasTable& table, const std::string& text, const std::string& programFolder) {
    if (table.Empty()) return text;
    // Found from the end backwards, each alias where it stands first in the table; an alias may
    // not reach into a smile already found after it. Then the line is built once, so a line of
    // a thousand smiles costs its length, not its length times the smiles.
    struct Found {
        size_t at;
        const SmileAliasTable::Pair* pair;
    };
    // The aliases by their first character, in table order: most positions meet none of them.
    std::array<std::vector<const SmileAliasTable::Pair*>, 256> byFirst;
    for (const SmileAliasTable::Pair& pair : table.Pairs())
        if (!pair.IsCategory() && !pair.first.empty())
            byFirst[static_cast<unsigned char>(pair.first[0])].push_back(&pair);
    std::vector<Found> found;
    std::map<std::string, bool> exists;
    size_t limit = text.size();  // where the nearest smile found so far starts
    for (size_t at = text.size() + 1; at-- > 0;) {
        if (at >= text.size() || (at > 0 && text[at - 1] != ' ')) continue;  // after a blank or at the start
        for (const SmileAliasTable::Pair* candidate : byFirst[static_cast<unsigned char>(text[at])]) {
            const SmileAliasTable::Pair& pair = *candidate;
            if (at + pair.first.size() > limit || !Usable(text, at, pair.first)) continue;
            auto known = exists.find(pair.second);
            if (known == exists.end())
                known = exists.emplace(pair.second, FileExists(SmileFile(programFolder, pair.second))).first;
            if (known->second) {
                found.push_back({at, &pair});
                limit = at;
            }
            break;
        }
    }
    if (found.empty()) return text;
    // A line of nothing but smiles would otherwise make a page of a thousand pictures per line:
    // the first ones become pictures, the rest stay text.
    const size_t shown = std::min(found.size(), kMaxSmilesPerLine);
    std::string out;
    out.reserve(text.size() + shown * 96);
    size_t done = 0;
    for (auto it = found.rbegin(); it != found.rbegin() + static_cast<std::ptrdiff_t>(shown); ++it) {
        out.append(text, done, it->at - done);
        out += "<img src=\"" + SmilePictureUrl(programFolder, it->pair->second) +
               "\" align=\"baseline\" class=\"smilesalias\" title=\"" + it->pair->first + "\">";
        done = it->at + it->pair->first.size();
    }
    out.append(text, done, std::string::npos);
    return out;
}

}  // namespace zc
