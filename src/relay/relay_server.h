#pragma once
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace zc::relay {

struct RelayConfig {
    std::string bindAddress = "0.0.0.0";  // IPv4 literal; the chat client speaks IPv4 only
    uint16_t port = 9011;                 // 0 picks a free port, see RelayServer::Port()
    bool echo = false;                    // also send each packet back to its sender
    size_t maxClients = 10000;            // connections past this are refused
    // A client whose link went away without a close is dropped after this much silence. The
    // kernel's keepalive probes tell a quiet client from a gone one, so quiet ones stay.
    std::chrono::seconds quietTimeout{60};
};

// What the server did, for tests and the benchmark; read after Run returned.
struct RelayStats {
    uint64_t reads = 0;       // successful reads from clients
    uint64_t writes = 0;      // gathered writes to clients
    uint64_t refused = 0;     // connections closed at once: client cap or no descriptors
};

// Passes every zero-terminated packet of one client on to all the others. One thread, one
// epoll loop, non-blocking sockets; a client that stops reading is cut off instead of
// slowing the rest down.
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
    struct Client;

    void AcceptAll();
    bool AdmitOrRefuse(int fd, const std::string& peer);
    void Refuse(const std::string& peer, const std::string& reason);
    void EndRefusals();
    void ReadFrom(Client& client);
    void Broadcast(const Client& from, std::string&& chunk);
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
    std::chrono::steady_clock::time_point acceptPausedUntil_{};
    bool acceptWatched_ = false;
    std::vector<std::unique_ptr<Client>> clients_;
    std::vector<Client*> byFd_;
    std::vector<Client*> toFlush_;
    size_t live_ = 0;
    size_t closing_ = 0;
    // A burst of refused connections is logged once at its start and once at its end.
    size_t refusedInBurst_ = 0;
    std::vector<char> readBuffer_;
    RelayStats stats_;
};

}  // namespace zc::relay
