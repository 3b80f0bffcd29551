#pragma once
#include <cstdint>
#include <ctime>

namespace zc {

// Wall clock and local time; tests move a fake one.
class Clock {
public:
    virtual ~Clock() = default;
    virtual std::time_t Now() const = 0;
    virtual std::tm LocalTime(std::time_t t) const = 0;
    // Monotonic milliseconds, for rate limits.
    virtual std::int64_t MonotonicMs() const = 0;
    virtual void SleepMs(int ms) = 0;
};

}  // namespace zc
