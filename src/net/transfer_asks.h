#pragma once
#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <unordered_map>

namespace zc {

// What we asked peers for, so that only answers to our own questions start a transfer or open a
// window: a file whose offer we accepted, an avatar, a desktop picture, a card or a process list
// we requested. Each ask counts once, for a minute, and only from the address the peer had when
// we asked; the oldest asks give way past the cap.
class TransferAsks {
public:
    static constexpr size_t kMaxAsks = 64;
    static constexpr std::int64_t kAnswerSeconds = 60;
    // A missing avatar is asked for again after this, twice as long after each try, at most kMax.
    static constexpr std::int64_t kAvatarRetrySeconds = 300;
    static constexpr std::int64_t kAvatarRetryMaxSeconds = 3600;
    // File: an offer we accepted. Avatar, Desktop, Info, ProcessList: what we requested.
    // AvatarServed: a request for our avatar we answered, so the peer may now ask for the file.
    enum class Kind { File, Avatar, Desktop, Info, ProcessList, AvatarServed };

    void Asked(Kind kind, const std::string& peerId, const std::string& peerIp, const std::string& name,
               std::int64_t now);
    // True once for an answer from the asked peer's address that matches an ask of the last
    // minute (the name too, where one was asked for); the ask is used up.
    bool TakeAnswer(Kind kind, const std::string& peerId, const std::string& fromIp, const std::string& name,
                    std::int64_t now);
    bool Waiting(Kind kind, std::int64_t now) const;

    // A missing avatar is asked for again only after a while, longer after each try: a fetch
    // that fails is retried later, never in a loop.
    bool AvatarAskDue(const std::string& peerId, std::int64_t now) const;
    void NoteAvatarAsked(const std::string& peerId, std::int64_t now);

private:
    struct Ask {
        Kind kind;
        std::string peerId, peerIp, name;
        std::int64_t at;
    };
    struct AvatarTries {
        std::int64_t nextAt = 0;
        std::int64_t wait = kAvatarRetrySeconds;
    };
    std::deque<Ask> asks_;
    std::unordered_map<std::string, AvatarTries> avatarsAsked_;
};

}  // namespace zc
