#include "doctor/group_probe.h"

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include "doctor/port_owner.h"

namespace zc::doctor {

namespace {

std::string ErrnoText(int error) { return std::strerror(error); }

bool Pinned(const std::string& address) { return !address.empty() && address != "0.0.0.0"; }

}  // namespace

GroupProbe::~GroupProbe() {
    if (groupFd_ >= 0) ::close(groupFd_);
    if (sendFd_ >= 0) ::close(sendFd_);
}

CheckLine GroupProbe::Open() {
    const std::string kName = "socket";
    const std::string port = std::to_string(s_.port);
    groupFd_ = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (groupFd_ < 0) return Fail(kName, "cannot make a UDP socket: " + ErrnoText(errno), "");
    const int on = 1;
    // Other copies on this computer share the port, as the chat's socket does.
    ::setsockopt(groupFd_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in any{};
    any.sin_family = AF_INET;
    any.sin_port = htons(static_cast<uint16_t>(s_.port));
    any.sin_addr.s_addr = htonl(INADDR_ANY);
    if (::bind(groupFd_, reinterpret_cast<sockaddr*>(&any), sizeof any) != 0) {
        const int error = errno;
        if (error == EADDRINUSE)
            return Fail(kName,
                        "UDP port " + port + " is held by another program" +
                            PortOwnerText("/proc/net/udp", s_.port, false),
                        "end it (ss -ulpn 'sport = :" + port + "' names it) or give every copy another PORT");
        return Fail(kName, "cannot bind UDP port " + port + ": " + ErrnoText(error), "");
    }
    ::setsockopt(groupFd_, SOL_SOCKET, SO_DONTROUTE, &on, sizeof on);
    ::setsockopt(groupFd_, IPPROTO_IP, IP_RECVTTL, &on, sizeof on);
    ip_mreq membership{};
    membership.imr_multiaddr.s_addr = inet_addr(s_.group.c_str());
    membership.imr_interface.s_addr = inet_addr(s_.interfaceAddr.c_str());
    const std::string where = Pinned(s_.interfaceAddr) ? " on " + s_.interfaceAddr : "";
    if (::setsockopt(groupFd_, IPPROTO_IP, IP_ADD_MEMBERSHIP, &membership, sizeof membership) != 0) {
        const int error = errno;
        ::close(groupFd_);
        groupFd_ = -1;
        return Fail(kName, "cannot join " + s_.group + where + ": " + ErrnoText(error),
                    error == ENODEV ? "see the route line" : "check MULTICASTGROUP and INTERFACE in [NETWORK]");
    }
    sendFd_ = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (sendFd_ < 0) return Fail(kName, "cannot make a UDP socket: " + ErrnoText(errno), "");
    ::setsockopt(sendFd_, SOL_SOCKET, SO_DONTROUTE, &on, sizeof on);
    if (Pinned(s_.interfaceAddr))
        ::setsockopt(sendFd_, IPPROTO_IP, IP_MULTICAST_IF, &membership.imr_interface, sizeof membership.imr_interface);
    const unsigned char hops = static_cast<unsigned char>(s_.ttl);
    ::setsockopt(sendFd_, IPPROTO_IP, IP_MULTICAST_TTL, &hops, sizeof hops);
    return Ok(kName, "UDP port " + port + " bound, " + s_.group + " joined" + where);
}

CheckLine GroupProbe::SendWhoAndListen(const std::string& whoBytes, PeerAnswers& answers, int waitMs) {
    const std::string kName = "loop";
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(static_cast<uint16_t>(s_.port));
    to.sin_addr.s_addr = inet_addr(s_.group.c_str());
    if (::sendto(sendFd_, whoBytes.data(), whoBytes.size(), 0, reinterpret_cast<sockaddr*>(&to), sizeof to) < 0) {
        const int error = errno;
        return Fail(kName, "cannot send to " + s_.group + ": " + ErrnoText(error), "see the route line");
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) break;
        pollfd p{groupFd_, POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(left.count())) <= 0) continue;
        // The chat's largest datagram is 4096 characters and a zero byte; larger ones are dropped.
        char buffer[4098];
        char control[CMSG_SPACE(sizeof(int)) * 2];
        sockaddr_in from{};
        iovec io{buffer, sizeof buffer};
        msghdr m{};
        m.msg_name = &from;
        m.msg_namelen = sizeof from;
        m.msg_iov = &io;
        m.msg_iovlen = 1;
        m.msg_control = control;
        m.msg_controllen = sizeof control;
        const ssize_t n = ::recvmsg(groupFd_, &m, MSG_DONTWAIT);
        if (n <= 0 || static_cast<size_t>(n) > 4097 || (m.msg_flags & MSG_TRUNC)) continue;
        int ttl = -1;
        for (cmsghdr* c = CMSG_FIRSTHDR(&m); c; c = CMSG_NXTHDR(&m, c))
            if (c->cmsg_level == IPPROTO_IP && c->cmsg_type == IP_TTL) std::memcpy(&ttl, CMSG_DATA(c), sizeof ttl);
        char address[INET_ADDRSTRLEN] = {};
        inet_ntop(AF_INET, &from.sin_addr, address, sizeof address);
        const std::string text(buffer, ::strnlen(buffer, static_cast<size_t>(n)));
        answers.Offer(text, address, ttl);
    }
    if (answers.OwnWhoSeen()) return Ok(kName, "our own WHO came back");
    return Fail(kName, "our own WHO did not come back within " + std::to_string(waitMs / 1000) + " s",
                "a firewall drops it (see the firewall line) or multicast loop is off");
}

}  // namespace zc::doctor
