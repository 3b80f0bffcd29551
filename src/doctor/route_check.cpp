#include "doctor/route_check.h"

#include <arpa/inet.h>
#include <fstream>
#include <sstream>
#include <vector>

#include "doctor/command_runner.h"

namespace zc::doctor {

namespace {

std::vector<std::string> Words(const std::string& line) {
    std::vector<std::string> out;
    std::istringstream in(line);
    for (std::string w; in >> w;) out.push_back(w);
    return out;
}

}  // namespace

RouteAnswer ParseIpRouteGet(const std::string& output) {
    RouteAnswer r;
    // "RTNETLINK answers: Network is unreachable" and its kin: the kernel has no route.
    if (output.find("RTNETLINK answers") != std::string::npos || output.find("unreachable") != std::string::npos) {
        r.known = true;
        return r;
    }
    const std::string firstLine = output.substr(0, output.find('\n'));
    const std::vector<std::string> w = Words(firstLine);
    if (w.empty()) return r;
    r.known = true;
    if (w[0] == "blackhole" || w[0] == "prohibit" || w[0] == "throw") return r;
    for (size_t i = 0; i + 1 < w.size(); ++i) {
        if (w[i] == "dev") r.device = w[i + 1];
        else if (w[i] == "src") r.source = w[i + 1];
    }
    r.found = !r.device.empty();
    return r;
}

RouteAnswer ParseProcNetRoute(const std::string& table, const std::string& address) {
    RouteAnswer r;
    in_addr wanted{};
    if (inet_pton(AF_INET, address.c_str(), &wanted) != 1) return r;
    std::istringstream in(table);
    std::string line;
    if (!std::getline(in, line) || line.find("Iface") == std::string::npos) return r;
    r.known = true;
    long bestMetric = 0;
    int bestBits = -1;
    while (std::getline(in, line)) {
        const std::vector<std::string> w = Words(line);
        if (w.size() < 8) continue;
        // Destination and mask are hex in the host's byte order, like the address in memory.
        uint32_t dest = 0, mask = 0;
        unsigned flags = 0;
        long metric = 0;
        try {
            dest = static_cast<uint32_t>(std::stoul(w[1], nullptr, 16));
            flags = static_cast<unsigned>(std::stoul(w[3], nullptr, 16));
            metric = std::stol(w[6]);
            mask = static_cast<uint32_t>(std::stoul(w[7], nullptr, 16));
        } catch (...) {
            continue;
        }
        const unsigned kUp = 0x1, kReject = 0x200;
        if (!(flags & kUp) || (flags & kReject)) continue;
        if ((wanted.s_addr & mask) != (dest & mask)) continue;
        const int bits = __builtin_popcount(mask);
        if (bits > bestBits || (bits == bestBits && metric < bestMetric)) {
            bestBits = bits;
            bestMetric = metric;
            r.device = w[0];
        }
    }
    r.found = bestBits >= 0;
    return r;
}

RouteAnswer LookUpRoute(const std::string& group) {
    const CommandResult ip = RunCommand({"ip", "-4", "route", "get", group});
    if (ip.started && !ip.timedOut) {
        RouteAnswer r = ParseIpRouteGet(ip.exitCode == 0 ? ip.out : ip.err);
        if (r.known) return r;
    }
    std::ifstream file("/proc/net/route");
    std::stringstream text;
    text << file.rdbuf();
    return ParseProcNetRoute(text.str(), group);
}

CheckLine CheckRoute(const RouteAnswer& route, const std::string& group, const ChosenInterface& chosen) {
    const std::string kName = "route";
    const std::string device = chosen.found ? chosen.chosen.name : "";
    if (!route.known)
        return Warn(kName, "cannot read the routes", "check them: ip route get " + group);
    if (chosen.pinned && chosen.found && route.device != device)
        return Ok(kName, "INTERFACE sends " + group + " through " + device);
    if (!route.found)
        return Fail(kName, "no route to " + group,
                    "add one: ip route add 224.0.0.0/4 dev " + (device.empty() ? "<interface>" : device));
    if (!device.empty() && route.device != device)
        return Warn(kName, group + " goes through " + route.device + ", not " + device,
                    "set INTERFACE in [NETWORK] of the profile to the address the other computers see");
    return Ok(kName, group + " goes through " + route.device);
}

}  // namespace zc::doctor
