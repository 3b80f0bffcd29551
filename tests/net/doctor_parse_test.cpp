// The connection check's parts that need no network: the firewall and route readers on
// captured outputs, the answers to our WHO, and the verdicts they lead to.
#include <gtest/gtest.h>

#include "doctor/desktop_check.h"
#include "doctor/doctor_report.h"
#include "doctor/firewall_check.h"
#include "doctor/gateway_check.h"
#include "doctor/interface_check.h"
#include "doctor/peer_answers.h"
#include "doctor/port_owner.h"
#include "doctor/relay_status.h"
#include "doctor/route_check.h"
#include "net/chat_packet.h"
#include "net/commands.h"
#include "net/subst_codec.h"

namespace zc::doctor {
namespace {

const std::vector<WatchedPort> kPorts = {{"udp", 9010}, {"tcp", 9012}};

// "nft list ruleset" as nftables 1.0.6 prints it; the comment holds braces and a "drop".
const char kNftRuleset[] = R"(table inet filter {
	chain input {
		type filter hook input priority filter; policy drop;
		ct state established,related accept
		iif "lo" accept
		tcp dport { 22, 9000-9020 } accept comment "ssh and chat files { drop }"
		udp dport 9010 counter packets 0 bytes 0 reject
	}

	chain forward {
		type filter hook forward priority filter; policy accept;
		udp dport 9010 drop
	}

	chain output {
		type filter hook output priority filter; policy accept;
		udp dport != 9010 drop
	}
}
table ip nat {
	set blocked {
		type inet_service
		elements = { 9010, 9012 }
	}

	chain pre {
		type nat hook prerouting priority dstnat; policy accept;
		udp dport @blocked drop
	}
}
)";

TEST(DoctorFirewall, NftRulesetFindsOnlyTheRuleThatDropsOurPort) {
    const std::vector<PortBlock> blocks = ParseNftRuleset(kNftRuleset, kPorts);
    // Forward chains, "!=" and named sets are not ours to judge; tcp 9012 is accepted by the
    // range before the policy could drop it.
    ASSERT_EQ(blocks.size(), 1u);
    EXPECT_EQ(blocks[0].where, "inet filter input");
    EXPECT_EQ(blocks[0].hook, "input");
    EXPECT_EQ(blocks[0].port.proto, "udp");
    EXPECT_EQ(blocks[0].port.port, 9010);
    EXPECT_FALSE(blocks[0].byPolicy);
}

TEST(DoctorFirewall, NftPolicyRangesProtocolsAndJumpedToChains) {
    const std::string policyOnly = "table ip filter {\n\tchain INPUT {\n"
                                   "\t\ttype filter hook input priority filter; policy drop;\n"
                                   "\t\tudp dport 9005-9015 accept\n\t}\n}\n";
    std::vector<PortBlock> blocks = ParseNftRuleset(policyOnly, kPorts);
    ASSERT_EQ(blocks.size(), 1u);
    EXPECT_EQ(blocks[0].where, "ip filter INPUT");
    EXPECT_EQ(blocks[0].port.proto, "tcp");
    EXPECT_TRUE(blocks[0].byPolicy);

    // th dport belongs to the protocol named before it; a regular chain has no hook.
    const std::string mixed = "table inet t {\n\tchain lan {\n"
                              "\t\tmeta l4proto tcp th dport 9010 drop\n"
                              "\t\tmeta l4proto udp th dport { 9001, 9010 } reject\n"
                              "\t\ttcp dport 9013 drop\n\t}\n}\n";
    blocks = ParseNftRuleset(mixed, kPorts);
    ASSERT_EQ(blocks.size(), 1u);
    EXPECT_EQ(blocks[0].where, "inet t lan");
    EXPECT_EQ(blocks[0].hook, "");
    EXPECT_EQ(blocks[0].port.proto, "udp");

    // An accept further down does not undo an earlier drop.
    const std::string dropFirst = "table inet f {\n\tchain input {\n"
                                  "\t\ttype filter hook input priority 0; policy accept;\n"
                                  "\t\tudp dport 9010 drop\n\t\tudp dport 9010 accept\n\t}\n}\n";
    EXPECT_EQ(ParseNftRuleset(dropFirst, kPorts).size(), 1u);
    EXPECT_TRUE(ParseNftRuleset("", kPorts).empty());
}

TEST(DoctorFirewall, IptablesRules) {
    const char rules[] = "-P INPUT DROP\n-P FORWARD ACCEPT\n-P OUTPUT ACCEPT\n"
                         "-A INPUT -i lo -j ACCEPT\n"
                         "-A INPUT -p tcp -m multiport --dports 22,9000:9020 -j ACCEPT\n"
                         "-A INPUT -p udp -m udp --dport 9010 -j REJECT --reject-with icmp-port-unreachable\n"
                         "-A FORWARD -p udp -m udp --dport 9010 -j DROP\n"
                         "-A OUTPUT -p udp -m udp ! --dport 9010 -j DROP\n";
    std::vector<PortBlock> blocks = ParseIptablesRules(rules, kPorts);
    ASSERT_EQ(blocks.size(), 1u);
    EXPECT_EQ(blocks[0].where, "INPUT");
    EXPECT_EQ(blocks[0].port.port, 9010);
    EXPECT_FALSE(blocks[0].byPolicy);

    blocks = ParseIptablesRules("-P INPUT DROP\n-A INPUT -p udp --dport 9010 -j ACCEPT\n"
                                "-A OUTPUT -p tcp --dport 9012 -j DROP\n",
                                kPorts);
    ASSERT_EQ(blocks.size(), 2u);
    EXPECT_EQ(blocks[0].where, "OUTPUT");
    EXPECT_EQ(blocks[0].hook, "output");
    EXPECT_EQ(blocks[1].port.proto, "tcp");
    EXPECT_TRUE(blocks[1].byPolicy);
}

TEST(DoctorFirewall, Verdicts) {
    EXPECT_EQ(FormatLine(CheckFirewall({}, 9010, 9012)),
              "[warn] firewall: cannot read the firewall rules (no nft or iptables here) - install nftables to let "
              "the check read them");
    FirewallRead read{false, true, "", {}};
    EXPECT_EQ(FormatLine(CheckFirewall(read, 9010, 9012)),
              "[warn] firewall: cannot read the firewall rules - run the check as root to see them");
    read = {true, true, "nftables", {}};
    EXPECT_EQ(FormatLine(CheckFirewall(read, 9010, 9012)), "[ok] firewall: no rule drops udp port 9010 or tcp port 9012");
    EXPECT_EQ(FormatLine(CheckFirewall(read, 0, 9012)), "[ok] firewall: no rule drops tcp port 9012");

    // The chat port is what matters, even when listed after the transfer port.
    read.blocks = {{"inet filter input", "input", {"tcp", 9012}, false},
                   {"inet filter input", "input", {"udp", 9010}, false}};
    EXPECT_EQ(FormatLine(CheckFirewall(read, 9010, 9012)),
              "[fail] firewall: nftables drops udp port 9010 (inet filter input) and 1 more - allow it: nft insert "
              "rule inet filter input udp dport 9010 accept");
    read.blocks.pop_back();
    EXPECT_EQ(FormatLine(CheckFirewall(read, 9010, 9012)),
              "[warn] firewall: nftables drops tcp port 9012 (inet filter input) - files cannot come in; allow it: nft "
              "insert rule inet filter input tcp dport 9012 accept");
    read = {true, true, "iptables", {{"INPUT", "input", {"udp", 9010}, true}}};
    EXPECT_EQ(FormatLine(CheckFirewall(read, 9010, 9012)),
              "[warn] firewall: iptables drops by default udp port 9010 (INPUT) - allow it: iptables -I INPUT -p udp "
              "--dport 9010 -j ACCEPT");
}

TEST(DoctorRoute, IpRouteGetOutputs) {
    RouteAnswer r = ParseIpRouteGet("multicast 225.0.0.1 dev veth1 src 10.77.0.1 rt_offload_failed uid 0 \n"
                                    "    cache <mc> \n");
    EXPECT_TRUE(r.known && r.found);
    EXPECT_EQ(r.device, "veth1");
    EXPECT_EQ(r.source, "10.77.0.1");
    r = ParseIpRouteGet("multicast 225.0.0.1 via 192.168.1.1 dev eth0 src 192.168.1.5 uid 1000 \n");
    EXPECT_EQ(r.device, "eth0");
    r = ParseIpRouteGet("RTNETLINK answers: Network is unreachable\n");
    EXPECT_TRUE(r.known);
    EXPECT_FALSE(r.found);
    r = ParseIpRouteGet("blackhole 225.0.0.1 dev lo uid 0\n");
    EXPECT_TRUE(r.known);
    EXPECT_FALSE(r.found);
    EXPECT_FALSE(ParseIpRouteGet("").known);
}

TEST(DoctorRoute, ProcNetRouteLongestPrefixWins) {
    const std::string header = "Iface\tDestination\tGateway \tFlags\tRefCnt\tUse\tMetric\tMask\t\tMTU\tWindow\tIRTT\n";
    const std::string defaultRoute = "eth0\t00000000\t0200090A\t0003\t0\t0\t0\t00000000\t0\t0\t0\n";
    const std::string lan = "eth0\t0000090A\t00000000\t0001\t0\t0\t0\t00FFFFFF\t0\t0\t0\n";
    const std::string groupOnLo = "lo\t000000E0\t00000000\t0001\t0\t0\t0\t000000F0\t0\t0\t0\n";
    const std::string rejected = "lo\t000000E0\t00000000\t0201\t0\t0\t0\t000000F0\t0\t0\t0\n";

    RouteAnswer r = ParseProcNetRoute(header + defaultRoute + lan, "225.0.0.1");
    EXPECT_TRUE(r.found);
    EXPECT_EQ(r.device, "eth0");
    r = ParseProcNetRoute(header + defaultRoute + groupOnLo + lan, "225.0.0.1");
    EXPECT_EQ(r.device, "lo");
    r = ParseProcNetRoute(header + lan + rejected, "225.0.0.1");
    EXPECT_TRUE(r.known);
    EXPECT_FALSE(r.found);
    EXPECT_FALSE(ParseProcNetRoute(lan, "225.0.0.1").known);
}

TEST(DoctorRoute, Verdicts) {
    ChosenInterface chosen{true, {"veth1", "10.77.0.1", true, true, false, true, "255.255.255.0"}, false};
    const RouteAnswer none{true, false, "", ""};
    const RouteAnswer viaEth0{true, true, "eth0", ""};
    EXPECT_EQ(FormatLine(CheckRoute(none, "225.0.0.1", chosen)),
              "[fail] route: no route to 225.0.0.1 - add one: ip route add 224.0.0.0/4 dev veth1");
    EXPECT_EQ(FormatLine(CheckRoute(viaEth0, "225.0.0.1", chosen)),
              "[warn] route: 225.0.0.1 goes through eth0, not veth1 - set INTERFACE in [NETWORK] of the profile to "
              "the address the other computers see");
    EXPECT_EQ(FormatLine(CheckRoute({true, true, "veth1", ""}, "225.0.0.1", chosen)),
              "[ok] route: 225.0.0.1 goes through veth1");
    // INTERFACE makes the chat send through its card whatever the routes say.
    chosen.pinned = true;
    EXPECT_EQ(FormatLine(CheckRoute(none, "225.0.0.1", chosen)), "[ok] route: INTERFACE sends 225.0.0.1 through veth1");
    EXPECT_EQ(CheckRoute({}, "225.0.0.1", chosen).verdict, Verdict::Warn);
}

TEST(DoctorInterface, ChoiceAndVerdicts) {
    const std::vector<InterfaceAddress> all = {{"lo", "127.0.0.1", true, true, true, true, "255.0.0.0"},
                                               {"eth0", "192.168.1.5", false, false, false, true, ""},
                                               {"wlan0", "10.0.0.7", true, true, false, true, ""},
                                               {"eth1", "10.1.0.2", true, false, false, false, ""}};
    ChosenInterface c = ChooseInterface(all, "0.0.0.0");
    ASSERT_TRUE(c.found);
    EXPECT_EQ(c.chosen.name, "wlan0");
    EXPECT_EQ(FormatLine(CheckInterface(c, "0.0.0.0", all)), "[ok] interface: wlan0 10.0.0.7 is up");

    c = ChooseInterface(all, "192.168.1.5");
    EXPECT_EQ(FormatLine(CheckInterface(c, "192.168.1.5", all)),
              "[fail] interface: eth0 192.168.1.5 is down - bring it up: ip link set eth0 up");
    c = ChooseInterface(all, "10.1.0.2");
    EXPECT_EQ(CheckInterface(c, "10.1.0.2", all).verdict, Verdict::Fail);
    c = ChooseInterface(all, "10.9.9.9");
    EXPECT_FALSE(c.found);
    EXPECT_EQ(FormatLine(CheckInterface(c, "10.9.9.9", all)),
              "[fail] interface: no interface has the address 10.9.9.9 (INTERFACE) - set INTERFACE in [NETWORK] of the "
              "profile to one of: 10.0.0.7, 10.1.0.2");
    c = ChooseInterface({all[0]}, "");
    EXPECT_EQ(CheckInterface(c, "", {all[0]}).verdict, Verdict::Warn);
}

TEST(DoctorGateways, EachTrustedGatewayWithTheNetworkItIsOn) {
    std::vector<InterfaceAddress> all = {{"lo", "127.0.0.1", true, true, true, true, "255.0.0.0"},
                                         {"eth0", "10.1.0.2", true, true, false, true, "255.255.0.0"}};
    CNetSettings net;
    net.gateways = {"10.1.0.254"};
    EXPECT_EQ(FormatLine(CheckGateways(net, all)),
              "[ok] gateways: trusting 10.1.0.254 (on eth0)\n       files to users behind a gateway go straight to "
              "their address: they need a routed path");
    // Beyond the netmask, or only on the loopback's network, it is heard by nobody here.
    net.gateways = {"10.1.0.254", "10.2.0.254", "127.0.0.2"};
    net.badGateways = {"bogus"};
    const CheckLine line = CheckGateways(net, all);
    EXPECT_EQ(line.verdict, Verdict::Warn);
    EXPECT_EQ(line.text, "trusting 10.1.0.254 (on eth0), 10.2.0.254 (on no network of this computer), 127.0.0.2 (on "
                         "no network of this computer); not addresses, ignored: bogus");
}

TEST(DoctorRelayStatus, RepliesBecomeRelayLinkLines) {
    const std::string reply = "zeltorelay-status\ngateway: 225.0.0.1:9010 on 10.1.0.254, TTL 8\n"
                              "broker: mqtt://10.9.0.1:1883 site a room main, link up\nsites: b\nother: x\n"
                              "gateway: second\npeers: 3\x1b[2J";
    std::vector<std::string> lines;
    for (const CheckLine& l : RelayLinkLines(ParseRelayStatus(reply))) lines.push_back(FormatLine(l));
    EXPECT_EQ(lines, (std::vector<std::string>{
                         "[ok] relay link: gateway 225.0.0.1:9010 on 10.1.0.254, TTL 8",
                         "[ok] relay link: broker mqtt://10.9.0.1:1883 site a room main, link up; sites heard: b",
                         "[ok] relay link: peers 3[2J"}));
    // An older relay's silence, another packet, an oversized one: no line.
    for (const std::string& other : {std::string(), std::string("zeltorelay-status"),
                                     std::string("10.0.0.2(0A)||x||||0.0||0||6||1:hi//end"),
                                     "zeltorelay-status\npeers: " + std::string(kMaxRelayStatusBytes, '1')})
        EXPECT_TRUE(RelayLinkLines(ParseRelayStatus(other)).empty()) << other.substr(0, 40);
}

TEST(DoctorPortOwner, SocketsOnAPortFromProcNet) {
    // /proc/net/udp: our port 9010 (0x2332) twice (a chat sharing it), once on another address.
    const char udp[] =
        "   sl  local_address rem_address   st tx_queue rx_queue tr tm->when retrnsmt   uid  timeout inode ref "
        "pointer drops\n"
        "  118: 00000000:2332 00000000:0000 07 00000000:00000000 00:00000000 00000000     0        0 51234 2 "
        "0000000012345678 0\n"
        "  118: 0100000A:2332 00000000:0000 07 00000000:00000000 00:00000000 00000000  1000        0 51240 2 "
        "0000000012345679 0\n"
        "  119: 00000000:2333 00000000:0000 07 00000000:00000000 00:00000000 00000000     0        0 51300 2 "
        "000000001234567a 0\n";
    EXPECT_EQ(SocketInodesOnPort(udp, 9010, false), (std::vector<unsigned long>{51234, 51240}));
    EXPECT_TRUE(SocketInodesOnPort(udp, 9012, false).empty());
    // /proc/net/tcp: only the listening socket on 9012 (0x2334) holds it, not a connection from it.
    const char tcp[] =
        "  sl  local_address rem_address   st tx_queue rx_queue tr tm->when retrnsmt   uid  timeout inode\n"
        "   0: 00000000:2334 00000000:0000 0A 00000000:00000000 00:00000000 00000000     0        0 7001 1 "
        "0000000000000000 100 0 0 10 0\n"
        "   1: 0200000A:2334 0300000A:C350 01 00000000:00000000 00:00000000 00000000     0        0 7002 1 "
        "0000000000000000 20 4 30 10 -1\n";
    EXPECT_EQ(SocketInodesOnPort(tcp, 9012, true), (std::vector<unsigned long>{7001}));
    EXPECT_EQ(SocketInodesOnPort(tcp, 9012, false).size(), 2u);
    EXPECT_TRUE(SocketInodesOnPort("", 9012, true).empty());
}

std::string Wire(const std::string& id, const std::string& name, int command, const std::string& ip = "10.0.0.2") {
    CSubstCodec codec;
    codec.SetTables(SubstTableA(), SubstTableB());
    return codec.EncodeText(*BuildPacketText({ip, id, name, "", 0}, command, "1:Available", kEveryone));
}

TEST(DoctorPeers, AnswersAreCountedOnceAndOurOwnWhoIsRecognised) {
    const DoctorIdentity me = NewDoctorIdentity("10.0.0.1");
    ASSERT_EQ(me.id.size(), 12u);
    PeerAnswers answers(me.id, {"CHATITSELF01"});
    // Our own WHO as the group hands it back.
    const std::string who = WhoBytes(me);
    ASSERT_EQ(who.back(), '\0');
    EXPECT_FALSE(answers.OwnWhoSeen());
    answers.Offer(who.substr(0, who.size() - 1), "10.0.0.1", 8);
    EXPECT_TRUE(answers.OwnWhoSeen());
    EXPECT_EQ(answers.Count(), 0u);

    answers.Offer(Wire("0A0B0C0D0E0F", "Bob", CMD_HERE), "10.0.0.2", 8);
    answers.Offer(Wire("0A0B0C0D0E0F", "Bob", CMD_HERE), "10.0.0.2", 8);
    answers.Offer(Wire("0A0B0C0D0E0F", "Bob", CMD_ACTIVE), "10.0.0.2", 8);
    answers.Offer(Wire("CHATITSELF01", "Me", CMD_HERE), "10.0.0.1", 8);  // the chat we run in
    answers.Offer(Wire("111111111111", "Eve\x1b[2J\n\x07", CMD_HERE), "10.2.0.9", 61);
    answers.Offer("garbage without a terminator", "10.0.0.3", 8);
    EXPECT_EQ(answers.Count(), 2u);
    EXPECT_EQ(FormatLine(answers.Line(8, 3, false)),
              "[ok] peers: 2 other copies answered within 3 s\n"
              "       Bob 10.0.0.2, same network\n"
              "       Eve[2J 10.2.0.9, 3 hops");
    // Over the relay the address is the packet's own and no TTL tells the distance.
    PeerAnswers relayed(me.id, {});
    relayed.Offer(Wire("222222222222", "Carol", CMD_HERE, "10.5.0.5"), "", -1);
    EXPECT_EQ(FormatLine(relayed.Line(8, 3, true)), "[ok] peers: 1 other copy answered within 3 s\n       Carol 10.5.0.5");
    EXPECT_EQ(FormatLine(PeerAnswers(me.id, {}).Line(8, 3, true)),
              "[warn] peers: no other copy answered within 3 s - start the chat on another computer with the same relay");
}

TEST(DoctorPeers, ListIsBoundedAndHopsFollowTheUsualStarts) {
    PeerAnswers answers("ABCDEFABCDEF", {});
    for (int i = 0; i < 60; ++i) {
        char id[13];
        std::snprintf(id, sizeof id, "%012d", i);
        answers.Offer(Wire(id, "user" + std::to_string(i), CMD_HERE), "10.0.0.9", 8);
    }
    const CheckLine line = answers.Line(8, 3, false);
    ASSERT_EQ(line.details.size(), PeerAnswers::kMaxListed + 1);
    EXPECT_EQ(line.details.front(), "user0 10.0.0.9, same network");
    EXPECT_EQ(line.details.back(), "... and 10 more");

    EXPECT_EQ(HopsFromTtl(8, 8), 0);
    EXPECT_EQ(HopsFromTtl(8, 32), 0);  // a copy with the default TTL beside one set higher
    EXPECT_EQ(HopsFromTtl(30, 32), 2);
    EXPECT_EQ(HopsFromTtl(5, 8), 3);
    EXPECT_EQ(HopsFromTtl(60, 8), 4);
    EXPECT_EQ(HopsFromTtl(127, 8), 1);
    EXPECT_EQ(HopsFromTtl(250, 32), 5);
    EXPECT_EQ(HopsFromTtl(-1, 8), -1);
    EXPECT_EQ(HopsFromTtl(0, 8), -1);
}

TEST(DoctorReport, LinesTextsAndExitVerdict) {
    CheckLine line = Fail("relay", "10.0.0.4 port 9011 refuses connections", "start it");
    EXPECT_EQ(FormatLine(line), "[fail] relay: 10.0.0.4 port 9011 refuses connections - start it");
    EXPECT_EQ(FormatLine(Ok("loop", "fine")), "[ok] loop: fine");
    EXPECT_TRUE(ChatWorks({Ok("a", "b"), Warn("c", "d", "e")}));
    EXPECT_FALSE(ChatWorks({Ok("a", "b"), line}));
    // A stranger's name: no control bytes, windows-1251 shown as UTF-8, long names cut.
    EXPECT_EQ(PrintableText("\xcf\xe5\xf2\xff\r\n"), "\xd0\x9f\xd0\xb5\xd1\x82\xd1\x8f");
    EXPECT_EQ(PrintableText(std::string(50, 'x'), 40), std::string(40, 'x') + "...");
}

TEST(DoctorDesktop, VerdictsFromTheSessionsFactsWithAdviceWhereAPartIsMissing) {
    // A Wayland session (Xwayland's DISPLAY beside it) with a tray, a server and the portal.
    DesktopFacts full{"wayland", "wayland-0", ":0", true, true, false, "mako 1.8.0", true};
    std::vector<std::string> out;
    for (const CheckLine& line : CheckDesktop(full)) out.push_back(FormatLine(line));
    EXPECT_EQ(out, (std::vector<std::string>{"[ok] session: Wayland, display wayland-0",
                                             "[ok] tray: a tray host answers (StatusNotifierWatcher)",
                                             "[ok] notifications: mako 1.8.0 answers",
                                             "[ok] portal: xdg-desktop-portal is present"}));

    // X11 with only the X server's own tray: the bubble is the fallback, so the advice says so.
    const std::vector<CheckLine> x11 = CheckDesktop({"", "", ":1", true, false, true, "", false});
    EXPECT_EQ(FormatLine(x11[0]) + "|" + FormatLine(x11[1]), "[ok] session: X11, display :1|[ok] tray: an X11 system tray answers");
    EXPECT_NE(x11[2].advice.find("its own bubble"), std::string::npos);

    // Wayland without a server: the bubble cannot stand in. A terminal without any session
    // warns only; the chat itself still works.
    EXPECT_NE(CheckDesktop({"wayland", "", "", true, false, false, "", false})[2].advice.find("Wayland cannot place"),
              std::string::npos);
    const std::vector<CheckLine> bare = CheckDesktop({});
    EXPECT_EQ(FormatLine(bare[0]), "[warn] session: no graphical session (WAYLAND_DISPLAY and DISPLAY are empty) - "
                                   "the desktop program needs one; zeltochat-cli works without");
    EXPECT_EQ(bare[2].text, "no notification server answers (no session bus)");
    EXPECT_TRUE(ChatWorks(bare));
}

}  // namespace
}  // namespace zc::doctor
