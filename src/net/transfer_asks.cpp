#include "net/transfer_asks.h"

#include <algorithm>

#include "net/user_roster.h"

namespace zc {

void TransferAsks::Asked(Kind kind, const std::string& peerId, const std::string& name, std::int64_t now) {
    if (asks_.size() >= kMaxAsks) asks_.pop_front();
    asks_.push_back({kind, peerId, name, now});
}

bool TransferAsks::TakeAnswer(Kind kind, const std::string& peerId, const std::string& name, std::int64_t now) {
    // Newest first: a repeated ask answers the latest question.
    for (auto it = asks_.rbegin(); it != asks_.rend(); ++it) {
        if (it->kind != kind || it->peerId != peerId) continue;
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

bool TransferAsks::OpenQuestion(const std::string& peerId) {
    if (openQuestions_.size() >= kMaxOpenQuestions || openQuestions_.count(peerId)) return false;
    openQuestions_.insert(peerId);
    return true;
}

void TransferAsks::NoteAvatarAsked(const std::string& peerId) {
    // Bounded by the roster: nobody beyond its cap is ever asked.
    if (avatarsAsked_.size() < CUserRoster::kMaxUsers) avatarsAsked_.insert(peerId);
}

}  // namespace zc
