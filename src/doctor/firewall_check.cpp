#include "doctor/firewall_check.h"

#include <sstream>

#include "doctor/command_runner.h"

namespace zc::doctor {

namespace {

std::vector<std::string> Tokens(const std::string& line) {
    // Quoted texts (comments) are dropped; braces and commas become tokens of their own.
    std::string spaced;
    bool quoted = false;
    for (char c : line) {
        if (c == '"') quoted = !quoted;
        else if (quoted) continue;
        else if (c == '{' || c == '}' || c == ',' || c == ';') spaced += std::string(" ") + c + " ";
        else spaced += c;
    }
    std::vector<std::string> out;
    std::istringstream in(spaced);
    for (std::string t; in >> t;) out.push_back(t);
    return out;
}

bool ParsePort(const std::string& text, int& value) {
    if (text.empty() || text.size() > 5) return false;
    value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
    }
    return value <= 65535;
}

// "9010", "9000-9020" (nft) or "9000:9020" (iptables) holds port?
bool ItemHolds(const std::string& item, int port) {
    for (char separator : {'-', ':'}) {
        const size_t at = item.find(separator);
        if (at == std::string::npos) continue;
        int low = 0, high = 0;
        return ParsePort(item.substr(0, at), low) && ParsePort(item.substr(at + 1), high) && low <= port &&
               port <= high;
    }
    int value = 0;
    return ParsePort(item, value) && value == port;
}

bool Has(const std::vector<std::string>& tokens, const std::string& word) {
    for (const std::string& t : tokens)
        if (t == word) return true;
    return false;
}

enum class Action { None, Drop, Accept };

// What one nft rule does to a watched port.
Action NftRuleOn(const std::vector<std::string>& t, const WatchedPort& watched) {
    Action action = Action::None;
    if (Has(t, "drop") || Has(t, "reject")) action = Action::Drop;
    else if (Has(t, "accept")) action = Action::Accept;
    if (action == Action::None) return action;
    for (size_t i = 0; i + 2 < t.size(); ++i) {
        if (t[i + 1] != "dport") continue;
        const std::string& proto = t[i];
        if (proto == "th") {
            // "meta l4proto udp th dport ..." names the protocol before.
            for (size_t j = 0; j + 1 < i; ++j)
                if (t[j] == "l4proto" && t[j + 1] != watched.proto) return Action::None;
        } else if (proto != watched.proto) {
            continue;
        }
        size_t v = i + 2;
        if (t[v] == "!=") return Action::None;  // drops every other port
        if (t[v] == "==") ++v;
        if (v >= t.size()) return Action::None;
        if (t[v] != "{") return ItemHolds(t[v], watched.port) ? action : Action::None;
        for (++v; v < t.size() && t[v] != "}"; ++v)
            if (ItemHolds(t[v], watched.port)) return action;
        return Action::None;
    }
    return Action::None;
}

}  // namespace

std::vector<PortBlock> ParseNftRuleset(const std::string& text, const std::vector<WatchedPort>& ports) {
    std::vector<PortBlock> blocks;
    std::istringstream in(text);
    std::string line, table, chain, hook;
    bool policyDrop = false;
    std::vector<bool> accepted(ports.size()), dropped(ports.size());
    int depth = 0, chainDepth = -1;
    auto endChain = [&] {
        if (!chain.empty() && policyDrop && (hook == "input" || hook == "prerouting"))
            for (size_t p = 0; p < ports.size(); ++p)
                if (!accepted[p] && !dropped[p]) blocks.push_back({table + " " + chain, hook, ports[p], true});
        chain.clear();
        hook.clear();
        policyDrop = false;
        chainDepth = -1;
    };
    while (std::getline(in, line)) {
        const std::vector<std::string> t = Tokens(line);
        int opened = 0;
        for (const std::string& token : t) opened += token == "{" ? 1 : token == "}" ? -1 : 0;
        if (!t.empty() && t[0] == "table" && t.size() >= 3) {
            table = t.size() >= 4 && t[2] != "{" ? t[1] + " " + t[2] : t[1];
        } else if (!t.empty() && t[0] == "chain" && t.size() >= 2 && opened > 0) {
            endChain();
            chain = t[1];
            chainDepth = depth + 1;
            std::fill(accepted.begin(), accepted.end(), false);
            std::fill(dropped.begin(), dropped.end(), false);
        } else if (!chain.empty() && depth == chainDepth) {
            for (size_t i = 0; i + 1 < t.size(); ++i) {
                if (t[i] == "hook") hook = t[i + 1];
                if (t[i] == "policy") policyDrop = t[i + 1] == "drop";
            }
            if (hook != "forward" && !Has(t, "hook")) {
                for (size_t p = 0; p < ports.size(); ++p) {
                    const Action a = NftRuleOn(t, ports[p]);
                    if (a == Action::Accept && !dropped[p]) accepted[p] = true;
                    if (a == Action::Drop && !accepted[p]) {
                        dropped[p] = true;
                        blocks.push_back({table + " " + chain, hook, ports[p], false});
                    }
                }
            }
        }
        depth += opened;
        if (!chain.empty() && depth < chainDepth) endChain();
    }
    endChain();
    return blocks;
}

std::vector<PortBlock> ParseIptablesRules(const std::string& text, const std::vector<WatchedPort>& ports) {
    std::vector<PortBlock> blocks;
    std::istringstream in(text);
    std::string line;
    bool inputDrops = false;
    std::vector<bool> inputAccepts(ports.size()), inputDropped(ports.size());
    while (std::getline(in, line)) {
        std::vector<std::string> t;
        std::istringstream words(line);
        for (std::string w; words >> w;) t.push_back(w);
        if (t.size() >= 3 && t[0] == "-P" && t[1] == "INPUT") inputDrops = t[2] == "DROP";
        if (t.size() < 2 || t[0] != "-A" || t[1] == "FORWARD") continue;
        std::string proto, target;
        std::vector<std::string> items;
        bool negated = false, skip = false;
        for (size_t i = 2; i < t.size(); ++i) {
            const std::string& w = t[i];
            if (w == "!") {
                negated = true;
                continue;
            }
            if (w == "-p" && i + 1 < t.size()) proto = t[++i];
            else if (w == "-j" && i + 1 < t.size()) target = t[++i];
            else if ((w == "--dport" || w == "--dports" || w == "--destination-port") && i + 1 < t.size()) {
                // "! --dport 9010" drops every other port.
                if (negated) skip = true;
                std::istringstream list(t[++i]);
                for (std::string item; std::getline(list, item, ',');) items.push_back(item);
            }
            negated = false;
        }
        if (skip) continue;
        const bool drops = target == "DROP" || target == "REJECT";
        if (!drops && target != "ACCEPT") continue;
        for (size_t p = 0; p < ports.size(); ++p) {
            if (proto != ports[p].proto) continue;
            bool holds = false;
            for (const std::string& item : items) holds = holds || ItemHolds(item, ports[p].port);
            if (!holds) continue;
            const bool input = t[1] == "INPUT";
            if (!drops) {
                if (input && !inputDropped[p]) inputAccepts[p] = true;
                continue;
            }
            if (input && inputAccepts[p]) continue;
            if (input) inputDropped[p] = true;
            const std::string hook = input ? "input" : t[1] == "OUTPUT" ? "output" : "";
            blocks.push_back({t[1], hook, ports[p], false});
        }
    }
    if (inputDrops)
        for (size_t p = 0; p < ports.size(); ++p)
            if (!inputAccepts[p] && !inputDropped[p]) blocks.push_back({"INPUT", "input", ports[p], true});
    return blocks;
}

FirewallRead ReadFirewall(const std::vector<WatchedPort>& ports) {
    FirewallRead read;
    const CommandResult nft = RunCommand({"nft", "list", "ruleset"});
    if (nft.started && !nft.timedOut && nft.exitCode == 0) {
        read.readable = true;
        read.tool = "nftables";
        read.blocks = ParseNftRuleset(nft.out, ports);
        return read;
    }
    const CommandResult ipt = RunCommand({"iptables", "-S"});
    read.toolFound = nft.started || ipt.started;
    if (ipt.started && !ipt.timedOut && ipt.exitCode == 0) {
        read.readable = true;
        read.tool = "iptables";
        read.blocks = ParseIptablesRules(ipt.out, ports);
    }
    return read;
}

namespace {

std::string PortText(const WatchedPort& p) { return p.proto + " port " + std::to_string(p.port); }

std::string AllowCommand(const std::string& tool, const PortBlock& b) {
    const std::string port = std::to_string(b.port.port);
    if (tool == "nftables") {
        return "nft insert rule " + b.where + " " + b.port.proto + " dport " + port + " accept";
    }
    return "iptables -I " + b.where + " -p " + b.port.proto + " --dport " + port + " -j ACCEPT";
}

}  // namespace

CheckLine CheckFirewall(const FirewallRead& read, int chatPort, int filePort) {
    const std::string kName = "firewall";
    if (!read.readable && !read.toolFound)
        return Warn(kName, "cannot read the firewall rules (no nft or iptables here)",
                    "install nftables to let the check read them");
    if (!read.readable)
        return Warn(kName, "cannot read the firewall rules", "run the check as root to see them");
    // The chat port first: without it nobody shows up at all.
    const PortBlock* worst = nullptr;
    for (const PortBlock& b : read.blocks)
        if (!worst || (b.port.port == chatPort && b.port.proto == "udp" && worst->port.proto != "udp")) worst = &b;
    if (!worst) {
        std::string text = "no rule drops ";
        if (chatPort > 0) text += "udp port " + std::to_string(chatPort) + " or ";
        return Ok(kName, text + "tcp port " + std::to_string(filePort));
    }
    const bool chatBlocked = worst->port.proto == "udp" && worst->port.port == chatPort;
    std::string text = read.tool + (worst->byPolicy ? " drops by default " : " drops ") + PortText(worst->port) + " (" +
                       worst->where + ")";
    if (read.blocks.size() > 1) text += " and " + std::to_string(read.blocks.size() - 1) + " more";
    std::string advice = "allow it: " + AllowCommand(read.tool, *worst);
    if (!chatBlocked) return Warn(kName, text, "files cannot come in; " + advice);
    // A policy may still let it through a rule we cannot judge (by address, interface, ...).
    if (worst->byPolicy) return Warn(kName, text, advice);
    return Fail(kName, text, advice);
}

}  // namespace zc::doctor
