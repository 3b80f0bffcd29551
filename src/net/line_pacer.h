#pragma once
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "net/token_bucket.h"

namespace zc {

// Lines from one address (what a person wrote, and the notices and arrivals that come of it) at
// the pace a person types and reads: five at once, then one a second. The rest are counted, not shown, and the count is told
// once the flood is over (three quiet seconds), or each minute while it goes on.
class LinePacer {
public:
    static constexpr double kBurst = 5, kPerSecond = 1;
    static constexpr std::int64_t kQuietMs = 3000;
    static constexpr std::int64_t kReportEveryMs = 60000;
    static constexpr size_t kMaxSources = 1024;

    struct Report {
        std::string source, name;
        size_t held = 0;
    };

    // True when the line may be shown; otherwise it is counted for the source, under name.
    bool Allow(const std::string& source, const std::string& name, std::int64_t nowMs);
    // The counts due to be told, each taken once.
    std::vector<Report> TakeDue(std::int64_t nowMs);
    // The delay to arm the report timer with now, or -1 when it is armed already or nothing is held.
    std::int64_t TimerDelay(std::int64_t nowMs);
    size_t HeldTotal() const { return heldTotal_; }

private:
    struct Source {
        TokenBucket bucket;
        size_t held = 0;
        std::int64_t firstHeldMs = 0, lastHeldMs = 0, lastReportMs = 0;
        std::string name;
    };
    Source& Of(const std::string& source, std::int64_t nowMs);
    std::int64_t DueAt(const Source& s) const;

    std::map<std::string, Source> sources_;
    std::int64_t lastSweepMs_ = -kQuietMs;
    std::int64_t timerDueMs_ = -1;
    bool newFlood_ = false;
    size_t heldTotal_ = 0;
};

}  // namespace zc
