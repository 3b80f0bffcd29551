#include "net/peer_windows.h"

#include <algorithm>

namespace zc {

size_t PeerWindows::OpenAt(const std::string& ip) const {
    return static_cast<size_t>(std::count_if(open_.begin(), open_.end(), [&](const Window& w) { return w.peerIp == ip; }));
}

int PeerWindows::Open(Window window, std::optional<Window>* gaveWay) {
    for (const Window& w : open_)
        if (w.kind == window.kind && w.peerId == window.peerId) return 0;
    if (OpenAt(window.peerIp) >= kMaxPerAddress) return 0;
    if (open_.size() >= kMaxOpen) {
        // The oldest window of the address with the most; the first found is the oldest.
        size_t victim = 0, most = 0;
        for (size_t i = 0; i < open_.size(); ++i) {
            const size_t n = OpenAt(open_[i].peerIp);
            if (n > most) most = n, victim = i;
        }
        if (gaveWay) *gaveWay = std::move(open_[victim]);
        open_.erase(open_.begin() + static_cast<std::ptrdiff_t>(victim));
    }
    // Numbers are not used again soon, so an answer typed late never reaches a newer window.
    auto inUse = [&](int n) {
        return std::any_of(open_.begin(), open_.end(), [n](const Window& w) { return w.number == n; });
    };
    while (inUse(next_)) next_ = next_ % kLastNumber + 1;
    window.number = next_;
    next_ = next_ % kLastNumber + 1;
    open_.push_back(std::move(window));
    return open_.back().number;
}

std::optional<PeerWindows::Window> PeerWindows::Take(int number) {
    auto it = std::find_if(open_.begin(), open_.end(), [number](const Window& w) { return w.number == number; });
    if (it == open_.end()) return std::nullopt;
    Window w = std::move(*it);
    open_.erase(it);
    return w;
}

}  // namespace zc
