#pragma once
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "services/board_entries.h"

namespace zc {

// Which board messages we asked which peer for. A peer's list is acted on a few names at a
// time and the next request goes only when an answer comes, so neither a long list nor a
// forged sender makes one packet cause more than a few; an answer we did not ask for is not
// taken.
class BoardRequests {
public:
    static constexpr size_t kOutstanding = 4;       // requests out per peer
    static constexpr size_t kNamesPerList = 64;     // names of one list acted on
    static constexpr size_t kMaxPeers = 32;         // peers whose lists we follow at once
    static constexpr std::int64_t kAnswerSeconds = 60;  // a request unanswered this long is given up

    using Have = std::function<bool(const std::string& name)>;

    // A peer's list (names each followed by ";"): the names to ask it for now. Names we have,
    // names repeated and names already asked for are left out. A log line, or "", in note.
    std::vector<std::string> OnList(const std::string& peer, const std::string& list, std::int64_t now,
                                    const Have& have, std::string& note);
    // An answer from peer: true when we asked it for that name (it is no longer out).
    bool Answered(const std::string& peer, const std::string& name);
    // What to ask the peer for next, now that a request slot is free.
    std::vector<std::string> Next(const std::string& peer, std::int64_t now, const Have& have);

    size_t Outstanding(const std::string& peer) const;
    size_t Waiting(const std::string& peer) const;
    size_t Peers() const { return peers_.size(); }

private:
    struct Peer {
        std::map<std::string, std::int64_t> out;  // name -> when asked
        std::deque<std::string> waiting;
        std::int64_t touched = 0;
    };
    Peer& PeerOf(const std::string& peer, std::int64_t now, std::string& note);
    bool AskedAnywhere(const std::string& name) const;
    std::map<std::string, Peer> peers_;
    std::int64_t lastNote_ = -1000000;
};

// What the chat keeps about the board between packets.
struct BoardState {
    BoardIndex files;
    BoardEntries entries;
    BoardRequests requests;
};

}  // namespace zc
