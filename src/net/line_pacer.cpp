#include "net/line_pacer.h"

#include <algorithm>

namespace zc {
namespace {

constexpr std::int64_t kNever = -(std::int64_t{1} << 40);
const std::string kCrowd;  // sources past the cap share it

}  // namespace

LinePacer::Source& LinePacer::Of(const std::string& source, std::int64_t nowMs) {
    auto it = sources_.find(source);
    if (it != sources_.end()) return it->second;
    if (sources_.size() >= kMaxSources && nowMs - lastSweepMs_ >= kQuietMs) {
        lastSweepMs_ = nowMs;
        for (auto s = sources_.begin(); s != sources_.end();)
            s = s->second.held == 0 && s->second.bucket.IsFull(nowMs) ? sources_.erase(s) : std::next(s);
    }
    const std::string& key = sources_.size() >= kMaxSources ? kCrowd : source;
    Source fresh{TokenBucket::Full(kBurst, kPerSecond, nowMs), 0, 0, 0, kNever, {}};
    return sources_.try_emplace(key, std::move(fresh)).first->second;
}

bool LinePacer::Allow(const std::string& source, const std::string& name, std::int64_t nowMs) {
    Source& s = Of(source, nowMs);
    if (s.bucket.Take(1, nowMs)) return true;
    if (s.held++ == 0) {
        s.firstHeldMs = nowMs;
        newFlood_ = true;
    }
    s.lastHeldMs = nowMs;
    if (s.name != name) s.name = name;
    ++heldTotal_;
    return false;
}

// Once quiet, or a minute into the flood; never twice within a minute for one source.
std::int64_t LinePacer::DueAt(const Source& s) const {
    const std::int64_t told = std::min(s.lastHeldMs + kQuietMs, s.firstHeldMs + kReportEveryMs);
    return std::max(told, s.lastReportMs + kReportEveryMs);
}

std::vector<LinePacer::Report> LinePacer::TakeDue(std::int64_t nowMs) {
    timerDueMs_ = -1;
    std::vector<Report> due;
    for (auto& [source, s] : sources_) {
        if (s.held == 0 || DueAt(s) > nowMs) continue;
        due.push_back({source, s.name, s.held});
        s.held = 0;
        s.lastReportMs = nowMs;
    }
    return due;
}

std::int64_t LinePacer::TimerDelay(std::int64_t nowMs) {
    // Only a new flood can bring the next report closer than the timer armed already.
    if (timerDueMs_ >= 0 && !newFlood_) return -1;
    newFlood_ = false;
    std::int64_t next = -1;
    for (const auto& [source, s] : sources_)
        if (s.held > 0 && (next < 0 || DueAt(s) < next)) next = DueAt(s);
    if (next < 0) return -1;
    next = std::max(next, nowMs + 1);
    if (timerDueMs_ >= 0 && timerDueMs_ <= next) return -1;
    timerDueMs_ = next;
    return next - nowMs;
}

}  // namespace zc
