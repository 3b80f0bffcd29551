#include "net/identity_owners.h"

#include <algorithm>

namespace zc {

void IdentityOwners::EvictStalestOwner() {
    auto stalest = owners_.begin();
    for (auto it = owners_.begin(); it != owners_.end(); ++it)
        if (it->second.lastHeard < stalest->second.lastHeard) stalest = it;
    if (stalest != owners_.end()) owners_.erase(stalest);
}

IdentityOwners::Claim* IdentityOwners::FindClaim(const std::string& id, const std::string& ip) {
    for (Claim& c : claims_)
        if (c.id == id && c.ip == ip) return &c;
    return nullptr;
}

IdentityOwners::Verdict IdentityOwners::Check(const CChatPacket& packet, std::int64_t now) {
    const std::string& id = packet.senderId;
    const std::string& ip = packet.senderIp;
    auto it = owners_.find(id);
    if (it == owners_.end()) {
        if (owners_.size() >= kMaxOwners) EvictStalestOwner();
        owners_[id] = {ip, now};
        return Verdict::Owner;
    }
    if (it->second.ip == ip) {
        it->second.lastHeard = now;
        return Verdict::Owner;
    }
    Claim* claim = FindClaim(id, ip);
    if (!claim) {
        if (claims_.size() >= kMaxClaims) return Verdict::Dropped;
        claims_.push_back({id, ip, now, -1, -1, {}});
        claim = &claims_.back();
    }
    if (claim->refusedUntil > now) return Verdict::Dropped;
    if (claim->refusedUntil >= 0) {  // its time out is over: a new claim
        claim->refusedUntil = -1;
        claim->since = now;
        claim->probedAt = -1;
    }
    if (claim->held.size() >= kHeldPerClaim) return Verdict::Dropped;
    claim->held.push_back(packet);
    return Verdict::Held;
}

void IdentityOwners::SetOwner(const std::string& id, const std::string& ip, std::int64_t now) {
    if (owners_.find(id) == owners_.end() && owners_.size() >= kMaxOwners) EvictStalestOwner();
    owners_[id] = {ip, now};
    claims_.erase(std::remove_if(claims_.begin(), claims_.end(), [&](const Claim& c) { return c.id == id; }),
                  claims_.end());
}

std::string IdentityOwners::IpOf(const std::string& id) const {
    auto it = owners_.find(id);
    return it == owners_.end() ? std::string() : it->second.ip;
}

bool IdentityOwners::TakeProbe(std::int64_t now) {
    if (lastProbe_ >= 0 && now - lastProbe_ < kProbeIntervalSeconds) return false;
    bool waiting = false;
    for (Claim& c : claims_)
        if (c.probedAt < 0 && c.refusedUntil < 0) {
            c.probedAt = now;
            waiting = true;
        }
    if (waiting) lastProbe_ = now;
    return waiting;
}

std::int64_t IdentityOwners::SecondsToNextStep(std::int64_t now) const {
    std::int64_t next = -1;
    auto consider = [&](std::int64_t at) {
        const std::int64_t wait = std::max<std::int64_t>(0, at - now);
        if (next < 0 || wait < next) next = wait;
    };
    for (const Claim& c : claims_) {
        if (c.refusedUntil >= 0) continue;
        if (c.probedAt >= 0) consider(c.probedAt + kProbeSeconds);
        else consider(lastProbe_ < 0 ? now : lastProbe_ + kProbeIntervalSeconds);
    }
    return next;
}

std::vector<IdentityOwners::Settled> IdentityOwners::Settle(std::int64_t now) {
    std::vector<Settled> out;
    for (auto it = claims_.begin(); it != claims_.end();) {
        Claim& c = *it;
        if (c.refusedUntil >= 0 || c.probedAt < 0 || now < c.probedAt + kProbeSeconds) {
            // Refused claims are forgotten once their time out is over.
            if (c.refusedUntil >= 0 && c.refusedUntil <= now) it = claims_.erase(it);
            else ++it;
            continue;
        }
        Owner& owner = owners_[c.id];
        Settled s{c.id, owner.ip, c.ip, false, {}};
        if (owner.lastHeard >= c.probedAt) {  // the old address answered: not a move
            c.refusedUntil = now + kRefusedSeconds;
            c.held.clear();
            out.push_back(std::move(s));
            ++it;
            continue;
        }
        owner = {c.ip, now};
        s.moved = true;
        s.held = std::move(c.held);
        out.push_back(std::move(s));
        const std::string id = c.id;
        it = claims_.erase(it);
        // Other claims on the same identity start over against the new owner.
        for (Claim& other : claims_)
            if (other.id == id) other.probedAt = -1;
    }
    return out;
}

}  // namespace zc
