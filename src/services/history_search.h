#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace zc {

// One history entry, as read back from a history file.
struct HistoryEntry {
    int year = 0, month = 0, day = 0;  // day 0: written without a time stamp, only the month is known
    std::string time;                  // "HH:MM:SS"; empty without a time stamp
    std::string sender;                // the name the entry stands under, empty for none (windows-1251)
    std::string text;                  // what a browser shows after the name: tags dropped, entities decoded
    // "dd/mm/YYYY HH:MM:SS", or "mm/YYYY" without a time stamp.
    std::string DateText() const;
};

// An entry that matched a search, with the file that holds it.
struct HistoryHit {
    HistoryEntry entry;
    bool isMain = true;  // the public chat's file, else the one of private messages and alerts
    std::string file;    // the folder given to the search + "/YYYY_MM/" + file name
};

inline constexpr size_t kHistorySearchLimit = 200;

// Every month's history files below folder, public and private: the entries whose visible text
// (the name included) holds query, compared in windows-1251 with case ignored, Cyrillic too.
// Newest first, at most limit; files are read line by line.
std::vector<HistoryHit> SearchHistory(const std::string& folder, const std::string& query,
                                      size_t limit = kHistorySearchLimit);

// Reads one entry as AppendHistory wrote it (without the break that ends it); month and year
// stand for a missing time stamp.
HistoryEntry ParseHistoryEntry(std::string_view written, int year, int month);

// The last count entries of one history file, oldest first; year and month stand for missing
// time stamps.
std::vector<HistoryEntry> LastHistoryEntries(const std::string& path, size_t count, int year, int month);

// The month's history file below folder: "YYYY_MM/mm-YYYY_Main.htm" or "YYYY_MM/YYYY_private_alert.htm".
std::string HistoryMonthFile(const std::string& folder, int year, int month, bool isMain);

// Reads "dd/mm/YYYY" (a real calendar date); false for anything else.
bool ParseHistoryDate(std::string_view text, int& day, int& month, int& year);

inline constexpr size_t kHistoryDayEntries = 5000;
inline constexpr size_t kHistoryDayBytes = 8u << 20;

// The entries of one day in a history file, as the file has them, oldest first.
struct HistoryDay {
    std::vector<std::string> written;  // each as written, its time stamp first, the break after it left out
    bool cut = false;                  // the day held more: its earliest entries were left out
};

// Every entry of path time-stamped with that date (an entry without a time stamp is of no day),
// read line by line; past maxEntries entries or maxBytes bytes the earliest are dropped.
HistoryDay HistoryDayEntries(const std::string& path, int year, int month, int day,
                             size_t maxEntries = kHistoryDayEntries, size_t maxBytes = kHistoryDayBytes);

// The text a browser shows of a history fragment: tags dropped (a break is a blank), white
// space runs made one blank, the common entities decoded; a character reference the code page
// cannot hold stays "&#N;", the way typed text of that character is written.
std::string HistoryVisibleText(std::string_view html);

}  // namespace zc
