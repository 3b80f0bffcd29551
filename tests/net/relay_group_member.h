#pragma once
// A chat copy on the multicast group of lo, for the gateway tests (inside the test namespace).
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

namespace zc::relay::test {

inline uint32_t Ip(const char* dotted) { return inet_addr(dotted); }

// A UDP socket on the group, as a chat copy on the segment.
class GroupMember {
public:
    explicit GroupMember(uint16_t port = kPort) : port_(port) {
        fd_ = socket(AF_INET, SOCK_DGRAM, 0);
        int one = 1;
        setsockopt(fd_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
        sockaddr_in a{AF_INET, htons(port_), {Ip("225.0.0.1")}, {}};
        ip_mreqn join{{Ip("225.0.0.1")}, {Ip("127.0.0.1")}, 0};
        timeval wait{0, 300000};
        ok_ = bind(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 &&
              setsockopt(fd_, IPPROTO_IP, IP_ADD_MEMBERSHIP, &join, sizeof join) == 0 &&
              setsockopt(fd_, IPPROTO_IP, IP_MULTICAST_IF, &join, sizeof join) == 0 &&
              setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait) == 0;
    }
    ~GroupMember() { close(fd_); }
    bool Ok() const { return ok_; }
    void Send(const std::string& packet) {
        sockaddr_in to{AF_INET, htons(port_), {Ip("225.0.0.1")}, {}};
        sendto(fd_, packet.data(), packet.size() + 1, 0, reinterpret_cast<sockaddr*>(&to), sizeof to);
    }
    // The next datagram within `wait`, without its zero byte.
    std::optional<std::string> Next(std::chrono::milliseconds wait = std::chrono::milliseconds(2000)) {
        pollfd p{fd_, POLLIN, 0};
        if (poll(&p, 1, static_cast<int>(wait.count())) <= 0) return std::nullopt;
        char buffer[5000];
        const ssize_t n = recv(fd_, buffer, sizeof buffer, 0);
        if (n <= 0) return std::nullopt;
        return std::string(buffer, strnlen(buffer, static_cast<size_t>(n)));
    }
    // Every datagram within the wait, without its zero byte.
    std::vector<std::string> Received() {
        std::vector<std::string> out;
        char buffer[5000];
        for (ssize_t n; (n = recv(fd_, buffer, sizeof buffer, 0)) > 0;) out.emplace_back(buffer, strnlen(buffer, n));
        return out;
    }
    static constexpr uint16_t kPort = 19010;

private:
    uint16_t port_;
    int fd_ = -1;
    bool ok_ = false;
};


}  // namespace zc::relay::test
