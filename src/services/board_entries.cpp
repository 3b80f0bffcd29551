#include "services/board_entries.h"

#include <array>
#include <cstdio>
#include <filesystem>
#include <set>

#include <sys/stat.h>

#include "base/text_helpers.h"
#include "platform/clock.h"
#include "services/board_store.h"

namespace zc {

namespace fs = std::filesystem;

void BoardIndex::Refresh() {
    std::set<std::string> seen;
    std::error_code ec;
    for (fs::directory_iterator it(kBoardFolder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        std::error_code e;
        if (!IsBoardFileName(name) || !it->is_regular_file(e)) continue;
        // One stat for size and time: this runs for every stored file on every packet.
        struct stat st {};
        if (::stat(it->path().c_str(), &st) != 0) continue;
        const std::uintmax_t size = static_cast<std::uintmax_t>(st.st_size);
        const std::int64_t modified = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
        seen.insert(name);
        File& file = files_[name];
        if (file.readable && file.size == size && file.modified == modified) continue;
        bytes_ -= file.size;
        file = File{};
        file.size = size;
        file.modified = modified;
        bytes_ += size;
        Read(name, file);
    }
    for (auto it = files_.begin(); it != files_.end();) {
        if (seen.count(it->first)) ++it;
        else Forget(it++);
    }
    // Well below the limits again: the next time they bite is worth a log line.
    if (files_.size() < kMaxBoardFiles * 9 / 10 && bytes_ < kMaxBoardBytes / 10 * 9) full_ = false;
}

void BoardIndex::Read(const std::string& name, File& file) {
    std::vector<std::string> lines;
    ++filesRead_;
    if (!ReadBoardLines(std::string(kBoardFolder) + "/" + name, lines)) return;
    file.readable = true;
    file.created = ParseInt(BoardTagValue(lines, "CreateTime"));
    file.life = BoardTagValue(lines, "TimeLife");
    for (size_t i = 0; i < lines.size(); ++i) {
        const bool hasNext = i + 1 < lines.size();
        if (lines[i] == "<MessageCategory>" && hasNext) {
            file.category = ParseInt(lines[i + 1]);
            if (file.category < 1 || file.category > 4) file.category = 4;
        } else if (lines[i] == "<UserName>" && hasNext) {
            file.author = lines[i + 1];
            file.hasAuthor = true;
        } else if (lines[i] == "<MessageDate>" && hasNext) {
            file.date = lines[i + 1];
            file.hasDate = true;
        } else if (lines[i] == "<MessageBody>") {
            file.body.assign(lines.begin() + static_cast<std::ptrdiff_t>(i) + 1, lines.end());
            break;
        }
    }
    // Own messages are known by the first name and address lines.
    file.ownerName = BoardLineAfter(lines, "<UserName>");
    file.ownerIp = BoardLineAfter(lines, "<IP>");
}

void BoardIndex::Forget(std::map<std::string, File>::iterator it) {
    bytes_ -= it->second.size;
    files_.erase(it);
}

std::string BoardIndex::Build(const std::string& name, const File& file, const BoardEntryFormat& f) {
    ++entriesBuilt_;
    const std::string author = file.hasAuthor ? f.convert(file.author) : std::string();
    const std::string dateSpan =
        file.hasDate ? "<span class=\"time\">" + f.convert(file.date) + "</span><br>" : std::string();
    std::string body;
    for (const std::string& line : file.body) body += f.markup(f.convert(line)) + "<br>";
    const std::string colour = f.colour(author);
    std::string entry =
        "<table height=1 width=\"100%\" border=0><tr valign=top><td width=10% nowrap>" + dateSpan +
        f.nameSpan(author) + "<br>" + "</td><td>" +
        "<table align=right border=\"0\" cellspacing=\"0\" cellpadding=\"0\">" + "<tr><td id=\"" + kBoardWirePrefix +
        name + "\" title=\"" + f.deleteTitle + "\" class=\"deletemessage\" scope=\"row\">X</td></tr></table>" +
        (colour.empty() ? "<span class=\"message\">" : "<span class=\"message\" style=\"color:" + colour + "\">") +
        body + "</span><br><br>" + "</td></tr></table>\n";
    return f.link ? f.link(entry) : entry;
}

std::string BoardIndex::Entries(const BoardEntryFormat& f) {
    Refresh();
    if (f.key != key_ || f.key.empty()) {
        for (auto& [name, file] : files_) file.entry.clear();
        key_ = f.key;
    }
    const long long now = f.clock.Now();
    std::vector<const std::string*> shown;
    for (auto it = files_.begin(); it != files_.end();) {
        File& file = it->second;
        if (file.readable && BoardMessageExpired(now, file.created, file.life, f.defaultDays)) {
            std::remove((std::string(kBoardFolder) + "/" + it->first).c_str());
            Forget(it++);
            continue;
        }
        if (!file.readable) break;  // what was read so far is shown
        if (file.entry.empty()) file.entry = Build(it->first, file, f);
        shown.push_back(&file.entry);
        ++it;
    }
    std::array<std::vector<const std::string*>, 4> rows;
    size_t i = 0;
    for (auto it = files_.begin(); it != files_.end() && i < shown.size(); ++it, ++i)
        rows[static_cast<size_t>(it->second.category - 1)].push_back(shown[i]);
    std::string html;
    for (int k = 1; k <= 4; ++k) {
        html += "<tr id=\"" + std::to_string(k * 10) + "\"><td><br>";
        const auto& row = rows[static_cast<size_t>(k - 1)];
        for (auto e = row.rbegin(); e != row.rend(); ++e) html += **e;  // later files first
        html += "</td></tr>\n";
    }
    return html;
}

size_t BoardIndex::Trim(const std::string& userName, const std::string& ip) {
    Refresh();
    size_t removed = 0;
    auto over = [this] { return files_.size() > kMaxBoardFiles || bytes_ > kMaxBoardBytes; };
    if (over()) full_ = true;
    for (bool ownToo : {false, true}) {
        for (auto it = files_.begin(); over() && it != files_.end();) {
            const bool own = it->second.ownerName == userName && it->second.ownerIp == ip;
            if (own && !ownToo) {
                ++it;
                continue;
            }
            std::error_code ec;
            fs::remove(std::string(kBoardFolder) + "/" + it->first, ec);
            Forget(it++);
            ++removed;
        }
    }
    return removed;
}

std::string BoardIndex::OwnNames(const std::string& userName, const std::string& ip) {
    Refresh();
    std::string list;
    for (const auto& [name, file] : files_)
        if (file.readable && file.ownerName == userName && file.ownerIp == ip) list += name + ";";
    return list;
}

std::string BuildBoardEntries(const BoardEntryFormat& format) {
    BoardIndex index;
    return index.Entries(format);
}

}  // namespace zc
