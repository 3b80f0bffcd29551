#include "net/gateway_trust.h"

#include "base/text_helpers.h"

namespace zc {

void GatewayTrust::Set(const std::vector<std::string>& gateways, const std::vector<Ipv4Subnet>& localSubnets) {
    gateways_.clear();
    for (const std::string& text : gateways) {
        const auto address = ParseDottedIpv4(text);
        if (!address) continue;
        Gateway g{*address, {*address, 0xFFFFFF00u}};
        // The narrowest network that holds it is the one the kernel would reach it through.
        bool local = false;
        for (const Ipv4Subnet& net : localSubnets) {
            if (!net.Contains(*address) || (local && net.mask <= g.segment.mask)) continue;
            g.segment = net;
            local = true;
        }
        gateways_.push_back(g);
    }
}

const GatewayTrust::Gateway* GatewayTrust::Find(const std::string& source) const {
    if (gateways_.empty()) return nullptr;
    const auto address = ParseDottedIpv4(source);
    if (!address) return nullptr;
    for (const Gateway& g : gateways_)
        if (g.address == *address) return &g;
    return nullptr;
}

bool GatewayTrust::MaySpeakFor(const std::string& source, const std::string& claimed) const {
    const Gateway* g = Find(source);
    const auto ip = ParseDottedIpv4(claimed);
    if (!g || !ip) return false;
    // No host elsewhere has "this network", loopback, multicast or broadcast addresses.
    const std::uint32_t first = *ip >> 24;
    if (first == 0 || first == 127 || first >= 224) return false;
    return !g->segment.Contains(*ip);
}

}  // namespace zc
