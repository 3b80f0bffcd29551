#include "services/history_search.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <deque>
#include <filesystem>
#include <fstream>

#include "base/cp1251.h"
#include "base/cp1251_case.h"
#include "base/html_entity.h"
#include "services/history.h"

namespace zc {
namespace {

namespace fs = std::filesystem;

// One entry longer than this is a broken file, not a message; the rest of it is not kept.
constexpr size_t kEntryLimit = 1 << 20;

bool Digits(std::string_view s, size_t at, size_t n) {
    if (at + n > s.size()) return false;
    for (size_t i = at; i < at + n; ++i)
        if (s[i] < '0' || s[i] > '9') return false;
    return true;
}

int Number(std::string_view s, size_t at, size_t n) {
    int v = 0;
    for (size_t i = at; i < at + n; ++i) v = v * 10 + (s[i] - '0');
    return v;
}

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\xA0'; }

// The entity at html[at] == '&' as the code page's text; the length it took, 0 when it is none.
size_t DecodeEntity(std::string_view html, size_t at, std::string& out) {
    std::uint32_t cp = 0;
    const size_t used = DecodeHtmlEntity(html, at, cp);
    if (used == 0) return 0;
    if (cp < 0x20 || cp == 0xA0) out += ' ';
    else if (cp < 0x80) out += static_cast<char>(cp);
    else {
        std::string utf8;
        AppendUtf8(utf8, cp);
        out += Utf8ToCp1251(utf8);
    }
    return used;
}

bool IsTagStart(std::string_view html, size_t at) {
    if (at + 1 >= html.size()) return false;
    const char c = html[at + 1];
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '/' || c == '!';
}

// Lines of a file, read a block at a time; of a line longer than the limit only its start is kept,
// so a file without line ends is never held whole.
class LineReader {
public:
    explicit LineReader(const std::string& path) : in_(path, std::ios::binary), block_(1 << 16) {}
    // False at the end of the file with nothing read.
    bool Next(std::string& line, size_t limit) {
        line.clear();
        bool any = false;
        for (;;) {
            if (at_ == end_ && !Fill()) return any;
            any = true;
            const char* start = block_.data() + at_;
            const void* newline = std::memchr(start, '\n', end_ - at_);
            const size_t n = newline ? static_cast<size_t>(static_cast<const char*>(newline) - start) : end_ - at_;
            if (line.size() < limit) line.append(start, std::min(n, limit - line.size()));
            at_ += n;
            if (newline) {
                ++at_;
                return true;
            }
        }
    }

private:
    bool Fill() {
        in_.read(block_.data(), static_cast<std::streamsize>(block_.size()));
        at_ = 0;
        end_ = in_.gcount() > 0 ? static_cast<size_t>(in_.gcount()) : 0;
        return end_ > 0;
    }
    std::ifstream in_;
    std::vector<char> block_;
    size_t at_ = 0, end_ = 0;
};


// Calls onEntry for every entry of a history file, in the order written.
template <class F>
void ForEachEntry(const std::string& path, F&& onEntry) {
    LineReader in(path);
    const std::string charset(kHistoryCharsetLine, sizeof kHistoryCharsetLine - 2);  // without "\n"
    std::string line, entry;
    bool have = false, first = true;
    auto flush = [&] {
        if (have && entry.find_first_not_of(" \t\r\n") != std::string::npos) onEntry(entry);
        entry.clear();
    };
    while (in.Next(line, kEntryLimit)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (first && line == charset) {
            first = false;
            continue;
        }
        first = false;
        // Every entry ends in "\n<br>", so the next one starts a line after that break; a line
        // without it continues the entry before.
        if (line.rfind("<br>", 0) == 0 || !have) {
            flush();
            entry = line.rfind("<br>", 0) == 0 ? line.substr(4) : line;
            have = true;
        } else if (entry.size() < kEntryLimit) {
            entry += '\n';
            entry += line;
        }
    }
    flush();
}

struct MonthFolder {
    int year, month;
    fs::path path;
};

std::vector<MonthFolder> MonthFolders(const std::string& folder) {
    std::vector<MonthFolder> months;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.size() != 7 || !Digits(name, 0, 4) || name[4] != '_' || !Digits(name, 5, 2)) continue;
        const int month = Number(name, 5, 2);
        if (month < 1 || month > 12 || !it->is_directory(ec)) continue;
        months.push_back({Number(name, 0, 4), month, it->path()});
    }
    std::sort(months.begin(), months.end(), [](const MonthFolder& a, const MonthFolder& b) {
        return a.year != b.year ? a.year > b.year : a.month > b.month;
    });
    return months;
}

std::string TwoDigits(int n) { return std::string(1, static_cast<char>('0' + n / 10 % 10)) + static_cast<char>('0' + n % 10); }

}  // namespace

std::string HistoryEntry::DateText() const {
    const std::string monthYear = TwoDigits(month) + "/" + std::to_string(year);
    if (day == 0) return monthYear;
    return TwoDigits(day) + "/" + monthYear + " " + time;
}

std::string HistoryVisibleText(std::string_view html) {
    std::string out;
    bool space = false;
    auto put = [&](std::string_view piece) {
        for (char c : piece) {
            if (IsSpace(c)) {
                space = !out.empty();
                continue;
            }
            if (space) out += ' ';
            space = false;
            out += c;
        }
    };
    for (size_t i = 0; i < html.size(); ++i) {
        const char c = html[i];
        if (c == '<' && IsTagStart(html, i)) {
            const size_t end = html.find('>', i);
            if (end == std::string_view::npos) break;  // a tag cut off: a browser shows nothing of it
            std::string name;
            for (size_t j = i + 1; j < end && name.size() < 3 && html[j] != ' ' && html[j] != '/'; ++j)
                name += Cp1251Lower(html[j]);
            if (name == "br") put(" ");
            i = end;
        } else if (c == '&') {
            std::string decoded;
            const size_t used = DecodeEntity(html, i, decoded);
            if (used == 0) {
                put("&");
                continue;
            }
            put(decoded);
            i += used - 1;
        } else {
            put(std::string_view(&html[i], 1));
        }
    }
    return out;
}

HistoryEntry ParseHistoryEntry(std::string_view written, int year, int month) {
    HistoryEntry e;
    e.year = year;
    e.month = month;
    // "[dd/mm/YYYY] [HH:MM:SS] "
    const std::string_view w = written;
    if (w.size() >= 24 && w[0] == '[' && Digits(w, 1, 2) && w[3] == '/' && Digits(w, 4, 2) && w[6] == '/' &&
        Digits(w, 7, 4) && w.substr(11, 3) == "] [" && Digits(w, 14, 2) && w[16] == ':' && Digits(w, 17, 2) &&
        w[19] == ':' && Digits(w, 20, 2) && w.substr(22, 2) == "] ") {
        const int day = Number(w, 1, 2), mon = Number(w, 4, 2);
        if (day >= 1 && day <= 31 && mon >= 1 && mon <= 12) {
            e.day = day;
            e.month = mon;
            e.year = Number(w, 7, 4);
            e.time = std::string(w.substr(14, 8));
            written.remove_prefix(24);
        }
    }
    // A line under a name starts with the name's span: "<span ... class="username">&lt;Name&gt;</span>".
    if (written.rfind("<span", 0) == 0) {
        const size_t gt = written.find('>');
        const size_t close = gt == std::string_view::npos ? gt : written.find("</span>", gt);
        if (close != std::string_view::npos && written.substr(0, gt).find("class=\"username\"") != std::string_view::npos) {
            std::string name = HistoryVisibleText(written.substr(gt + 1, close - gt - 1));
            if (name.size() >= 2 && name.front() == '<' && name.back() == '>') name = name.substr(1, name.size() - 2);
            e.sender = name;
            std::string rest = HistoryVisibleText(written.substr(close + 7));
            if (!rest.empty() && rest[0] == ':') rest.erase(0, 1);
            rest.erase(0, rest.find_first_not_of(' ') == std::string::npos ? rest.size() : rest.find_first_not_of(' '));
            e.text = rest;
            return e;
        }
    }
    e.text = HistoryVisibleText(written);
    return e;
}

std::vector<HistoryEntry> LastHistoryEntries(const std::string& path, size_t count, int year, int month) {
    std::deque<std::string> kept;
    if (count == 0) return {};
    ForEachEntry(path, [&](const std::string& written) {
        kept.push_back(written);
        if (kept.size() > count) kept.pop_front();
    });
    std::vector<HistoryEntry> entries;
    for (const std::string& written : kept) entries.push_back(ParseHistoryEntry(written, year, month));
    return entries;
}

std::vector<HistoryHit> SearchHistory(const std::string& folder, const std::string& query, size_t limit) {
    std::vector<HistoryHit> hits;
    const std::string needle = Cp1251Lower(query);
    if (needle.find_first_not_of(' ') == std::string::npos || limit == 0) return hits;

    struct Found {
        HistoryHit hit;
        size_t order;
    };
    auto newer = [](const Found& a, const Found& b) {
        const HistoryEntry &x = a.hit.entry, &y = b.hit.entry;
        if (x.year != y.year) return x.year > y.year;
        if (x.month != y.month) return x.month > y.month;
        if (x.day != y.day) return x.day > y.day;
        if (x.time != y.time) return x.time > y.time;
        return a.order > b.order;
    };
    for (const MonthFolder& m : MonthFolders(folder)) {
        std::vector<Found> found;
        size_t order = 0;
        for (const bool isMain : {true, false}) {
            const std::string path = HistoryMonthFile(folder, m.year, m.month, isMain);
            ForEachEntry(path, [&](const std::string& written) {
                HistoryEntry e = ParseHistoryEntry(written, m.year, m.month);
                const std::string visible = (e.sender.empty() ? "" : "<" + e.sender + "> ") + e.text;
                ++order;
                if (Cp1251Lower(visible).find(needle) == std::string::npos) return;
                found.push_back({{std::move(e), isMain, path}, order});
                // Only the newest of a month can make it; keep the list short on a big month.
                if (found.size() >= 2 * limit) {
                    std::partial_sort(found.begin(), found.begin() + static_cast<long>(limit), found.end(), newer);
                    found.resize(limit);
                }
            });
        }
        std::sort(found.begin(), found.end(), newer);
        for (Found& f : found) {
            if (hits.size() >= limit) break;
            hits.push_back(std::move(f.hit));
        }
        if (hits.size() >= limit) break;
    }
    return hits;
}

std::string HistoryMonthFile(const std::string& folder, int year, int month, bool isMain) {
    const std::string yyyy = std::to_string(year), mm = TwoDigits(month);
    const std::string monthFolder = std::string(yyyy.size() < 4 ? 4 - yyyy.size() : 0, '0') + yyyy + "_" + mm;
    return folder + "/" + monthFolder + "/" + (isMain ? mm + "-" + yyyy + "_Main.htm" : yyyy + "_private_alert.htm");
}

bool ParseHistoryDate(std::string_view text, int& day, int& month, int& year) {
    if (text.size() != 10 || !Digits(text, 0, 2) || text[2] != '/' || !Digits(text, 3, 2) || text[5] != '/' ||
        !Digits(text, 6, 4))
        return false;
    const int d = Number(text, 0, 2), m = Number(text, 3, 2), y = Number(text, 6, 4);
    static constexpr int kDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (y < 1 || m < 1 || m > 12 || d < 1 || d > kDays[m - 1]) return false;
    if (m == 2 && d == 29 && !(y % 4 == 0 && (y % 100 != 0 || y % 400 == 0))) return false;
    day = d;
    month = m;
    year = y;
    return true;
}

HistoryDay HistoryDayEntries(const std::string& path, int year, int month, int day, size_t maxEntries,
                             size_t maxBytes) {
    HistoryDay result;
    if (year < 0 || year > 9999 || month < 1 || month > 12 || day < 1 || day > 31) return result;
    const std::string yyyy = std::to_string(year);
    const std::string stamp =
        "[" + TwoDigits(day) + "/" + TwoDigits(month) + "/" + std::string(4 - yyyy.size(), '0') + yyyy + "] [";
    std::deque<std::string> kept;
    size_t bytes = 0;
    ForEachEntry(path, [&](const std::string& written) {
        // The same test the search makes: only a whole time stamp dates an entry.
        if (written.compare(0, stamp.size(), stamp) != 0 ||
            ParseHistoryEntry(written.substr(0, 24), year, month).day != day)
            return;
        bytes += written.size();
        kept.push_back(written);
        // The latest entry stays whatever its size: it is bounded by the entry limit.
        while (kept.size() > maxEntries || (kept.size() > 1 && bytes > maxBytes)) {
            bytes -= kept.front().size();
            kept.pop_front();
            result.cut = true;
        }
    });
    result.written.assign(std::make_move_iterator(kept.begin()), std::make_move_iterator(kept.end()));
    return result;
}

}  // namespace zc
