#include "relay/relay_config.h"

#include <arpa/inet.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <sstream>

namespace zc::relay {
namespace {

constexpr std::string_view kValueOptions[] = {"port",      "bind",  "max-clients", "max-per-address",
                                              "greeting-timeout", "quiet-timeout", "iface", "group",
                                              "group-port", "ttl", "peer", "peers", "mqtt", "site", "room",
                                              "mqtt-ca", "mqtt-user", "mqtt-password-file"};
constexpr std::string_view kFlagOptions[] = {"echo", "nat", "multicast"};
constexpr size_t kLongestPassword = 4096;

template <size_t N>
bool OneOf(const std::string_view (&names)[N], std::string_view name) {
    return std::find(std::begin(names), std::end(names), name) != std::end(names);
}

std::string_view Trim(std::string_view s) {
    const size_t first = s.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) return {};
    return s.substr(first, s.find_last_not_of(" \t\r") - first + 1);
}

// A flag's value in the file; on the command line a bare flag means yes.
bool ParseBool(std::string_view value, bool& out) {
    for (std::string_view yes : {"yes", "true", "on", "1"})
        if (value == yes) return out = true;
    for (std::string_view no : {"no", "false", "off", "0"})
        if (value == no) return !(out = false);
    return false;
}

bool ParseNumber(std::string_view value, unsigned long low, unsigned long high, unsigned long& out) {
    auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), out);
    return !value.empty() && ec == std::errc() && end == value.data() + value.size() && out >= low && out <= high;
}

bool ReadFile(const std::string& path, std::string& text) {
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return false;
    char chunk[4096];
    for (size_t got; (got = std::fread(chunk, 1, sizeof chunk, file)) > 0;) text.append(chunk, got);
    const bool ok = !std::ferror(file);
    std::fclose(file);
    return ok;
}

// A comma-separated list of IPv4 addresses, each added once.
std::string AddPeers(std::string_view list, std::vector<uint32_t>& peers) {
    for (size_t start = 0; start <= list.size();) {
        size_t comma = list.find(',', start);
        if (comma == std::string_view::npos) comma = list.size();
        const std::string item(Trim(list.substr(start, comma - start)));
        start = comma + 1;
        in_addr address{};
        if (inet_pton(AF_INET, item.c_str(), &address) != 1) return "bad peer '" + item + "': expected an IPv4 address";
        if (std::find(peers.begin(), peers.end(), address.s_addr) == peers.end()) peers.push_back(address.s_addr);
    }
    return {};
}

std::string Dotted(uint32_t address) {
    char text[INET_ADDRSTRLEN] = "?";
    in_addr a{address};
    inet_ntop(AF_INET, &a, text, sizeof text);
    return text;
}

// What single options cannot tell: options that need another, and the password file.
std::vector<std::string> CheckTogether(RelayConfig& config) {
    std::vector<std::string> errors;
    BrokerConfig& broker = config.broker;
    if (broker.Enabled() && broker.site.empty()) errors.push_back("mqtt needs a site name (--site NAME)");
    if (!broker.Enabled() && (!broker.site.empty() || !broker.user.empty() || !broker.passwordFile.empty() ||
                              !broker.caFile.empty()))
        errors.push_back("site, mqtt-user, mqtt-password-file and mqtt-ca need mqtt (--mqtt URL)");
    if (!broker.caFile.empty() && broker.Enabled() && !broker.tls) errors.push_back("mqtt-ca needs an mqtts:// URL");
    if (!config.peers.empty() && !config.gateway)
        errors.push_back("peers are gateways of the same segment: they need multicast (--multicast [IFACE])");
    if (!broker.passwordFile.empty()) {
        std::string text;
        if (!ReadFile(broker.passwordFile, text))
            errors.push_back("cannot read mqtt-password-file " + broker.passwordFile + ": " + std::strerror(errno));
        else if (text.size() > kLongestPassword)
            errors.push_back("mqtt-password-file " + broker.passwordFile + " is too long for a password");
        else
            broker.password = text.substr(0, text.find_first_of("\r\n"));
    }
    return errors;
}

}  // namespace

bool OptionTakesValue(std::string_view name) { return OneOf(kValueOptions, name) || name == "config"; }

std::string SetOption(RelayConfig& config, std::string_view name, std::string_view value, bool hasValue) {
    const std::string quoted = "'" + std::string(value) + "'";
    if (OneOf(kFlagOptions, name)) {
        bool on = true;
        // "multicast" may name the interface instead of yes or no.
        if (name == "multicast" && hasValue && !value.empty() && !ParseBool(value, on)) {
            config.gateway = true;
            config.group.interface = value;
            return {};
        }
        if (hasValue && !ParseBool(value, on)) return "bad " + std::string(name) + " " + quoted + ": expected yes or no";
        (name == "echo" ? config.echo : name == "nat" ? config.nat : config.gateway) = on;
        return {};
    }
    if (!OneOf(kValueOptions, name)) return "unknown option '" + std::string(name) + "'";
    if (!hasValue) return "option " + std::string(name) + " needs a value";
    if (name == "port") {
        unsigned long port = 0;
        if (!ParseNumber(value, 0, 65535, port)) return "bad port " + quoted + ": expected a number from 0 to 65535";
        config.port = static_cast<uint16_t>(port);
    } else if (name == "iface") {
        config.group.interface = value;
    } else if (name == "group") {
        in_addr group{};
        if (inet_pton(AF_INET, std::string(value).c_str(), &group) != 1 || (ntohl(group.s_addr) >> 28) != 0xE)
            return "bad group " + quoted + ": expected an IPv4 multicast address";
        config.group.group = value;
    } else if (name == "group-port" || name == "ttl") {
        unsigned long number = 0;
        const unsigned long high = name == "ttl" ? 255 : 65535;
        if (!ParseNumber(value, 1, high, number))
            return "bad " + std::string(name) + " " + quoted + ": expected a number from 1 to " + std::to_string(high);
        if (name == "ttl")
            config.group.ttl = static_cast<int>(number);
        else
            config.group.port = static_cast<uint16_t>(number);
    } else if (name == "peer" || name == "peers") {
        return AddPeers(value, config.peers);
    } else if (name == "mqtt") {
        if (const std::string why = ParseBrokerUrl(value, config.broker); !why.empty())
            return "bad mqtt URL: " + why;  // the URL may hold a password: not repeated
    } else if (name == "site" || name == "room") {
        if (!IsPlainName(value))
            return "bad " + std::string(name) + " " + quoted + ": expected 1 to 64 letters, digits, '.', '_' or '-'";
        (name == "site" ? config.broker.site : config.broker.room) = value;
    } else if (name.starts_with("mqtt-")) {
        if (value.empty()) return "option " + std::string(name) + " needs a value";
        (name == "mqtt-ca" ? config.broker.caFile : name == "mqtt-user" ? config.broker.user : config.broker.passwordFile) =
            value;
    } else if (name == "bind") {
        in_addr probe{};
        if (inet_pton(AF_INET, std::string(value).c_str(), &probe) != 1)
            return "bad bind address " + quoted + ": expected an IPv4 address";
        config.bindAddress = value;
    } else {
        const bool count = name.starts_with("max");
        const unsigned long low = name == "quiet-timeout" ? 2 : 1, high = count ? 1000000 : 86400;
        unsigned long number = 0;
        if (!ParseNumber(value, low, high, number))
            return "bad " + std::string(name) + " " + quoted + ": expected a number from " + std::to_string(low) +
                   " to " + std::to_string(high);
        if (name == "max-clients")
            config.maxClients = number;
        else if (name == "max-per-address")
            config.maxPerAddress = number;
        else if (name == "greeting-timeout")
            config.greetingTimeout = std::chrono::seconds(number);
        else
            config.quietTimeout = std::chrono::seconds(number);
    }
    return {};
}

std::vector<std::string> ReadConfigText(std::string_view text, RelayConfig& config) {
    std::vector<std::string> errors;
    int number = 0;
    for (size_t start = 0; start <= text.size(); ++number) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        const std::string_view line = Trim(text.substr(start, end - start));
        start = end + 1;
        if (line.empty() || line[0] == '#' || line[0] == ';') continue;
        const std::string where = "line " + std::to_string(number + 1) + ": ";
        const size_t eq = line.find('=');
        if (eq == std::string_view::npos) {
            errors.push_back(where + "expected 'key = value', found '" + std::string(line) + "'");
            continue;
        }
        const std::string_view key = Trim(line.substr(0, eq)), value = Trim(line.substr(eq + 1));
        if (key == "config") {
            errors.push_back(where + "'config' is a command-line option only");
            continue;
        }
        if (const std::string error = SetOption(config, key, value, true); !error.empty())
            errors.push_back(where + error);
    }
    return errors;
}

std::string DescribeConfig(const RelayConfig& config) {
    std::ostringstream out;
    out << "port = " << config.port << "\n"
        << "bind = " << config.bindAddress << "\n"
        << "echo = " << (config.echo ? "yes" : "no") << "\n"
        << "max-clients = " << config.maxClients << "\n"
        << "max-per-address = " << config.maxPerAddress << "\n"
        << "greeting-timeout = " << std::chrono::duration_cast<std::chrono::seconds>(config.greetingTimeout).count()
        << "\n"
        << "quiet-timeout = " << config.quietTimeout.count() << "\n"
        << "nat = " << (config.nat ? "yes" : "no") << "\n"
        << "multicast = "
        << (!config.gateway ? "no" : config.group.interface.empty() ? "yes" : config.group.interface.c_str()) << "\n";
    if (config.gateway)
        out << "group = " << config.group.group << "\n"
            << "group-port = " << config.group.port << "\n"
            << "ttl = " << config.group.ttl << "\n";
    if (!config.peers.empty()) {
        out << "peers = ";
        for (size_t i = 0; i < config.peers.size(); ++i) out << (i ? ", " : "") << Dotted(config.peers[i]);
        out << "\n";
    }
    const BrokerConfig& broker = config.broker;
    if (broker.Enabled()) {
        out << "mqtt = " << broker.Url() << "\n"
            << "site = " << broker.site << "\n"
            << "room = " << broker.room << "\n";
        if (!broker.caFile.empty()) out << "mqtt-ca = " << broker.caFile << "\n";
        if (!broker.user.empty()) out << "mqtt-user = " << broker.user << "\n";
        if (!broker.passwordFile.empty()) out << "mqtt-password-file = " << broker.passwordFile << "\n";
        else if (!broker.password.empty()) out << "# mqtt password: given in the URL, not shown\n";
    }
    return out.str();
}

CommandLine ParseCommandLine(int argc, const char* const* argv) {
    CommandLine result;
    result.configPath = kDefaultConfigPath;
    for (int i = 1; i < argc; ++i) {
        std::string_view arg = argv[i];
        if (arg == "-h" || arg == "--help") {
            result.help = true;
            continue;
        }
        if (!arg.starts_with("--")) {
            result.errors.push_back("unknown argument '" + std::string(arg) + "'");
            continue;
        }
        GivenOption option;
        arg.remove_prefix(2);
        if (const size_t eq = arg.find('='); eq != std::string_view::npos) {
            option.value = arg.substr(eq + 1);
            option.hasValue = true;
            arg = arg.substr(0, eq);
        }
        option.name = arg;
        // The interface after --multicast is optional: the next argument unless it is an option.
        if (arg == "multicast" && !option.hasValue && i + 1 < argc && argv[i + 1][0] != '-') {
            option.value = argv[++i];
            option.hasValue = true;
        } else if (arg == "check" || OneOf(kFlagOptions, arg)) {
            if (option.hasValue && arg != "multicast") {
                result.errors.push_back("option --" + option.name + " takes no value");
                continue;
            }
        } else if (OptionTakesValue(arg) && !option.hasValue) {
            if (i + 1 >= argc) {
                result.errors.push_back("option --" + option.name + " needs a value");
                continue;
            }
            option.value = argv[++i];
            option.hasValue = true;
        }
        if (arg == "check") {
            result.check = true;
        } else if (arg == "config") {
            result.configPath = option.value;
            result.configGiven = true;
        } else {
            result.options.push_back(std::move(option));
        }
    }
    return result;
}

std::vector<std::string> LoadConfig(const CommandLine& commandLine, RelayConfig& config) {
    std::vector<std::string> errors;
    const std::string& path = commandLine.configPath;
    // Only the default file may be absent: a relay without one runs on its defaults.
    if (commandLine.configGiven || access(path.c_str(), F_OK) == 0) {
        std::string text;
        if (ReadFile(path, text)) {
            for (const std::string& error : ReadConfigText(text, config))
                errors.push_back(path + ":" + error.substr(5));  // "line N: ..." -> "PATH:N: ..."
        } else {
            errors.push_back("cannot read configuration file " + path + ": " + std::strerror(errno));
        }
    }
    for (const std::string& error : commandLine.errors) errors.push_back(error);
    for (const GivenOption& option : commandLine.options)
        if (std::string error = SetOption(config, option.name, option.value, option.hasValue); !error.empty())
            errors.push_back(error);
    for (std::string& error : CheckTogether(config)) errors.push_back(std::move(error));
    return errors;
}

}  // namespace zc::relay
