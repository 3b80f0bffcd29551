#include "net/board_requests.h"

#include <algorithm>
#include <set>

#include "services/board_store.h"

namespace zc {
namespace {

// Log lines about hostile lists come at most this often, however many lists arrive.
constexpr std::int64_t kNoteSeconds = 60;

}  // namespace

BoardRequests::Peer& BoardRequests::PeerOf(const std::string& peer, std::int64_t now, std::string& note) {
    auto it = peers_.find(peer);
    if (it == peers_.end() && peers_.size() >= kMaxPeers) {
        auto oldest = std::min_element(peers_.begin(), peers_.end(),
                                       [](const auto& a, const auto& b) { return a.second.touched < b.second.touched; });
        peers_.erase(oldest);
        if (now - lastNote_ >= kNoteSeconds) {
            note = ":::Board lists of more than " + std::to_string(kMaxPeers) + " peers, the oldest dropped";
            lastNote_ = now;
        }
    }
    Peer& p = peers_[peer];
    p.touched = now;
    return p;
}

bool BoardRequests::AskedAnywhere(const std::string& name) const {
    for (const auto& [id, p] : peers_)
        if (p.out.count(name)) return true;
    return false;
}

std::vector<std::string> BoardRequests::OnList(const std::string& peer, const std::string& list, std::int64_t now,
                                               const Have& have, std::string& note) {
    Peer& p = PeerOf(peer, now, note);
    p.waiting.clear();  // the newest list says what the peer has
    std::set<std::string> taken;
    bool cut = false;
    // As the list was always read: a name ends at ";", and a rest of five characters or less is no name.
    for (size_t pos = 0; list.size() - pos > 5;) {
        const size_t semi = list.find(';', pos);
        if (semi == std::string::npos) break;
        const std::string name = list.substr(pos, semi - pos);
        pos = semi + 1;
        if (!IsBoardFileName(name) || taken.count(name) || AskedAnywhere(name) || have(name)) continue;
        if (taken.size() == kNamesPerList) {
            cut = true;
            break;
        }
        taken.insert(name);
        p.waiting.push_back(name);
    }
    if (cut && now - lastNote_ >= kNoteSeconds) {
        note = ":::Board list of " + peer + " cut to " + std::to_string(kNamesPerList) + " names";
        lastNote_ = now;
    }
    return Next(peer, now, have);
}

bool BoardRequests::Answered(const std::string& peer, const std::string& name) {
    auto it = peers_.find(peer);
    return it != peers_.end() && it->second.out.erase(name) > 0;
}

std::vector<std::string> BoardRequests::Next(const std::string& peer, std::int64_t now, const Have& have) {
    std::vector<std::string> ask;
    auto it = peers_.find(peer);
    if (it == peers_.end()) return ask;
    Peer& p = it->second;
    std::erase_if(p.out, [now](const auto& e) { return now - e.second >= kAnswerSeconds || e.second > now; });
    while (p.out.size() < kOutstanding && !p.waiting.empty()) {
        const std::string name = p.waiting.front();
        p.waiting.pop_front();
        if (have(name) || AskedAnywhere(name)) continue;
        p.out[name] = now;
        ask.push_back(name);
    }
    if (p.out.empty() && p.waiting.empty()) peers_.erase(it);
    return ask;
}

size_t BoardRequests::Outstanding(const std::string& peer) const {
    auto it = peers_.find(peer);
    return it == peers_.end() ? 0 : it->second.out.size();
}

size_t BoardRequests::Waiting(const std::string& peer) const {
    auto it = peers_.find(peer);
    return it == peers_.end() ? 0 : it->second.waiting.size();
}

}  // namespace zc
