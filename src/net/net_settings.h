#pragma once
#include <functional>
#include <string>
#include <vector>

namespace zc {

// The network settings of the current profile, as the transports use them.
struct CNetSettings {
    int active = 0;
    int useServer = 0;
    int port = 9010;
    int filePort = 9011;
    std::string interfaceAddr = "0.0.0.0";
    std::string name;
    int ttl = 0;            // multicast only, 1..255
    bool ttlClamped = false;  // the file asked for more than a TTL can hold
    std::string group;      // multicast only
    // Multicast only: relays that bring other segments' packets onto ours (GATEWAYS), and the
    // entries of that list that are no host's address.
    std::vector<std::string> gateways, badGateways;
    int serverPort = 0;     // relay only
    std::string server;     // relay only
};

CNetSettings ReadNetSettings(const std::string& profilePath);

// The address our packets name. A relay believes only the address it sees a client connect from,
// so in relay mode without a chosen interface that is the route's source toward the relay, as
// `routeSourceToward(server)` tells it, unless unknown ("") or loopback (a relay on this machine
// takes any of its addresses, and others must not be told 127.x); else `interfaceAddress`.
std::string AddressToName(const CNetSettings& s, const std::string& interfaceAddress,
                          const std::function<std::string(const std::string& server)>& routeSourceToward);

// GATEWAYS: IPv4 host addresses split by commas or blanks; each listed once.
struct GatewayList {
    std::vector<std::string> good, bad;
};
GatewayList ParseGateways(const std::string& text);

// The ports a profile may name; any other value is replaced by the default.
inline constexpr int kLowestPort = 1025, kHighestPort = 65530;
int PortOr(int value, int fallback);

}  // namespace zc
