#pragma once
#include <chrono>
#include <cstdint>
#include <ctime>
#include <deque>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace zc::relay {

// Other gateways of this segment. What they forward to the group is theirs to have checked. A
// packet from the broker goes to the group once: the gateway with the lowest address among the
// live ones sends it at once, each other one holds it back 250 ms and sends it only if it has not
// appeared on the group meanwhile. The lower gateways that let two held packets in a row pass
// count as down until they are heard again (one may only have been slow).
class PeerGateways {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr Clock::duration kHold = std::chrono::milliseconds(250);
    static constexpr size_t kMaxHeld = 1024;  // past it, packets go at once

    // Addresses in network byte order; `self` is this gateway's address on the segment.
    PeerGateways(std::vector<uint32_t> peers, uint32_t self);

    bool IsPeer(uint32_t address) const;
    // A datagram from a peer: it is live, and a held packet with these bytes has appeared.
    // True when the peer had counted as down.
    bool Heard(uint32_t peer, std::string_view packet);
    // A broker packet for the group: true to send it now, else it is held.
    bool SendNow(std::string_view packet, Clock::time_point now);
    // Sends the held packets whose time is up and that did not appear on the group; returns the
    // peers that count as down since, as "10.1.0.253, ...", or "".
    std::string SendDue(Clock::time_point now, const std::function<void(std::string_view)>& send);
    // When the next held packet is due; max() when none is held.
    Clock::time_point NextDue() const;
    // "10.1.0.253, 10.1.0.252 down since 12:03:04"
    std::string Describe() const;

private:
    struct Peer {
        uint32_t address;  // network byte order
        bool down = false;
        int misses = 0;  // held packets it let pass since last heard
        std::time_t downSince = 0;
    };
    struct Held {
        Clock::time_point due;
        uint64_t key;
        std::string packet;
    };
    struct Count {
        size_t held = 0;
        size_t appeared = 0;
    };
    std::vector<Peer> peers_;
    uint32_t self_;
    std::deque<Held> held_;  // in order of `due`, every hold being as long
    std::unordered_map<uint64_t, Count> counts_;
};

}  // namespace zc::relay
