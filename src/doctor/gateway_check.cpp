#include "doctor/gateway_check.h"

#include "base/text_helpers.h"

namespace zc::doctor {
namespace {

// The interface whose network holds address; null when none does.
const InterfaceAddress* NetworkOf(const std::string& address, const std::vector<InterfaceAddress>& all) {
    const auto ip = ParseDottedIpv4(address);
    for (const InterfaceAddress& a : all) {
        const auto own = ParseDottedIpv4(a.address), mask = ParseDottedIpv4(a.netmask);
        if (ip && own && mask && a.up && !a.loopback && (*ip & *mask) == (*own & *mask)) return &a;
    }
    return nullptr;
}

}  // namespace

CheckLine CheckGateways(const CNetSettings& net, const std::vector<InterfaceAddress>& all) {
    const std::string kName = "gateways";
    std::vector<std::string> listed, astray;
    for (const std::string& g : net.gateways) {
        const InterfaceAddress* on = NetworkOf(g, all);
        listed.push_back(g + (on ? " (on " + on->name + ")" : " (on no network of this computer)"));
        if (!on) astray.push_back(g);
    }
    std::string text = listed.empty() ? "none trusted" : "trusting " + JoinTexts(listed, ", ");
    if (!net.badGateways.empty()) text += "; not addresses, ignored: " + JoinTexts(net.badGateways, ", ");
    CheckLine line = Ok(kName, text);
    if (!astray.empty())
        line = Warn(kName, text,
                    "a gateway is heard only on its own segment: list in GATEWAYS the address it has on this "
                    "computer's network");
    else if (!net.badGateways.empty())
        line = Warn(kName, text, "correct GATEWAYS in [NETWORK] of the profile");
    line.details.push_back("files to users behind a gateway go straight to their address: they need a routed path");
    return line;
}

}  // namespace zc::doctor
