#include "net/transfer_asks.h"

#include <algorithm>

#include "net/user_roster.h"

namespace zc {

void TransferAsks::Asked(Kind kind, const std::string& peerId, const std::string& peerIp, const std::string& name,
                         std::int64_t now) {
    if (asks_.size() >= kMaxAsks) asks_.pop_front();
    asks_.push_back({kind, peerId, peerIp, name, now});
}

bool TransferAsks::TakeAnswer(Kind kind, const std::string& peerId, const std::string& fromIp,
                              const std::string& name, std::int64_t now) {
    // Newest first: a repeated ask answers the latest question.
    for (auto it = asks_.rbegin(); it != asks_.rend(); ++it) {
        if (it->kind != kind || it->peerId != peerId || it->peerIp.empty() || it->peerIp != fromIp) continue;
        if (now - it->at > kAnswerSeconds || now < it->at) continue;
        if (!it->name.empty() && it->name != name) continue;
        asks_.erase(std::next(it).base());
        return true;
    }
    return false;
}

bool TransferAsks::Waiting(Kind kind, std::int64_t now) const {
    return std::any_of(asks_.begin(), asks_.end(),
                       [&](const Ask& a) { return a.kind == kind && now - a.at <= kAnswerSeconds && now >= a.at; });
}

bool TransferAsks::AvatarAskDue(const std::string& peerId, std::int64_t now) const {
    const auto it = avatarsAsked_.find(peerId);
    return it == avatarsAsked_.end() || now >= it->second.nextAt;
}

void TransferAsks::NoteAvatarAsked(const std::string& peerId, std::int64_t now) {
    auto it = avatarsAsked_.find(peerId);
    if (it == avatarsAsked_.end()) {
        // Bounded by the roster; past it the oldest waits are forgotten (asked again later anyway).
        if (avatarsAsked_.size() >= CUserRoster::kMaxUsers) {
            auto oldest = avatarsAsked_.begin();
            for (auto a = avatarsAsked_.begin(); a != avatarsAsked_.end(); ++a)
                if (a->second.nextAt < oldest->second.nextAt) oldest = a;
            avatarsAsked_.erase(oldest);
        }
        it = avatarsAsked_.emplace(peerId, AvatarTries{}).first;
    }
    it->second.nextAt = now + it->second.wait;
    it->second.wait = std::min(it->second.wait * 2, kAvatarRetryMaxSeconds);
}

}  // namespace zc
