#include "net/net_settings.h"

#include <algorithm>

#include "base/ini_file.h"
#include "base/text_helpers.h"

namespace zc {

int PortOr(int value, int fallback) { return (value < kLowestPort || value > kHighestPort) ? fallback : value; }

static std::string Dotted(std::uint32_t ip) {
    return std::to_string(ip >> 24) + "." + std::to_string(ip >> 16 & 255) + "." + std::to_string(ip >> 8 & 255) + "." +
           std::to_string(ip & 255);
}

GatewayList ParseGateways(const std::string& text) {
    GatewayList list;
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = std::min(text.find_first_of(", \t", start), text.size());
        const std::string entry = text.substr(start, end - start);
        start = end + 1;
        if (entry.empty()) continue;
        const auto ip = ParseDottedIpv4(entry);
        // A host: not "this network", loopback, multicast or broadcast.
        const unsigned first = ip ? *ip >> 24 : 0;
        const bool host = first != 0 && first != 127 && first < 224;
        std::vector<std::string>& into = host ? list.good : list.bad;
        const std::string item = host ? Dotted(*ip) : entry;  // "010.1.0.254" is the same host as 10.1.0.254
        if (std::find(into.begin(), into.end(), item) == into.end()) into.push_back(item);
    }
    return list;
}

std::string AddressToName(const CNetSettings& s, const std::string& interfaceAddress,
                          const std::function<std::string(const std::string& server)>& routeSourceToward) {
    const bool interfaceChosen = !s.interfaceAddr.empty() && s.interfaceAddr != "0.0.0.0";
    if (s.useServer == 0 || interfaceChosen) return interfaceAddress;
    const std::string toward = routeSourceToward(s.server);
    return toward.empty() || toward.rfind("127.", 0) == 0 ? interfaceAddress : toward;
}

CNetSettings ReadNetSettings(const std::string& p) {
    auto read = [&](const char* key) { return ValueOrDefault(ReadIniValue(p, "NETWORK", key), ""); };
    CNetSettings s;
    s.active = 1;
    s.useServer = ParseInt(read("SERVERUSE")) != 0 ? 1 : 0;
    s.port = PortOr(ParseInt(read("PORT")), 9010);
    int filePort = PortOr(ParseInt(read("FTPORT")), s.port + 1);
    s.filePort = filePort == s.port ? s.port + 1 : filePort;
    s.interfaceAddr = ValueOrDefault(read("INTERFACE"), "0.0.0.0");
    std::string name = read("NAME");
    if (s.useServer == 0) {
        s.ttl = ParseInt(read("TTL"));
        if (s.ttl < 1) s.ttl = 8;
        // The socket option is one byte: 256 would silently become 0.
        if (s.ttl > 255) {
            s.ttl = 255;
            s.ttlClamped = true;
        }
        s.group = ValueOrDefault(read("MULTICASTGROUP"), "225.0.0.1");
        s.name = name.size() >= 2 ? name : s.group;
        GatewayList gateways = ParseGateways(read("GATEWAYS"));
        s.gateways = std::move(gateways.good);
        s.badGateways = std::move(gateways.bad);
    } else {
        s.serverPort = PortOr(ParseInt(read("SERVERPORT")), 9011);
        s.server = ValueOrDefault(read("SERVER"), "127.0.0.1");
        s.name = name.size() >= 2 ? name : s.server;
    }
    return s;
}

}  // namespace zc
