#include "doctor/doctor.h"

#include "base/settings.h"
#include "doctor/desktop_check.h"
#include "doctor/firewall_check.h"
#include "doctor/gateway_check.h"
#include "doctor/group_probe.h"
#include "doctor/interface_check.h"
#include "doctor/peer_answers.h"
#include "doctor/relay_probe.h"
#include "doctor/route_check.h"
#include "doctor/transfer_port_check.h"

namespace zc::doctor {

CNetSettings ReadProfileNetSettings() { return ReadNetSettings("profiles/" + ReadProfileName() + ".cfg"); }

std::vector<CheckLine> RunDoctor(const DoctorOptions& o, const std::function<void(const CheckLine&)>& onLine) {
    std::vector<CheckLine> lines;
    auto add = [&](CheckLine line) {
        if (onLine) onLine(line);
        lines.push_back(std::move(line));
    };
    const CNetSettings& net = o.net;
    const bool relay = net.useServer != 0;
    const int waitSeconds = o.waitMs / 1000;

    const std::vector<InterfaceAddress> all = ListIpv4Interfaces();
    const ChosenInterface chosen = ChooseInterface(all, net.interfaceAddr);
    add(CheckInterface(chosen, net.interfaceAddr, all));
    // The address the chat would name, so a relay that checks its clients passes our WHO on.
    const DoctorIdentity me = NewDoctorIdentity(
        AddressToName(net, chosen.found ? chosen.chosen.address : "", [](const std::string& server) {
            const RouteAnswer toward = LookUpRoute(server);
            return toward.found ? toward.source : std::string();
        }));
    PeerAnswers answers(me.id, o.ownIds);

    if (!relay) {
        add(CheckRoute(LookUpRoute(net.group), net.group, chosen));
        if (!net.gateways.empty() || !net.badGateways.empty()) add(CheckGateways(net, all));
        GroupProbe probe({net.group, net.port, net.ttl, net.interfaceAddr});
        add(probe.Open());
        if (probe.IsOpen()) {
            add(probe.SendWhoAndListen(WhoBytes(me), answers, o.waitMs));
            add(answers.Line(net.ttl, waitSeconds, false));
        }
    } else {
        bool reached = false;
        add(ProbeRelay(net.server, net.serverPort, WhoBytes(me), answers, o.waitMs, reached));
        if (reached) add(answers.Line(net.ttl, waitSeconds, true));
        if (reached)
            for (CheckLine& line : RelayLinkLines(QueryRelayStatus(net.server, net.serverPort, o.waitMs)))
                add(std::move(line));
    }

    std::vector<WatchedPort> ports;
    if (!relay) ports.push_back({"udp", net.port});
    ports.push_back({"tcp", net.filePort});
    add(CheckFirewall(ReadFirewall(ports), relay ? 0 : net.port, net.filePort));
    add(CheckTransferPort(net.filePort));
    for (CheckLine& line : CheckDesktop(ReadDesktopFacts())) add(std::move(line));
    return lines;
}

}  // namespace zc::doctor
