#include "relay/peer_gateways.h"

#include <arpa/inet.h>

#include <algorithm>
#include <utility>

#include "relay/claimed_address.h"

namespace zc::relay {

namespace {

constexpr int kMissesToDown = 2;

uint64_t Key(std::string_view bytes) { return std::hash<std::string_view>{}(bytes) ^ (uint64_t{bytes.size()} << 48); }

}  // namespace

PeerGateways::PeerGateways(std::vector<uint32_t> peers, uint32_t self) : self_(self) {
    for (uint32_t address : peers)
        if (address != self && !IsPeer(address)) peers_.push_back({address});
}

bool PeerGateways::IsPeer(uint32_t address) const {
    return std::any_of(peers_.begin(), peers_.end(), [address](const Peer& p) { return p.address == address; });
}

bool PeerGateways::Heard(uint32_t peer, std::string_view packet) {
    bool wasDown = false;
    for (Peer& p : peers_)
        if (p.address == peer) {
            wasDown = std::exchange(p.down, false);
            p.misses = 0;
        }
    if (auto it = counts_.find(Key(packet)); it != counts_.end() && it->second.appeared < it->second.held)
        ++it->second.appeared;
    return wasDown;
}

bool PeerGateways::SendNow(std::string_view packet, Clock::time_point now) {
    const bool lowest = std::none_of(peers_.begin(), peers_.end(), [this](const Peer& p) {
        return !p.down && ntohl(p.address) < ntohl(self_);
    });
    if (lowest || held_.size() >= kMaxHeld) return true;
    const uint64_t key = Key(packet);
    held_.push_back({now + kHold, key, std::string(packet)});
    ++counts_[key].held;
    return false;
}

std::string PeerGateways::SendDue(Clock::time_point now, const std::function<void(std::string_view)>& send) {
    std::string down;
    while (!held_.empty() && held_.front().due <= now) {
        const Held held = std::move(held_.front());
        held_.pop_front();
        auto it = counts_.find(held.key);
        const bool appeared = it->second.appeared > 0;
        if (appeared) --it->second.appeared;
        if (--it->second.held == 0) counts_.erase(it);
        if (appeared) continue;
        // Every live gateway below us should have sent it by now.
        for (Peer& p : peers_)
            if (!p.down && ntohl(p.address) < ntohl(self_) && ++p.misses >= kMissesToDown) {
                p.down = true;
                p.downSince = std::time(nullptr);
                down += (down.empty() ? "" : ", ") + DottedAddress(p.address);
            }
        send(held.packet);
    }
    return down;
}

PeerGateways::Clock::time_point PeerGateways::NextDue() const {
    return held_.empty() ? Clock::time_point::max() : held_.front().due;
}

std::string PeerGateways::Describe() const {
    std::string out;
    for (const Peer& p : peers_) {
        if (!out.empty()) out += ", ";
        out += DottedAddress(p.address);
        if (p.down) {
            char stamp[16] = "?";
            std::tm local{};
            if (localtime_r(&p.downSince, &local)) std::strftime(stamp, sizeof stamp, "%H:%M:%S", &local);
            out += std::string(" down since ") + stamp;
        }
    }
    return out;
}

}  // namespace zc::relay
