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
};

// Passes every zero-terminated packet of one client on to all the others. One thread, one
// poll() loop, non-blocking sockets; a client that stops reading is cut off instead of
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

    // Serves until `stopFd` becomes readable (true) or poll() fails (false), then closes
    // every connection. `stopFd` is only watched, never read.
    bool Run(int stopFd);

private:
    struct Client;

    void AcceptAll();
    void ReadFrom(Client& client);
    void Broadcast(const Client& from, std::vector<std::string>& packets);
    void Flush(Client& client);
    void Drop(Client& client, std::string reason);
    void Sweep();
    void CloseAll(const std::string& reason);
    size_t LiveCount() const;

    RelayConfig config_;
    LogFn log_;
    int listenFd_ = -1;
    uint16_t port_ = 0;
    std::chrono::steady_clock::time_point acceptPausedUntil_{};
    std::vector<std::unique_ptr<Client>> clients_;
    std::vector<char> readBuffer_;
    std::vector<std::string> packets_;  // reused for every read
};

}  // namespace zc::relay
