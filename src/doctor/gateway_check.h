#pragma once
#include <vector>

#include "doctor/doctor_report.h"
#include "doctor/interface_check.h"
#include "net/net_settings.h"

namespace zc::doctor {

// Multicast mode with GATEWAYS: the gateways the chat trusts, and whether each stands on a
// network of this machine (the chat hears a gateway only on the gateway's own segment).
// The "gateways" line.
CheckLine CheckGateways(const CNetSettings& net, const std::vector<InterfaceAddress>& all);

}  // namespace zc::doctor
