#pragma once
#include <string>
#include <vector>

#include "doctor/doctor_report.h"

namespace zc::doctor {

struct WatchedPort {
    std::string proto;  // "udp" or "tcp"
    int port = 0;
};

// A place in the rules that drops one of our ports.
struct PortBlock {
    std::string where;  // "inet filter input" (nftables) or "INPUT" (iptables)
    std::string hook;   // "input", "output", ... ; empty for a chain only reached by a jump
    WatchedPort port;
    bool byPolicy = false;  // the chain drops by default and no rule accepts the port
};

// "nft list ruleset" text: rules ending in drop or reject on "udp/tcp/th dport" equal to, or a
// range or set holding, a watched port, in every chain but forward ones; and input chains
// whose policy is drop without a rule that accepts the port.
std::vector<PortBlock> ParseNftRuleset(const std::string& text, const std::vector<WatchedPort>& ports);

// The same for "iptables -S".
std::vector<PortBlock> ParseIptablesRules(const std::string& text, const std::vector<WatchedPort>& ports);

// How the rules could be read; blocks are meaningful when readable.
struct FirewallRead {
    bool readable = false;
    bool toolFound = false;  // nft or iptables could be started
    std::string tool;  // "nftables" or "iptables"
    std::vector<PortBlock> blocks;
};
FirewallRead ReadFirewall(const std::vector<WatchedPort>& ports);

// chatPort is the UDP port the chat needs (0 in relay mode); filePort the transfer port.
CheckLine CheckFirewall(const FirewallRead& read, int chatPort, int filePort);

}  // namespace zc::doctor
