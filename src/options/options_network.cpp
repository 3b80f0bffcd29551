#include "options/options_network.h"

#include "base/ini_file.h"
#include "base/text_helpers.h"
#include "net/net_settings.h"
#include "options/options_store.h"

namespace zc {
namespace {

// Digits only, no sign and no leading blanks: what is shown is what the chat reads.
bool NumberIn(const std::string& text, int low, int high) {
    if (text.empty() || text.size() > 5) return false;
    for (char c : text)
        if (c < '0' || c > '9') return false;
    const int n = std::stoi(text);
    return n >= low && n <= high;
}

}  // namespace

NetworkValues LoadNetwork(const std::string& p) {
    auto read = [&](const char* key) { return ReadText(p, "NETWORK", key); };
    NetworkValues v;
    v.interfaceAddr = read("INTERFACE");
    if (v.interfaceAddr == "0.0.0.0") v.interfaceAddr.clear();
    const int port = PortOr(ParseInt(read("PORT")), 9010);
    int filePort = PortOr(ParseInt(read("FTPORT")), port + 1);
    if (filePort == port) filePort = port + 1;
    v.port = std::to_string(port);
    v.filePort = std::to_string(filePort);
    int ttl = ParseInt(read("TTL"));
    v.ttl = std::to_string(ttl < 1 ? 8 : ttl > 255 ? 255 : ttl);
    v.useServer = ParseInt(read("SERVERUSE")) != 0;
    v.group = ValueOrDefault(read("MULTICASTGROUP"), "225.0.0.1");
    v.server = ValueOrDefault(read("SERVER"), "127.0.0.1");
    v.serverPort = std::to_string(PortOr(ParseInt(read("SERVERPORT")), 9011));
    for (const std::string& g : ParseGateways(read("GATEWAYS")).good) v.gateways += (v.gateways.empty() ? "" : ", ") + g;
    return v;
}

bool SaveNetwork(const std::string& p, const NetworkValues& a, const NetworkValues& b, std::string& flags) {
    if (a == b) return true;
    bool ok = true;
    auto put = [&](const char* key, const std::string& was, const std::string& now) {
        if (was != now) ok = WriteText(p, "NETWORK", key, now) && ok;
    };
    // Automatic is the absent key, which the chat reads as every interface.
    put("INTERFACE", a.interfaceAddr, b.interfaceAddr);
    put("MULTICASTGROUP", a.group, b.group);
    put("PORT", a.port, b.port);
    put("FTPORT", a.filePort, b.filePort);
    put("TTL", a.ttl, b.ttl);
    put("SERVERUSE", a.useServer ? "1" : "0", b.useServer ? "1" : "0");
    put("SERVER", a.server, b.server);
    put("SERVERPORT", a.serverPort, b.serverPort);
    put("GATEWAYS", a.gateways, b.gateways);
    flags += "INET;";
    return ok;
}

bool IsGatewaysText(const std::string& text) { return ParseGateways(text).bad.empty(); }

bool IsPortText(const std::string& text) { return NumberIn(text, kLowestPort, kHighestPort); }

bool IsTtlText(const std::string& text) { return NumberIn(text, 1, 255); }

bool IsIpv4Text(const std::string& text) {
    int parts = 0;
    size_t start = 0;
    while (true) {
        const size_t dot = text.find('.', start);
        const std::string part = text.substr(start, dot == std::string::npos ? std::string::npos : dot - start);
        // "010" would be read as octal by some resolvers.
        if (!NumberIn(part, 0, 255) || (part.size() > 1 && part[0] == '0')) return false;
        ++parts;
        if (dot == std::string::npos) break;
        start = dot + 1;
    }
    return parts == 4;
}

bool IsMulticastText(const std::string& text) {
    if (!IsIpv4Text(text)) return false;
    const int first = std::stoi(text.substr(0, text.find('.')));
    return first >= 224 && first <= 239;
}

bool IsServerText(const std::string& text) {
    if (text.empty() || text.size() > 253 || text.front() == '.' || text.front() == '-') return false;
    for (char c : text)
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' || c == '-'))
            return false;
    // All digits and dots must then be a proper address.
    return text.find_first_not_of("0123456789.") != std::string::npos || IsIpv4Text(text);
}

}  // namespace zc
