#pragma once
#include <cstdint>
#include <map>
#include <string>

namespace zc {

// Who we invited. A peer counts as having accepted or joined only when we invited it a little
// before, so a stranger cannot pull us into a conference.
class ConferenceGuard {
public:
    static constexpr std::int64_t kAnswerWindowSeconds = 120;
    static constexpr size_t kMaxInvited = 64;

    void Invited(const std::string& peer, std::int64_t now);
    // True for a peer invited within the window; its acceptance or joining counts.
    bool WasInvited(const std::string& peer, std::int64_t now) const;
    void Answered(const std::string& peer) { invited_.erase(peer); }

private:
    std::map<std::string, std::int64_t> invited_;
};

}  // namespace zc
