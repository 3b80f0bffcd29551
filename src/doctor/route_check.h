#pragma once
#include <string>

#include "doctor/doctor_report.h"
#include "doctor/interface_check.h"

namespace zc::doctor {

struct RouteAnswer {
    bool known = false;  // the routes could be read
    bool found = false;  // a usable route exists
    std::string device;
    std::string source;
};

// The output of "ip route get <group>" (stdout, or the message on stderr when it failed).
RouteAnswer ParseIpRouteGet(const std::string& output);

// The best match for an IPv4 address in the text of /proc/net/route.
RouteAnswer ParseProcNetRoute(const std::string& table, const std::string& address);

// Asks the system how the group is routed: ip route get, else /proc/net/route.
RouteAnswer LookUpRoute(const std::string& group);

CheckLine CheckRoute(const RouteAnswer& route, const std::string& group, const ChosenInterface& chosen);

}  // namespace zc::doctor
