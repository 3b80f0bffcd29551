#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "net/chat_packet.h"

namespace zc {

// Which address each identity belongs to. The first address heard for an identity owns it; a
// packet claiming that identity from another address is held, not shown, until a probe (a WHO
// to everybody) has shown that the old address is silent: then the identity has moved (a laptop
// on another network) and the held packets count. When the old address answers, the claim was
// a stranger's and its packets are dropped.
class IdentityOwners {
public:
    static constexpr size_t kMaxOwners = 8192;
    static constexpr size_t kMaxClaims = 32;
    static constexpr size_t kHeldPerClaim = 16;
    // How long the old address has to answer the probe.
    static constexpr int kProbeSeconds = 3;
    // At most one probe in this time, whoever claims what: slower than the others answer a WHO
    // from one address (one every 10 s after a few), with our refresh besides, so a stranger's
    // claims cannot wear out the answers that would refute them.
    static constexpr int kProbeIntervalSeconds = 20;
    // A refused claim is not probed again for this long.
    static constexpr int kRefusedSeconds = 60;

    enum class Verdict { Owner, Held, Dropped };

    // Records that the packet's identity was heard from its address. Held packets are kept
    // with their claim (a few per claim); Dropped ones are gone.
    Verdict Check(const CChatPacket& packet, std::int64_t now);
    // Our own identity is where we say it is.
    void SetOwner(const std::string& id, const std::string& ip, std::int64_t now);
    // The address an identity belongs to; empty when unknown.
    std::string IpOf(const std::string& id) const;

    // True when a probe should go out now for a waiting claim; it is then taken as sent.
    bool TakeProbe(std::int64_t now);
    // Seconds until a claim can be settled or probed; -1 when no claim waits.
    std::int64_t SecondsToNextStep(std::int64_t now) const;

    struct Settled {
        std::string id, from, to;
        bool moved = false;
        std::vector<CChatPacket> held;  // in arrival order; empty when refused
    };
    // Claims whose probe window has ended.
    std::vector<Settled> Settle(std::int64_t now);
    size_t Claims() const { return claims_.size(); }

private:
    struct Owner {
        std::string ip;
        std::int64_t lastHeard = 0;
    };
    struct Claim {
        std::string id, ip;
        std::int64_t since = 0;
        std::int64_t probedAt = -1;
        std::int64_t refusedUntil = -1;
        std::vector<CChatPacket> held;
    };
    void EvictStalestOwner();
    Claim* FindClaim(const std::string& id, const std::string& ip);
    std::map<std::string, Owner> owners_;
    std::vector<Claim> claims_;
    std::int64_t lastProbe_ = -1;
};

}  // namespace zc
