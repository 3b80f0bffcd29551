#include "net/conference_guard.h"

namespace zc {

void ConferenceGuard::Invited(const std::string& peer, std::int64_t now) {
    // Old invitations make room; the list never grows past its cap.
    for (auto it = invited_.begin(); it != invited_.end();)
        it = now - it->second > kAnswerWindowSeconds ? invited_.erase(it) : std::next(it);
    if (invited_.size() >= kMaxInvited && !invited_.count(peer)) return;
    invited_[peer] = now;
}

bool ConferenceGuard::WasInvited(const std::string& peer, std::int64_t now) const {
    const auto it = invited_.find(peer);
    return it != invited_.end() && now - it->second <= kAnswerWindowSeconds && now >= it->second;
}

}  // namespace zc
