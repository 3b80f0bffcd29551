#include "net/source_log.h"

#include "net/chat_session.h"
#include "net/sender_state.h"

namespace zc {

bool SourceLog::Allow(const std::string& source, std::int64_t now, size_t* held, int perMinute) {
    auto it = windows_.find(source);
    if (it == windows_.end()) {
        if (windows_.size() >= kMaxSources) {
            // Old windows are of no use; when every one is fresh, the newcomer goes uncounted.
            for (auto w = windows_.begin(); w != windows_.end();)
                w = now - w->second.start >= 60 ? windows_.erase(w) : std::next(w);
            if (windows_.size() >= kMaxSources) return false;
        }
        it = windows_.emplace(source, Window{now, 0, 0}).first;
    }
    Window& w = it->second;
    if (now - w.start >= 60) {
        if (held) *held = w.held;
        w = {now, 0, 0};
    }
    if (w.lines < perMinute) {
        ++w.lines;
        return true;
    }
    ++w.held;
    return false;
}

void LogForSource(ChatSession& chat, const std::string& kind, const std::string& source, const std::string& line,
                  int perMinute) {
    size_t held = 0;
    if (!chat.Senders().log.Allow(kind + " " + source, chat.NowSeconds(), &held, perMinute)) return;
    chat.WriteLog(held ? line + " (" + std::to_string(held) + " more in the minute before)" : line);
}

}  // namespace zc
