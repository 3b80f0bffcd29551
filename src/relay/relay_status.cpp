// The answer to a status request: what the connection check shows about this relay.
#include <algorithm>
#include <vector>

#include "relay/peer_gateways.h"
#include "relay/relay_server.h"

namespace zc::relay {

namespace {

constexpr auto kRecentSites = std::chrono::minutes(10);
// The answer stays one read of a client that takes 4096 bytes at a time.
constexpr size_t kListedSites = 32;

std::string ClockTime(std::time_t at) {
    char stamp[16] = "?";
    std::tm local{};
    if (localtime_r(&at, &local)) std::strftime(stamp, sizeof stamp, "%H:%M:%S", &local);
    return stamp;
}

}  // namespace

bool RelayServer::IsStatusRequest(std::string_view packet) const {
    return packet.size() == kStatusRequest.size() + 1 && packet.starts_with(kStatusRequest);
}

std::string RelayServer::StatusText() const {
    std::string out = std::string(kStatusRequest) + "\n";
    if (group_) out += "gateway: " + group_->Describe() + "\n";
    if (broker_) {
        const BrokerConfig& broker = config_.broker;
        out += "broker: " + broker.Url() + " site " + broker.site + " room " + broker.room + ", " +
               (brokerUp_ ? std::string("link up")
                          : brokerToldDown_ ? "link down since " + ClockTime(brokerDownSince_) : std::string("connecting")) +
               "\n";
        std::vector<std::string> sites;
        for (const auto& [site, heard] : sites_)
            if (now_ - heard < kRecentSites) sites.push_back(site);
        std::sort(sites.begin(), sites.end());
        std::string list;
        for (size_t i = 0; i < std::min(sites.size(), kListedSites); ++i) list += (i ? ", " : "") + sites[i];
        if (sites.size() > kListedSites) list += " and " + std::to_string(sites.size() - kListedSites) + " more";
        if (!list.empty()) out += "sites: " + list + "\n";
    }
    if (peers_) out += "peers: " + peers_->Describe() + "\n";
    return out;
}

}  // namespace zc::relay
