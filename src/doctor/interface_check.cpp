#include "doctor/interface_check.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>

namespace zc::doctor {

std::vector<InterfaceAddress> ListIpv4Interfaces() {
    std::vector<InterfaceAddress> out;
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) return out;
    for (ifaddrs* i = list; i; i = i->ifa_next) {
        if (!i->ifa_addr || i->ifa_addr->sa_family != AF_INET) continue;
        char text[INET_ADDRSTRLEN] = {};
        if (!inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in*>(i->ifa_addr)->sin_addr, text, sizeof text))
            continue;
        InterfaceAddress a;
        a.name = i->ifa_name ? i->ifa_name : "";
        a.address = text;
        a.up = i->ifa_flags & IFF_UP;
        a.running = i->ifa_flags & IFF_RUNNING;
        a.loopback = i->ifa_flags & IFF_LOOPBACK;
        a.multicast = i->ifa_flags & IFF_MULTICAST;
        char mask[INET_ADDRSTRLEN] = {};
        if (i->ifa_netmask &&
            inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in*>(i->ifa_netmask)->sin_addr, mask, sizeof mask))
            a.netmask = mask;
        out.push_back(a);
    }
    freeifaddrs(list);
    return out;
}

static bool IsPinned(const std::string& setting) { return !setting.empty() && setting != "0.0.0.0"; }

ChosenInterface ChooseInterface(const std::vector<InterfaceAddress>& all, const std::string& interfaceSetting) {
    ChosenInterface c;
    c.pinned = IsPinned(interfaceSetting);
    for (const InterfaceAddress& a : all) {
        if (c.pinned ? a.address == interfaceSetting : (a.up && !a.loopback)) {
            c.found = true;
            c.chosen = a;
            break;
        }
    }
    return c;
}

CheckLine CheckInterface(const ChosenInterface& c, const std::string& interfaceSetting,
                         const std::vector<InterfaceAddress>& all) {
    const std::string kName = "interface";
    if (!c.found) {
        if (!c.pinned)
            // The loopback still carries the group between copies on this computer.
            return Warn(kName, "no network interface with an IPv4 address is up",
                        "only copies on this computer can meet; connect it to the network");
        std::string others;
        int listed = 0;
        for (const InterfaceAddress& a : all) {
            if (a.loopback || !a.up || listed == 5) continue;
            others += (listed++ ? ", " : "") + a.address;
        }
        return Fail(kName, "no interface has the address " + interfaceSetting + " (INTERFACE)",
                    others.empty() ? "set INTERFACE in [NETWORK] of the profile to 0.0.0.0"
                                   : "set INTERFACE in [NETWORK] of the profile to one of: " + others);
    }
    const InterfaceAddress& a = c.chosen;
    const std::string what = a.name + " " + a.address;
    if (!a.up) return Fail(kName, what + " is down", "bring it up: ip link set " + a.name + " up");
    if (!a.multicast && !a.loopback)
        return Fail(kName, what + " does not do multicast", "switch it on: ip link set " + a.name + " multicast on");
    if (!a.running) return Warn(kName, what + " is up but has no link", "check the cable or the wireless connection");
    return Ok(kName, what + " is up");
}

}  // namespace zc::doctor
