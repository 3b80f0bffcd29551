#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/system_facts.h"

namespace zc {

// The relays (GATEWAYS) that bring packets of other segments onto ours, each with the segment it
// stands on: the local network that holds its address, else its /24. Hosts of that segment are
// heard directly, so nobody may speak for them from afar, the gateway included.
class GatewayTrust {
public:
    // Addresses as dotted text; what cannot be read is left out.
    void Set(const std::vector<std::string>& gateways, const std::vector<Ipv4Subnet>& localSubnets);
    bool IsGateway(const std::string& source) const { return Find(source) != nullptr; }
    // Whether a packet that came from source may carry claimed in its IP field.
    bool MaySpeakFor(const std::string& source, const std::string& claimed) const;

private:
    struct Gateway {
        std::uint32_t address = 0;
        Ipv4Subnet segment;
    };
    const Gateway* Find(const std::string& source) const;
    std::vector<Gateway> gateways_;
};

}  // namespace zc
