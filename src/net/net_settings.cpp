#include "net/net_settings.h"

#include "base/ini_file.h"
#include "base/text_helpers.h"

namespace zc {

int PortOr(int value, int fallback) { return (value < kLowestPort || value > kHighestPort) ? fallback : value; }

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
    } else {
        s.serverPort = PortOr(ParseInt(read("SERVERPORT")), 9011);
        s.server = ValueOrDefault(read("SERVER"), "127.0.0.1");
        s.name = name.size() >= 2 ? name : s.server;
    }
    return s;
}

}  // namespace zc
