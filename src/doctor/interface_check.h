#pragma once
#include <string>
#include <vector>

#include "doctor/doctor_report.h"

namespace zc::doctor {

struct InterfaceAddress {
    std::string name;     // "veth1"
    std::string address;  // "10.77.0.1"
    bool up = false;
    bool running = false;  // has a link
    bool loopback = false;
    bool multicast = false;
    std::string netmask;  // "255.255.255.0"; empty when the system gave none
};

// The IPv4 addresses of this host, in the system's order.
std::vector<InterfaceAddress> ListIpv4Interfaces();

struct ChosenInterface {
    bool found = false;
    InterfaceAddress chosen;
    bool pinned = false;  // INTERFACE names the address
};

// The address the chat uses: INTERFACE when set (and present), else the first non-loopback
// address that is up.
ChosenInterface ChooseInterface(const std::vector<InterfaceAddress>& all, const std::string& interfaceSetting);

CheckLine CheckInterface(const ChosenInterface& choice, const std::string& interfaceSetting,
                         const std::vector<InterfaceAddress>& all);

}  // namespace zc::doctor
