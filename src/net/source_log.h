#pragma once
#include <cstdint>
#include <map>
#include <string>

namespace zc {

class ChatSession;

// Log lines one source may cause: a few a minute, the rest counted. A flood from one address
// then costs the log a bounded number of lines, and the count still says what happened.
class SourceLog {
public:
    static constexpr int kLinesPerMinute = 3;
    static constexpr size_t kMaxSources = 1024;

    // True when a line for this source may be written now (at most perMinute a minute). When a
    // new minute starts, *held (if given) gets the number of lines left out in the minute before.
    bool Allow(const std::string& source, std::int64_t now, size_t* held = nullptr, int perMinute = kLinesPerMinute);

private:
    struct Window {
        std::int64_t start = 0;
        int lines = 0;
        size_t held = 0;
    };
    std::map<std::string, Window> windows_;
};

// One log line a peer's packet causes: a few a minute per source and kind, then only counted
// (the count goes with the next line written).
void LogForSource(ChatSession& chat, const std::string& kind, const std::string& source, const std::string& line,
                  int perMinute = SourceLog::kLinesPerMinute);

}  // namespace zc
