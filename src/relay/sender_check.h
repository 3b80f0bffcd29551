#pragma once
#include <chrono>
#include <cstdint>
#include <string_view>
#include <vector>

namespace zc::relay {

// Whether a packet may speak for the address it names: a client's packets must name the address
// it connected from (a client on the relay's own host may name any address of this host), a
// datagram's the address it came from.
class SenderCheck {
public:
    enum class Verdict { Own, Translated, Forged };

    // nat: clients behind address translation; what they name is accepted (and reported).
    explicit SenderCheck(bool nat = false) : nat_(nat) {}

    // peer and the result in network byte order. Own: the packet names its peer (or a local
    // peer names this host); Translated: it names another address but nat is on; Forged: neither,
    // or it names no address at all.
    Verdict Check(std::string_view wire, uint32_t peer);
    // For tests: the host's own addresses instead of asking the system.
    void SetLocalAddresses(std::vector<uint32_t> addresses);

private:
    bool IsLocal(uint32_t address);
    bool nat_;
    bool fixed_ = false;
    std::vector<uint32_t> local_;
    std::chrono::steady_clock::time_point readAt_{};
};

}  // namespace zc::relay
