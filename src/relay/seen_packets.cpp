#include "relay/seen_packets.h"

#include <functional>

namespace zc::relay {

bool SeenPackets::Fresh(std::string_view bytes, uint64_t origin, Clock::time_point now) {
    Expire(now);
    // The size beside the hash makes an accidental match even less likely.
    const uint64_t key = std::hash<std::string_view>{}(bytes) ^ (uint64_t{bytes.size()} << 48);
    auto [it, added] = byHash_.try_emplace(key, Sighting{origin, now});
    if (!added) {
        if (it->second.origin != origin && now - it->second.at < kWindow) return false;
        it->second = {origin, now};
    }
    order_.emplace_back(now, key);
    return true;
}

// Old sightings go, and past the cap the oldest go early: a flood of distinct packets costs
// bounded memory and at worst lets a late duplicate through.
void SeenPackets::Expire(Clock::time_point now) {
    while (!order_.empty() && (now - order_.front().first >= kWindow || byHash_.size() >= kMaxEntries ||
                               order_.size() >= 2 * kMaxEntries)) {
        const auto [at, key] = order_.front();
        order_.pop_front();
        if (auto it = byHash_.find(key); it != byHash_.end() && it->second.at == at) byHash_.erase(it);
    }
}

}  // namespace zc::relay
