#pragma once
#include <cstdint>

namespace zc {

// How fast the local user may send: a burst of `limit` sends, then a penalty.
class FloodGuard {
public:
    enum class Verdict { Allowed, Refused };
    void Reset(int limit = 15, int windowSeconds = 5, int penaltySeconds = 15);
    // now in whole seconds.
    Verdict Check(std::int64_t now);
    void SetLimit(int limit) { limit_ = limit; }
    // A peer may ask us to send more slowly, but not to stop nor to switch the guard off: 0 or
    // less is ignored and anything below the floor becomes the floor.
    static constexpr int kPeerFloor = 5;
    void SetLimitFromPeer(int limit);
    int Limit() const { return limit_; }
    int Count() const { return count_; }
    int Penalty() const { return penalty_; }
    int Window() const { return window_; }

private:
    int count_ = 0, limit_ = 15, penalty_ = 15, window_ = 5;
    std::int64_t last_ = 0;
};

}  // namespace zc
