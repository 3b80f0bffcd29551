#pragma once
#include <algorithm>
#include <chrono>

namespace zc::relay {

// When the next packet may go, in a write of its own, to a client that keeps up. A client that
// takes one packet per read must have read one packet before the next reaches it, so writes are
// at least kMinGap apart, and the next waits until the client has acknowledged the last write
// (a small segment is acknowledged when the reader takes it, unless the peer delays its
// acknowledgements on purpose) but never longer than kAckWait.
class WritePace {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr Clock::duration kMinGap = std::chrono::microseconds(500);
    static constexpr Clock::duration kAckWait = std::chrono::milliseconds(10);

    // `acked` tells whether the last write was acknowledged; asked only when it matters.
    template <class Acked>
    bool MayWrite(Clock::time_point now, Acked&& acked) const {
        if (now < last_ + kMinGap) return false;
        return now >= last_ + kAckWait || acked();
    }

    // When to ask MayWrite again after it said no: asking less often the longer the wait.
    Clock::time_point NextCheck(Clock::time_point now) const {
        if (now < last_ + kMinGap) return last_ + kMinGap;
        return std::min(last_ + 2 * (now - last_), last_ + kAckWait);
    }

    void Wrote(Clock::time_point now) { last_ = now; }

private:
    Clock::time_point last_{};
};

}  // namespace zc::relay
