#pragma once
#include <string>

namespace zc {

// [NETWORK] of the profile as the chat will use it: numbers after the chat's own fallbacks.
struct NetworkValues {
    std::string interfaceAddr;  // empty: every interface
    std::string group = "225.0.0.1";
    std::string port = "9010";
    std::string filePort = "9011";
    std::string ttl = "8";
    bool useServer = false;
    std::string server = "127.0.0.1";
    std::string serverPort = "9011";
    std::string gateways;  // the addresses of GATEWAYS the chat takes, ", " between
    bool operator==(const NetworkValues&) const = default;
};

NetworkValues LoadNetwork(const std::string& profile);
// Writes the keys that differ; adds "INET;" to flags when any did. False when a write failed.
bool SaveNetwork(const std::string& profile, const NetworkValues& before, const NetworkValues& after,
                 std::string& flags);

// Ports the chat takes as they are; anything else it silently replaces by its default.
bool IsPortText(const std::string& text);
bool IsTtlText(const std::string& text);
bool IsIpv4Text(const std::string& text);
bool IsMulticastText(const std::string& text);
// A relay server: an IPv4 address or a host name.
bool IsServerText(const std::string& text);
// GATEWAYS: host addresses split by commas or blanks; empty is none.
bool IsGatewaysText(const std::string& text);

}  // namespace zc
