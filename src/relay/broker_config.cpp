#include "relay/broker_config.h"

#include <charconv>

namespace zc::relay {

std::string BrokerConfig::Url() const {
    const std::string shown = host.find(':') != std::string::npos ? "[" + host + "]" : host;
    return std::string(tls ? "mqtts://" : "mqtt://") + shown + ":" + std::to_string(port);
}

std::string ParseBrokerUrl(std::string_view url, BrokerConfig& config) {
    BrokerConfig parsed = config;
    if (url.starts_with("mqtt://")) {
        parsed.tls = false;
        url.remove_prefix(7);
    } else if (url.starts_with("mqtts://")) {
        parsed.tls = true;
        url.remove_prefix(8);
    } else {
        return "expected mqtt://HOST[:PORT] or mqtts://HOST[:PORT]";
    }
    if (const size_t slash = url.find('/'); slash != std::string_view::npos) {
        if (slash + 1 != url.size()) return "a broker URL has no path";
        url.remove_suffix(1);
    }
    // The last '@' ends the credentials, so a password may contain one.
    if (const size_t at = url.rfind('@'); at != std::string_view::npos) {
        const std::string_view credentials = url.substr(0, at);
        const size_t colon = credentials.find(':');
        parsed.user = credentials.substr(0, colon);
        if (colon != std::string_view::npos) parsed.password = credentials.substr(colon + 1);
        url.remove_prefix(at + 1);
    }
    std::string_view port;
    if (url.starts_with('[')) {  // [IPv6]:port
        const size_t close = url.find(']');
        if (close == std::string_view::npos) return "unclosed '[' in the host";
        parsed.host = url.substr(1, close - 1);
        url.remove_prefix(close + 1);
        if (url.starts_with(':')) port = url.substr(1);
        else if (!url.empty()) return "unexpected text after the host";
    } else {
        const size_t colon = url.find(':');
        parsed.host = url.substr(0, colon);
        if (colon != std::string_view::npos) port = url.substr(colon + 1);
    }
    if (parsed.host.empty()) return "no host";
    parsed.port = parsed.tls ? 8883 : 1883;
    if (!port.empty()) {
        unsigned number = 0;
        auto [end, ec] = std::from_chars(port.data(), port.data() + port.size(), number);
        if (ec != std::errc() || end != port.data() + port.size() || number == 0 || number > 65535)
            return "bad port '" + std::string(port) + "'";
        parsed.port = static_cast<uint16_t>(number);
    }
    config = std::move(parsed);
    return {};
}

bool IsPlainName(std::string_view name) {
    if (name.empty() || name.size() > 64) return false;
    for (char c : name)
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' || c == '_' ||
              c == '-'))
            return false;
    return true;
}

}  // namespace zc::relay
