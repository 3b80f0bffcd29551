#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>

#include "net/token_bucket.h"

namespace zc {

// Answers that are paced apart, each with its own budget per source.
enum class AnswerKind {
    Card,   // information card, process list, avatar announcement, refusals
    Board,  // board messages a peer lacks
};

// Paces our answers to peers' requests, per source address and in total, so that a flood of
// requests costs us less than it costs the sender while an honest peer's occasional request is
// answered at once. Everything we send draws on the total; answers leave a reserve of it to our
// own requests, so a stranger's requests never crowd out what we ask of others.
class AnswerPacer {
public:
    // Presence answers (HERE with activity, our board list): a source's repeats of one request
    // within a second share the one answer; beyond that four at once, then one per ten seconds,
    // which is more than an honest copy's refresh asks for.
    static constexpr std::int64_t kMergeMs = 1000;
    static constexpr double kPresenceBurst = 4, kPresencePerSecond = 0.1;
    // Bytes one source may draw: a few cards or process lists at once, then a trickle.
    static constexpr double kCardBytes = 16384, kCardBytesPerSecond = 128;
    // Enough for a newcomer to fetch every board message we wrote.
    static constexpr double kBoardBytes = 131072, kBoardBytesPerSecond = 2048;
    static constexpr double kTotalBytes = 262144, kTotalBytesPerSecond = 65536, kReservedBytes = 65536;
    // Sources remembered; past it, idle ones are forgotten and the rest share one budget.
    static constexpr size_t kMaxSources = 1024;

    enum class Verdict { Send, Merged, Refused };
    // request: the command answered (CMD_WHO, CMD_ENTER, CMD_CHANGEMODE); bytes: the answer's size.
    Verdict Presence(const std::string& source, int request, size_t bytes, std::int64_t nowMs);
    Verdict Answer(const std::string& source, AnswerKind kind, size_t bytes, std::int64_t nowMs);
    // Every packet we send, our own and answers alike.
    void Sent(size_t bytes, std::int64_t nowMs);

    size_t Merged() const { return merged_; }
    size_t Refused() const { return refused_; }
    size_t Sources() const { return sources_.size(); }

private:
    struct Source {
        TokenBucket presence, cards, board;
        std::array<std::int64_t, 3> lastPresenceMs;
        bool Idle(std::int64_t nowMs);
    };
    Source& Of(const std::string& source, std::int64_t nowMs);
    Verdict Refuse() {
        ++refused_;
        return Verdict::Refused;
    }

    std::map<std::string, Source> sources_;
    std::int64_t lastSweepMs_ = -kMergeMs;
    TokenBucket total_ = TokenBucket::Full(kTotalBytes, kTotalBytesPerSecond, 0);
    size_t merged_ = 0, refused_ = 0;
};

}  // namespace zc
