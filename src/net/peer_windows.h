#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace zc {

// The windows peers open on the user's screen: alerts and questions. Each gets a number the
// user can answer it by. One is open per peer and kind, a few per address; past the cap in
// all, the oldest window of the address holding the most gives way. So a flood of strangers
// neither refuses nor hides a colleague's window: theirs go first.
class PeerWindows {
public:
    enum class Kind { Alert, File, Invitation };
    static constexpr size_t kMaxOpen = 32;
    static constexpr size_t kMaxPerAddress = 4;
    static constexpr int kLastNumber = 999999;

    struct Window {
        int number = 0;
        Kind kind = Kind::Alert;
        std::string peerId, peerIp, peerName;
        // Runs once when the user answers (alerts: confirms) it; a question that gives way
        // gets false.
        std::function<void(bool)> onAnswer;
    };

    // The new window's number; 0 when this peer already has one of this kind open or its
    // address holds its share. A window that gave way to it is moved to *gaveWay.
    int Open(Window window, std::optional<Window>* gaveWay);
    // Takes the window out; nullopt when it is not open (answered or gave way before).
    std::optional<Window> Take(int number);
    const std::vector<Window>& All() const { return open_; }  // oldest first

private:
    size_t OpenAt(const std::string& ip) const;
    std::vector<Window> open_;
    int next_ = 1;
};

}  // namespace zc
