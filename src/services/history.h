#pragma once
#include <string>

namespace zc {

class Clock;

// Monthly history pages: public chat, and private messages with alerts.
class ChatHistory {
public:
    explicit ChatHistory(const Clock& clock) : clock_(clock) {}
    void AppendHistory(const std::string& text, bool isMain, bool withTime) const;
    // The current month's file, its folder created; the caller opens it.
    std::string PathFor(bool isMain) const;

private:
    const Clock& clock_;
};

}  // namespace zc
