#include "doctor/relay_status.h"

namespace zc::doctor {

RelayStatus ParseRelayStatus(const std::string& packet) {
    RelayStatus s;
    const std::string head = std::string(kRelayStatusQuery) + "\n";
    if (packet.size() > kMaxRelayStatusBytes || packet.compare(0, head.size(), head) != 0) return s;
    s.answered = true;
    size_t start = head.size();
    while (start < packet.size()) {
        size_t end = packet.find('\n', start);
        if (end == std::string::npos) end = packet.size();
        const std::string line = packet.substr(start, end - start);
        start = end + 1;
        const size_t colon = line.find(": ");
        if (colon == std::string::npos) continue;
        const std::string key = line.substr(0, colon), value = line.substr(colon + 2);
        std::string* into = key == "gateway" ? &s.gateway
                            : key == "broker" ? &s.broker
                            : key == "sites"  ? &s.sites
                            : key == "peers"  ? &s.peers
                                              : nullptr;
        // The first of each counts; keys of later relays are left out.
        if (into && into->empty()) *into = PrintableText(value, 160);
    }
    return s;
}

std::vector<CheckLine> RelayLinkLines(const RelayStatus& s) {
    const std::string kName = "relay link";
    std::vector<CheckLine> lines;
    if (!s.answered) return lines;
    if (!s.gateway.empty()) lines.push_back(Ok(kName, "gateway " + s.gateway));
    std::string sites = s.sites.empty() ? "" : "sites heard: " + s.sites;
    if (!s.broker.empty()) lines.push_back(Ok(kName, "broker " + s.broker + (sites.empty() ? "" : "; " + sites)));
    else if (!sites.empty()) lines.push_back(Ok(kName, sites));
    if (!s.peers.empty()) lines.push_back(Ok(kName, "peers " + s.peers));
    return lines;
}

}  // namespace zc::doctor
