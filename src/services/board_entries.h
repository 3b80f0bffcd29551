#pragma once
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

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

// The board folder as last seen, with each file's built entry, so that a page build reads and
// converts only the files that changed since the last one (same name, size and modification
// time: same entry).
class BoardIndex {
public:
    // The four category rows of the board page; expired messages are deleted on the way.
    std::string Entries(const BoardEntryFormat& format);
    // Keeps the board within kMaxBoardFiles and kMaxBoardBytes: peers' copies go oldest first,
    // the messages of userName at ip only when nothing else is left. How many files went.
    size_t Trim(const std::string& userName, const std::string& ip);
    // Names of the messages of userName at ip, each followed by ";".
    std::string OwnNames(const std::string& userName, const std::string& ip);
    // Whether a message of that name is stored (as of the last look at the folder).
    bool Has(const std::string& name) const { return files_.count(name) > 0; }

    size_t Files() const { return files_.size(); }
    std::uintmax_t Bytes() const { return bytes_; }
    // Files read and entries built since the index was made.
    size_t FilesRead() const { return filesRead_; }
    size_t EntriesBuilt() const { return entriesBuilt_; }
    // True from the Trim that found the board over its limits until a look finds it well below them.
    bool Full() const { return full_; }

private:
    struct File {
        std::uintmax_t size = 0;
        std::int64_t modified = 0;  // nanoseconds
        bool readable = false;
        long long created = 0;
        std::string life;
        int category = 4;
        std::string author, date, ownerName, ownerIp;
        bool hasAuthor = false, hasDate = false;
        std::vector<std::string> body;
        std::string entry;  // empty until built
    };
    // Looks at the folder: new or changed files are read, vanished ones forgotten.
    void Refresh();
    void Read(const std::string& name, File& file);
    void Forget(std::map<std::string, File>::iterator it);
    std::string Build(const std::string& name, const File& file, const BoardEntryFormat& f);

    std::map<std::string, File> files_;  // name order is creation order
    std::uintmax_t bytes_ = 0;
    std::string key_;
    size_t filesRead_ = 0, entriesBuilt_ = 0;
    bool full_ = false;
};

// The four category rows from the files as they are now, with nothing kept.
std::string BuildBoardEntries(const BoardEntryFormat& format);

}  // namespace zc
