#include "relay/group_link.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "relay/stream_splitter.h"

namespace zc::relay {

namespace {

// The interface named (by name or address), else the first up non-loopback IPv4 one.
bool FindInterface(const std::string& wanted, uint32_t& address, uint32_t& netmask, unsigned& index, std::string& error) {
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) {
        error = std::string("cannot list interfaces: ") + std::strerror(errno);
        return false;
    }
    in_addr wantedAddr{};
    const bool byAddress = !wanted.empty() && inet_pton(AF_INET, wanted.c_str(), &wantedAddr) == 1;
    bool found = false;
    for (ifaddrs* i = list; i && !found; i = i->ifa_next) {
        if (!i->ifa_addr || i->ifa_addr->sa_family != AF_INET) continue;
        const uint32_t a = reinterpret_cast<const sockaddr_in*>(i->ifa_addr)->sin_addr.s_addr;
        if (byAddress ? a == wantedAddr.s_addr
                      : wanted.empty() ? !(i->ifa_flags & IFF_LOOPBACK) && (i->ifa_flags & IFF_UP) : wanted == i->ifa_name) {
            address = a;
            netmask = i->ifa_netmask ? reinterpret_cast<const sockaddr_in*>(i->ifa_netmask)->sin_addr.s_addr : ~0u;
            index = if_nametoindex(i->ifa_name);
            found = true;
        }
    }
    freeifaddrs(list);
    if (!found)
        error = wanted.empty() ? std::string("no IPv4 interface to join the group on")
                               : "no IPv4 interface '" + wanted + "'";
    return found;
}

std::string Dotted(uint32_t address) {
    char text[INET_ADDRSTRLEN] = "?";
    in_addr a{address};
    inet_ntop(AF_INET, &a, text, sizeof text);
    return text;
}

}  // namespace

GroupLink::~GroupLink() {
    for (int fd : {receiveFd_, sendFd_})
        if (fd >= 0) close(fd);
}

bool GroupLink::Open(const GroupConfig& config, std::string& error) {
    config_ = config;
    in_addr group{};
    if (inet_pton(AF_INET, config.group.c_str(), &group) != 1 || (ntohl(group.s_addr) >> 28) != 0xE) {
        error = "'" + config.group + "' is not an IPv4 multicast group";
        return false;
    }
    groupAddress_ = group.s_addr;
    unsigned index = 0;
    if (!FindInterface(config.interface, address_, netmask_, index, error)) return false;
    const auto fail = [&](const char* what) {
        error = std::string(what) + ": " + std::strerror(errno);
        return false;
    };

    receiveFd_ = socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (receiveFd_ < 0) return fail("socket");
    int one = 1;
    // A chat copy on this host listens on the same port.
    setsockopt(receiveFd_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in bindAddr{};
    bindAddr.sin_family = AF_INET;
    bindAddr.sin_port = htons(config.port);
    bindAddr.sin_addr.s_addr = groupAddress_;  // group datagrams only
    if (bind(receiveFd_, reinterpret_cast<sockaddr*>(&bindAddr), sizeof bindAddr) != 0)
        return fail("cannot bind the group port");
    ip_mreqn join{};
    join.imr_multiaddr.s_addr = groupAddress_;
    join.imr_address.s_addr = address_;
    join.imr_ifindex = static_cast<int>(index);
    if (setsockopt(receiveFd_, IPPROTO_IP, IP_ADD_MEMBERSHIP, &join, sizeof join) != 0)
        return fail("cannot join the group");
    const int none = 0;
    // Only the group on our own interface, not what other sockets of the host joined.
    setsockopt(receiveFd_, IPPROTO_IP, IP_MULTICAST_ALL, &none, sizeof none);

    sendFd_ = socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (sendFd_ < 0) return fail("socket");
    sockaddr_in from{};
    from.sin_family = AF_INET;
    from.sin_addr.s_addr = address_;
    if (bind(sendFd_, reinterpret_cast<sockaddr*>(&from), sizeof from) != 0) return fail("cannot bind the send socket");
    socklen_t len = sizeof from;
    getsockname(sendFd_, reinterpret_cast<sockaddr*>(&from), &len);
    sendPort_ = from.sin_port;
    const unsigned char ttl = static_cast<unsigned char>(config.ttl), loop = 1;
    if (setsockopt(sendFd_, IPPROTO_IP, IP_MULTICAST_IF, &join, sizeof join) != 0 ||
        setsockopt(sendFd_, IPPROTO_IP, IP_MULTICAST_TTL, &ttl, sizeof ttl) != 0 ||
        // Copies on this very host are on the segment too.
        setsockopt(sendFd_, IPPROTO_IP, IP_MULTICAST_LOOP, &loop, sizeof loop) != 0)
        return fail("cannot set up multicast sending");
    return true;
}

std::string GroupLink::Describe() const {
    return config_.group + ":" + std::to_string(config_.port) + " on " + Dotted(address_) + ", TTL " +
           std::to_string(config_.ttl);
}

void GroupLink::ReadAll(const std::function<void(std::string&& packet, uint32_t source)>& take) {
    char buffer[kMaxPacketText + 2];
    for (;;) {
        sockaddr_in source{};
        socklen_t len = sizeof source;
        const ssize_t n = recvfrom(receiveFd_, buffer, sizeof buffer, MSG_TRUNC, reinterpret_cast<sockaddr*>(&source), &len);
        if (n < 0) {
            if (errno == EINTR) continue;
            return;  // EAGAIN, or an error the next datagram may not have
        }
        // Our own datagrams come back through the loop; one too long for a chat packet is no packet.
        if ((source.sin_addr.s_addr == address_ && source.sin_port == sendPort_) ||
            static_cast<size_t>(n) > kMaxPacketText + 1)
            continue;
        std::string packet(buffer, strnlen(buffer, static_cast<size_t>(n)));
        if (packet.empty()) continue;
        packet.push_back('\0');
        take(std::move(packet), source.sin_addr.s_addr);
    }
}

bool GroupLink::Send(std::string_view packet) {
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(config_.port);
    to.sin_addr.s_addr = groupAddress_;
    return sendto(sendFd_, packet.data(), packet.size(), MSG_DONTWAIT, reinterpret_cast<sockaddr*>(&to), sizeof to) ==
           static_cast<ssize_t>(packet.size());
}

}  // namespace zc::relay
