#include "net/flood_guard.h"

namespace zc {

void FloodGuard::Reset(int limit, int windowSeconds, int penaltySeconds) {
    count_ = 0;
    limit_ = limit;
    window_ = windowSeconds;
    penalty_ = penaltySeconds;
    last_ = 0;
}

void FloodGuard::SetLimitFromPeer(int limit) {
    if (limit <= 0) return;
    limit_ = limit < kPeerFloor ? kPeerFloor : limit;
}

FloodGuard::Verdict FloodGuard::Check(std::int64_t now) {
    if (limit_ == 0) return Verdict::Allowed;
    if (count_ < limit_) {
        if (now - last_ > window_) count_ = 0;
        last_ = now;
        ++count_;
        return Verdict::Allowed;
    }
    if (now - last_ > penalty_) {
        count_ = 0;
        return Verdict::Allowed;
    }
    last_ = now;  // every refused attempt starts the penalty again
    return Verdict::Refused;
}

}  // namespace zc
