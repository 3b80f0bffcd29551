#pragma once
#include <chrono>
#include <ctime>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <queue>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "relay/broker_config.h"
#include "relay/address_sites.h"
#include "relay/group_link.h"
#include "relay/seen_packets.h"
#include "relay/sender_check.h"

struct sockaddr_in;
struct epoll_event;

namespace zc::relay {

struct RelayConfig {
    std::string bindAddress = "0.0.0.0";  // IPv4 literal; the chat client speaks IPv4 only
    uint16_t port = 9011;                 // 0 picks a free port, see RelayServer::Port()
    bool echo = false;                    // also send each packet back to its sender
    size_t maxClients = 10000;            // connections past this are refused
    // One host cannot take every place: a LAN relay serves a person per address, and a few
    // copies behind one NAT still fit.
    size_t maxPerAddress = 16;
    // A connection that sends no packet this long after connecting is closed, so idle
    // connections cannot hold places (the chat announces itself as soon as it connects).
    std::chrono::milliseconds greetingTimeout{60000};
    // A client whose link went away without a close is dropped after this much silence. The
    // kernel's keepalive probes tell a quiet client from a gone one, so quiet ones stay.
    std::chrono::seconds quietTimeout{60};
    // A client's packets must name the address it connected from; the program turns this on.
    bool checkSenders = false;
    // With checkSenders: clients behind address translation name another address; accepted, logged.
    bool nat = false;
    // Also a gateway to the chat's multicast group: datagrams from the group go to every client,
    // client packets to the group.
    bool gateway = false;
    GroupConfig group;
    // Other gateways of the same segment (IPv4, network order); needs `gateway`.
    std::vector<uint32_t> peers;
    // Other sites through an MQTT broker.
    BrokerConfig broker;
};

// What the server did, for tests and the benchmark; read after Run returned.
struct RelayStats {
    uint64_t reads = 0;          // successful reads from clients
    uint64_t writes = 0;         // writes to clients, one packet each while a client keeps up
    uint64_t catchUpWrites = 0;  // of those, gathered writes to a client that had fallen behind
    uint64_t refused = 0;        // connections closed at once: a cap, or no descriptors
    uint64_t forged = 0;         // packets dropped for naming an address they do not come from
    uint64_t duplicates = 0;     // packets a gateway had already passed on by another way
    uint64_t fromGroup = 0;      // datagrams from the group passed on to clients
    uint64_t toGroup = 0;        // client and broker packets sent to the group
    uint64_t fromPeers = 0;      // packets other gateways of the segment forwarded, passed to clients
    uint64_t toBroker = 0;       // packets published to the broker
    uint64_t fromBroker = 0;     // broker packets passed on
    uint64_t brokerDropped = 0;  // broker packets refused: too long, unreadable, or claiming this segment
};

// Passes every zero-terminated packet of one client on to all the others. One thread, one
// epoll loop, non-blocking sockets; a client that stops reading is cut off instead of
// slowing the rest down.
//
// Clients may take one packet per read, so a client that keeps up gets each packet in a write of
// its own, paced (see WritePace) so that packets arriving together (a burst, or a relay busy for
// a moment) reach it one by one. A client with more than 64 packets waiting for their turn, or
// whose socket is full, has fallen behind: it has unread packets anyway, so all that waits for
// it goes out in one gathered write.
class BrokerLink;
class PeerGateways;

// A client that sends exactly this and a zero byte gets the relay's status instead: this line
// and "key: value" lines, in one packet.
inline constexpr std::string_view kStatusRequest = "zeltorelay-status";

class RelayServer {
public:
    using LogFn = std::function<void(const std::string&)>;

    RelayServer(RelayConfig config, LogFn log);
    ~RelayServer();
    RelayServer(const RelayServer&) = delete;
    RelayServer& operator=(const RelayServer&) = delete;

    // Opens the listening socket; on failure `error` says why.
    bool Listen(std::string& error);
    // The bound port, meaningful after Listen.
    uint16_t Port() const { return port_; }

    // Serves until `stopFd` becomes readable (true) or the event loop fails (false), then
    // closes every connection. `stopFd` is only watched, never read.
    bool Run(int stopFd);

    const RelayStats& Stats() const { return stats_; }

private:
    using Clock = std::chrono::steady_clock;
    struct Client;
    // Something due for one client at `due`: its first packet, or its next paced write.
    struct Deadline {
        Clock::time_point due;
        int fd;
        uint64_t id;
        auto operator<=>(const Deadline&) const = default;
    };

    int Wait(epoll_event* events, int max, Clock::time_point now);
    Client* Find(int fd, uint64_t id) const;
    void CloseSilent(Clock::time_point now);
    void Pace(Clock::time_point now);
    void AcceptAll();
    bool AdmitOrRefuse(int fd, const sockaddr_in& addr);
    void Refuse(const std::string& peer, const std::string& reason);
    void EndRefusals();
    void ReadFrom(Client& client);
    void Broadcast(Client& from, std::string&& chunk);
    std::string Admitted(Client& from, const std::string& chunk);
    void ReadGroup();
    // The broker side, in broker_side.cpp.
    void ReadBroker();
    void FromBroker(const std::string& topic, const std::string& gateway, std::string&& payload);
    void DropFromBroker(const std::string& why);
    // A packet of our side that passed its checks: to the other sites, and its address is ours.
    void OurSideSpoke(std::string_view packet);
    void SendHeldToGroup(Clock::time_point now);
    // The answer to a status request, in relay_status.cpp.
    bool IsStatusRequest(std::string_view packet) const;
    void AnswerStatus(Client& client);
    std::string StatusText() const;
    void Fanout(const Client* from, std::string&& chunk);
    void Deliver(Client& client, const std::shared_ptr<const std::string>& chunk, size_t begin, size_t end);
    void Schedule(Client& client, Clock::time_point now);
    void WriteFirst(Client& client, Clock::time_point now);
    void Flush(Client& client);
    void WatchWrites(Client& client, bool on);
    void Drop(Client& client, std::string reason);
    void Sweep();
    void CloseAll(const std::string& reason);

    RelayConfig config_;
    LogFn log_;
    int listenFd_ = -1;
    int epollFd_ = -1;
    int spareFd_ = -1;  // kept open so a client can be told no when descriptors run out
    uint16_t port_ = 0;
    Clock::time_point acceptPausedUntil_{};
    Clock::time_point now_{};  // when the current round's events arrived
    bool acceptWatched_ = false;
    bool fineWait_ = true;  // epoll_pwait2 is there (Linux 5.11 and later)
    std::vector<std::unique_ptr<Client>> clients_;
    std::vector<Client*> byFd_;
    std::unordered_map<uint32_t, size_t> perAddress_;  // live clients per IPv4 address
    std::deque<Deadline> greetings_;                   // in order of connection, so of `due`
    std::priority_queue<Deadline, std::vector<Deadline>, std::greater<>> paced_;
    uint64_t nextId_ = 0;
    size_t live_ = 0;
    size_t closing_ = 0;
    // A burst of refused connections is logged once at its start and once at its end.
    size_t refusedInBurst_ = 0;
    std::vector<char> readBuffer_;
    RelayStats stats_;
    SenderCheck check_;
    std::unique_ptr<GroupLink> group_;  // when a gateway
    SeenPackets seen_;
    std::unique_ptr<PeerGateways> peers_;  // when a gateway with peers
    std::unique_ptr<BrokerLink> broker_;   // when linked to other sites
    bool brokerUp_ = false;
    bool brokerToldDown_ = false;       // "link down" is logged once per change
    std::time_t brokerDownSince_ = 0;
    std::string presence_;              // the latest presence query from our side, for a new link
    Clock::time_point presenceAt_{};
    std::unordered_map<std::string, Clock::time_point> sites_;  // other sites, when last heard
    AddressSites addressSites_;
    uint64_t linkRefused_ = 0;          // of the link's refusals, those counted in brokerDropped
};

}  // namespace zc::relay
