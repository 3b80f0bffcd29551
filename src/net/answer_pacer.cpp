#include "net/answer_pacer.h"

#include "net/commands.h"

namespace zc {
namespace {

constexpr std::int64_t kNever = -(std::int64_t{1} << 40);
// Sources past the cap share this one (no address is empty).
const std::string kCrowd;

size_t SlotOf(int request) { return request == CMD_WHO ? 0 : request == CMD_ENTER ? 1 : 2; }

}  // namespace

bool AnswerPacer::Source::Idle(std::int64_t nowMs) {
    for (std::int64_t last : lastPresenceMs)
        if (nowMs - last < kMergeMs) return false;
    return presence.IsFull(nowMs) && cards.IsFull(nowMs) && board.IsFull(nowMs);
}

AnswerPacer::Source& AnswerPacer::Of(const std::string& source, std::int64_t nowMs) {
    auto it = sources_.find(source);
    if (it != sources_.end()) return it->second;
    // A full bucket is what a new source gets anyway, so forgetting idle ones loses nothing.
    // Once a second at most: a flood from many addresses must not make every packet sweep.
    if (sources_.size() >= kMaxSources && nowMs - lastSweepMs_ >= kMergeMs) {
        lastSweepMs_ = nowMs;
        for (auto s = sources_.begin(); s != sources_.end();) s = s->second.Idle(nowMs) ? sources_.erase(s) : std::next(s);
    }
    const std::string& key = sources_.size() >= kMaxSources ? kCrowd : source;
    Source fresh{TokenBucket::Full(kPresenceBurst, kPresencePerSecond, nowMs),
                 TokenBucket::Full(kCardBytes, kCardBytesPerSecond, nowMs),
                 TokenBucket::Full(kBoardBytes, kBoardBytesPerSecond, nowMs),
                 {kNever, kNever, kNever}};
    return sources_.try_emplace(key, fresh).first->second;
}

AnswerPacer::Verdict AnswerPacer::Presence(const std::string& source, int request, size_t bytes, std::int64_t nowMs) {
    Source& s = Of(source, nowMs);
    std::int64_t& last = s.lastPresenceMs[SlotOf(request)];
    if (nowMs - last < kMergeMs) {
        ++merged_;
        return Verdict::Merged;
    }
    if (!total_.Has(static_cast<double>(bytes) + kReservedBytes, nowMs) || !s.presence.Take(1, nowMs)) return Refuse();
    last = nowMs;
    return Verdict::Send;
}

AnswerPacer::Verdict AnswerPacer::Answer(const std::string& source, AnswerKind kind, size_t bytes, std::int64_t nowMs) {
    Source& s = Of(source, nowMs);
    TokenBucket& budget = kind == AnswerKind::Board ? s.board : s.cards;
    if (!total_.Has(static_cast<double>(bytes) + kReservedBytes, nowMs) || !budget.Take(static_cast<double>(bytes), nowMs))
        return Refuse();
    return Verdict::Send;
}

void AnswerPacer::Sent(size_t bytes, std::int64_t nowMs) { total_.Charge(static_cast<double>(bytes), nowMs); }

}  // namespace zc
