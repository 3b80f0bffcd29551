#pragma once
#include <string>

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
    int serverPort = 0;     // relay only
    std::string server;     // relay only
};

CNetSettings ReadNetSettings(const std::string& profilePath);

// The ports a profile may name; any other value is replaced by the default.
inline constexpr int kLowestPort = 1025, kHighestPort = 65530;
int PortOr(int value, int fallback);

}  // namespace zc
