#pragma once
#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <unordered_set>

namespace zc {

// What we asked peers for, so that only answers to our own questions start a transfer: a file
// whose offer we accepted, an avatar or a desktop picture we requested. Each ask counts once,
// for a minute; the oldest asks give way past the cap.
class TransferAsks {
public:
    static constexpr size_t kMaxAsks = 64;
    static constexpr std::int64_t kAnswerSeconds = 60;
    static constexpr size_t kMaxOpenQuestions = 4;
    // File: an offer we accepted. Avatar, Desktop, Info: what we requested. AvatarServed: a
    // request for our avatar we answered, so the peer may now ask for the file.
    enum class Kind { File, Avatar, Desktop, Info, AvatarServed };

    void Asked(Kind kind, const std::string& peerId, const std::string& name, std::int64_t now);
    // True once for an answer that matches an ask of the last minute (the name too, where one
    // was asked for); the ask is used up.
    bool TakeAnswer(Kind kind, const std::string& peerId, const std::string& name, std::int64_t now);
    bool Waiting(Kind kind, std::int64_t now) const;

    // Offers waiting for the user's answer, one per peer and a few in all; false when full.
    bool OpenQuestion(const std::string& peerId);
    void CloseQuestion(const std::string& peerId) { openQuestions_.erase(peerId); }

    // A missing avatar is asked for once per user and session.
    bool AvatarAskedBefore(const std::string& peerId) const { return avatarsAsked_.count(peerId) > 0; }
    void NoteAvatarAsked(const std::string& peerId);

private:
    struct Ask {
        Kind kind;
        std::string peerId, name;
        std::int64_t at;
    };
    std::deque<Ask> asks_;
    std::unordered_set<std::string> avatarsAsked_;
    std::unordered_set<std::string> openQuestions_;
};

}  // namespace zc
