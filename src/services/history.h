#pragma once
#include <cstdio>
#include <string>
#include <vector>

namespace zc {

class Clock;

// Written first into every new history file, so a browser shows its windows-1251 text right.
inline constexpr char kHistoryCharsetLine[] =
    "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1251\">\n";

// Monthly history pages: public chat, and private messages with alerts.
class ChatHistory {
public:
    explicit ChatHistory(const Clock& clock) : clock_(clock) {}
    ~ChatHistory();
    ChatHistory(const ChatHistory&) = delete;
    ChatHistory& operator=(const ChatHistory&) = delete;
    void AppendHistory(const std::string& text, bool isMain, bool withTime) const;
    // The current month's file, its folder created; the caller opens it.
    std::string PathFor(bool isMain) const;
    // The same path, nothing created.
    std::string PathOf(bool isMain) const;

private:
    // The two files stay open between lines; a new month, or a file moved or deleted meanwhile,
    // opens the one the path names now.
    struct OpenFile {
        std::string path;
        std::FILE* file = nullptr;
        unsigned long long dev = 0, ino = 0;
    };
    std::FILE* FileFor(bool isMain) const;
    const Clock& clock_;
    mutable OpenFile files_[2];
};

// The last count lines of a history file as HTML fragments, oldest first: the charset line
// and empty lines left out, each line without the break that ends the entry before it.
std::vector<std::string> LastHistoryLines(const std::string& path, size_t count);

}  // namespace zc
