#pragma once
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class QSocketNotifier;

namespace zc {

// Cuts a byte stream into lines at "\n"; a "\r" before it is dropped too.
class LineSplitter {
public:
    std::vector<std::string> Feed(std::string_view bytes);
    // At end of input: the last line when it had no newline.
    std::optional<std::string> Finish();

private:
    std::string pending_;
};

// Reads a descriptor as the event loop reports it readable, so timers and sockets keep running
// while nobody types. One read per report never blocks; the descriptor's flags stay untouched,
// since a terminal's are shared with the shell that started us.
class InputReader {
public:
    InputReader(int fd, std::function<void(const std::string&)> onLine, std::function<void()> onEnd);
    ~InputReader();
    // False when the descriptor cannot be watched (closed); onEnd has then run.
    bool Start();
    bool Ended() const { return ended_; }

private:
    void OnReadable();
    void End();

    int fd_;
    std::function<void(const std::string&)> onLine_;
    std::function<void()> onEnd_;
    LineSplitter splitter_;
    std::unique_ptr<QSocketNotifier> notifier_;
    bool ended_ = false;
};

}  // namespace zc
