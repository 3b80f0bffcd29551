// The relay's side of the broker link: what it publishes, and what it passes on from other sites.
#include <cstring>
#include <deque>
#include <functional>

#include "relay/broker_link.h"
#include "relay/claimed_address.h"
#include "relay/peer_gateways.h"
#include "relay/relay_server.h"

namespace zc::relay {

namespace {

// Broker origins in the memory of packets seen, beside clients (small numbers) and the group (top bit).
constexpr uint64_t kBrokerOrigin = uint64_t{1} << 62;
// The chat's presence query: every copy that hears it answers to everybody.
constexpr int kPresenceQuery = 2;
// A presence query older than this is not sent to sites met again: their copies have asked since.
constexpr auto kPresenceLife = std::chrono::minutes(20);
constexpr auto kSiteMemory = std::chrono::minutes(10);
constexpr size_t kMaxSites = 256;

}  // namespace

void RelayServer::ReadBroker() {
    std::deque<BrokerLink::Event> events;
    broker_->Take(events);
    const BrokerConfig& config = config_.broker;
    for (BrokerLink::Event& event : events) {
        switch (event.kind) {
            case BrokerLink::Event::Kind::Up:
                brokerUp_ = true;
                brokerToldDown_ = false;
                log_("broker link up: " + config.Url() + " site " + config.site + " room " + config.room);
                // The other sites' copies answer it, so both sides list each other now, not at the next refresh.
                if (!presence_.empty() && now_ - presenceAt_ < kPresenceLife && broker_->Publish(presence_)) {
                    ++stats_.toBroker;
                    log_("sent the latest presence query to the other sites");
                }
                break;
            case BrokerLink::Event::Kind::Down:
                if (brokerUp_ || !brokerToldDown_) {
                    log_("broker link down: " + event.text + ", retrying in " + std::to_string(event.retrySeconds) + " s");
                    brokerToldDown_ = true;
                    brokerDownSince_ = std::time(nullptr);
                }
                brokerUp_ = false;
                break;
            case BrokerLink::Event::Kind::Message:
                FromBroker(event.text, event.gateway, std::move(event.payload));
                break;
        }
    }
    for (const uint64_t refused = broker_->Refused(); linkRefused_ < refused; ++linkRefused_)
        DropFromBroker("too long, or too many at once");
}

// A packet another site published: a stranger's, whoever relayed it.
void RelayServer::FromBroker(const std::string& topic, const std::string& gateway, std::string&& payload) {
    const std::string room = "zeltochat/" + config_.broker.room + "/";
    const std::string_view site = std::string_view(topic).substr(std::min(topic.size(), room.size()));
    if (!topic.starts_with(room) || !IsPlainName(site)) return DropFromBroker("on an unexpected topic");
    if (site == config_.broker.site) return;  // our own site's: its copies have it already
    payload.resize(strnlen(payload.data(), payload.size()));
    if (payload.empty()) return DropFromBroker("empty");
    payload.push_back('\0');
    const auto claimed = ClaimedAddress(payload);
    if (!claimed) return DropFromBroker("from site " + std::string(site) + " names no address");
    // Nobody can speak for a host of our own segment from afar.
    if (group_ && group_->OnSegment(*claimed))
        return DropFromBroker("from site " + std::string(site) + " speaks for " + DottedAddress(*claimed) +
                              " on this segment");
    // Nor for a host another site, or our own side, has lately spoken for.
    if (!addressSites_.Admit(*claimed, site, now_)) {
        const std::string holder = addressSites_.Holder(*claimed, now_);
        return DropFromBroker("from site " + std::string(site) + " speaks for " + DottedAddress(*claimed) + ", heard " +
                              (holder.empty() ? std::string("on this side") : "at site " + holder));
    }
    if (auto it = sites_.find(std::string(site)); it != sites_.end()) {
        it->second = now_;
    } else {
        if (sites_.size() >= kMaxSites)
            std::erase_if(sites_, [this](const auto& s) { return now_ - s.second >= kSiteMemory; });
        if (sites_.size() < kMaxSites) sites_.emplace(site, now_);
    }
    // Two gateways of one site publish the same packet: the origin is the topic and the gateway.
    const uint64_t origin = kBrokerOrigin | (std::hash<std::string>{}(topic + '\0' + gateway) & (kBrokerOrigin - 1));
    if (!seen_.Fresh(payload, origin, now_)) {
        ++stats_.duplicates;
        return;
    }
    ++stats_.fromBroker;
    if (group_ && (!peers_ || peers_->SendNow(payload, now_)) && group_->Send(payload)) ++stats_.toGroup;
    Fanout(nullptr, std::move(payload));
}

// Counted; the first and then every 1000th are logged.
void RelayServer::DropFromBroker(const std::string& why) {
    if (stats_.brokerDropped++ % 1000 == 0)
        log_("dropped a broker packet: " + why + " (" + std::to_string(stats_.brokerDropped) + " dropped so far)");
}

void RelayServer::OurSideSpoke(std::string_view packet) {
    if (!broker_) return;
    if (broker_->Publish(packet)) ++stats_.toBroker;
    if (const auto claimed = ClaimedAddress(packet)) addressSites_.Ours(*claimed, now_);
    if (PacketCommand(packet) != kPresenceQuery) return;
    presence_.assign(packet);
    presenceAt_ = now_;
}

void RelayServer::SendHeldToGroup(Clock::time_point now) {
    if (!peers_) return;
    const std::string down = peers_->SendDue(now, [this](std::string_view packet) {
        if (group_->Send(packet)) ++stats_.toGroup;
    });
    if (!down.empty())
        log_("gateway " + down + " let another site's packet pass: sending them to the group at once until it is heard");
}

}  // namespace zc::relay
