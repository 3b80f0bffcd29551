#pragma once
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "services/board_index.h"

namespace zc {

class Clock;

// What the board entries borrow from the chat page.
struct BoardEntryFormat {
    const Clock& clock;
    int defaultDays;                                          // BOARDMESSAGETIMELIFE
    std::function<std::string(const std::string&)> convert;   // page-safe text
    std::function<std::string(const std::string&)> markup;    // smiles
    std::function<std::string(const std::string&)> nameSpan;  // the author as the chat shows names
    std::function<std::string(const std::string&)> colour;    // the author's message colour, "" for none
    std::string deleteTitle;
    std::function<std::string(const std::string&)> link = nullptr;  // [URL] marks of a whole entry
    // Names everything the functions above depend on; built entries are kept while it stays the same.
    std::string key = {};
};

// The board page's entries as last built: a build converts only the messages that are new or
// changed since the last one (same name and version: same entry).
class BoardEntries {
public:
    // The four category rows of the board page, newer messages first; expired messages are
    // deleted on the way, and the folder is looked at for files changed behind our back.
    std::string Rows(BoardIndex& index, const BoardEntryFormat& format);
    // Entries built since this was made.
    size_t Built() const { return built_; }

private:
    struct Entry {
        std::uint64_t version = 0;
        std::uint64_t pass = 0;  // the last build that showed it
        std::string html;
    };
    std::string Build(const std::string& name, const BoardPost& post, const BoardEntryFormat& f);
    std::map<std::string, Entry> cache_;
    std::string key_;
    std::uint64_t pass_ = 0;
    size_t built_ = 0;
};

// The four category rows from the files as they are now, with nothing kept.
std::string BuildBoardEntries(const BoardEntryFormat& format);

}  // namespace zc
