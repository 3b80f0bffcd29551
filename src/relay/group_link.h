#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace zc::relay {

struct GroupConfig {
    std::string interface;  // name or IPv4 address; empty: the first non-loopback IPv4 interface
    std::string group = "225.0.0.1";
    uint16_t port = 9010;
    int ttl = 8;
};

// The chat's multicast group on one segment, joined the way a chat copy joins it. Datagrams
// leave from a socket of their own, so the relay knows its own when the group hands them back.
class GroupLink {
public:
    GroupLink() = default;
    ~GroupLink();
    GroupLink(const GroupLink&) = delete;
    GroupLink& operator=(const GroupLink&) = delete;

    bool Open(const GroupConfig& config, std::string& error);
    // The descriptor to watch for incoming datagrams.
    int ReceiveFd() const { return receiveFd_; }
    // Where our datagrams come from, network byte order; for the log.
    uint32_t Address() const { return address_; }
    // Whether `address` (network byte order) is on the interface's subnet.
    bool OnSegment(uint32_t address) const { return (address & netmask_) == (address_ & netmask_); }
    std::string Describe() const;

    // Every waiting datagram that is not our own, cut at its first zero byte and ended with one,
    // with its source address (network byte order).
    void ReadAll(const std::function<void(std::string&& packet, uint32_t source)>& take);
    // One packet, zero byte included, to the group.
    bool Send(std::string_view packet);

private:
    GroupConfig config_;
    int receiveFd_ = -1;
    int sendFd_ = -1;
    uint32_t address_ = 0;
    uint32_t netmask_ = ~0u;
    uint16_t sendPort_ = 0;  // network byte order
    uint32_t groupAddress_ = 0;
};

}  // namespace zc::relay
