#pragma once
#include "platform/clock.h"

namespace zc {

class QtClock : public Clock {
public:
    std::time_t Now() const override;
    std::tm LocalTime(std::time_t t) const override;
    std::int64_t MonotonicMs() const override;
    void SleepMs(int ms) override;
};

}  // namespace zc
