#pragma once
#include <algorithm>
#include <cstdint>

namespace zc {

// A budget that fills at a steady rate up to its capacity; what is spent comes out of it.
// Time is the chat's monotonic milliseconds, so the same packets always get the same verdicts.
struct TokenBucket {
    double capacity = 0, perSecond = 0;
    double level = 0;
    std::int64_t lastMs = 0;

    static TokenBucket Full(double capacity, double perSecond, std::int64_t nowMs) {
        return {capacity, perSecond, capacity, nowMs};
    }
    void Refill(std::int64_t nowMs) {
        if (nowMs <= lastMs) return;
        level = std::min(capacity, level + static_cast<double>(nowMs - lastMs) * perSecond / 1000.0);
        lastMs = nowMs;
    }
    bool Has(double amount, std::int64_t nowMs) {
        Refill(nowMs);
        return level >= amount;
    }
    bool Take(double amount, std::int64_t nowMs) {
        if (!Has(amount, nowMs)) return false;
        level -= amount;
        return true;
    }
    // Spends even past empty, down to one capacity in debt.
    void Charge(double amount, std::int64_t nowMs) {
        Refill(nowMs);
        level = std::max(-capacity, level - amount);
    }
    bool IsFull(std::int64_t nowMs) { return Has(capacity, nowMs); }
};

}  // namespace zc
