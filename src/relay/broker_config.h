#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace zc::relay {

// Where a relay meets the other sites: an MQTT broker, a site name and a room.
struct BrokerConfig {
    std::string host;  // empty: no broker link
    uint16_t port = 1883;
    bool tls = false;
    std::string user;
    std::string password;      // from the URL or from passwordFile; never shown
    std::string passwordFile;  // read once the options are all in
    std::string caFile;        // TLS: this CA instead of the system's
    std::string site;
    std::string room = "main";

    bool Enabled() const { return !host.empty(); }
    // The URL without user or password, e.g. "mqtts://broker.example:8883".
    std::string Url() const;
    // "zeltochat/ROOM/SITE"
    std::string Topic() const { return "zeltochat/" + room + "/" + site; }
};

// mqtt://[user[:password]@]host[:port] or mqtts://... into `config`; "" or why it is refused.
std::string ParseBrokerUrl(std::string_view url, BrokerConfig& config);

// Site and room names: 1 to 64 of A-Z a-z 0-9 . _ - (they become topic levels and status lines).
bool IsPlainName(std::string_view name);

}  // namespace zc::relay
