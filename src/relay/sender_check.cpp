#include "relay/sender_check.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <netinet/in.h>

#include <algorithm>

#include "relay/claimed_address.h"

namespace zc::relay {

namespace {

bool IsLoopback(uint32_t address) { return (ntohl(address) >> 24) == 127; }

std::vector<uint32_t> HostAddresses() {
    std::vector<uint32_t> out;
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) return out;
    for (ifaddrs* i = list; i; i = i->ifa_next)
        if (i->ifa_addr && i->ifa_addr->sa_family == AF_INET)
            out.push_back(reinterpret_cast<const sockaddr_in*>(i->ifa_addr)->sin_addr.s_addr);
    freeifaddrs(list);
    return out;
}

}  // namespace

SenderCheck::Verdict SenderCheck::Check(std::string_view wire, uint32_t peer) {
    const auto claimed = ClaimedAddress(wire);
    if (claimed && (*claimed == peer || (IsLoopback(peer) && IsLocal(*claimed)))) return Verdict::Own;
    return nat_ && claimed ? Verdict::Translated : Verdict::Forged;
}

void SenderCheck::SetLocalAddresses(std::vector<uint32_t> addresses) {
    local_ = std::move(addresses);
    fixed_ = true;
}

// The host's addresses change rarely; asked again at most every few seconds, when one is missing.
bool SenderCheck::IsLocal(uint32_t address) {
    if (IsLoopback(address)) return true;
    if (std::find(local_.begin(), local_.end(), address) != local_.end()) return true;
    const auto now = std::chrono::steady_clock::now();
    if (fixed_ || now - readAt_ < std::chrono::seconds(5)) return false;
    readAt_ = now;
    local_ = HostAddresses();
    return std::find(local_.begin(), local_.end(), address) != local_.end();
}

}  // namespace zc::relay
