#pragma once
#include <cstdint>
#include <map>
#include <set>
#include <string>

namespace zc {

// Who we invited and which invitations wait for the user's answer. A peer counts as having
// accepted or joined only when we invited it a little before, and each peer has at most one
// question open, so a stranger can neither pull us into a conference nor bury us in windows.
class ConferenceGuard {
public:
    static constexpr std::int64_t kAnswerWindowSeconds = 120;
    static constexpr size_t kMaxOpenQuestions = 4;
    static constexpr size_t kMaxInvited = 64;

    void Invited(const std::string& peer, std::int64_t now);
    // True for a peer invited within the window; its acceptance or joining counts.
    bool WasInvited(const std::string& peer, std::int64_t now) const;
    void Answered(const std::string& peer) { invited_.erase(peer); }

    // False when this peer already waits for an answer or too many questions are open.
    bool OpenQuestion(const std::string& peer);
    void CloseQuestion(const std::string& peer) { openQuestions_.erase(peer); }
    size_t OpenQuestions() const { return openQuestions_.size(); }

private:
    std::map<std::string, std::int64_t> invited_;
    std::set<std::string> openQuestions_;
};

}  // namespace zc
