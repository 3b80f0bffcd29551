#include "relay/relay_server.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "relay/output_queue.h"
#include "relay/stream_splitter.h"

namespace zc::relay {

namespace {

constexpr size_t kReadChunk = 64 * 1024;
// After running out of descriptors, stop accepting for a while instead of spinning.
constexpr auto kAcceptPause = std::chrono::milliseconds(200);

std::string Endpoint(const sockaddr_in& addr) {
    char text[INET_ADDRSTRLEN] = "?";
    inet_ntop(AF_INET, &addr.sin_addr, text, sizeof text);
    return std::string(text) + ":" + std::to_string(ntohs(addr.sin_port));
}

std::string Clients(size_t n) { return "(" + std::to_string(n) + (n == 1 ? " client)" : " clients)"); }

std::string ErrnoText(const char* what) { return std::string(what) + ": " + std::strerror(errno); }

}  // namespace

struct RelayServer::Client {
    Client(int f, std::string p) : fd(f), peer(std::move(p)) {}
    int fd;
    std::string peer;
    StreamSplitter splitter;
    OutputQueue queue;
    bool blocked = false;      // last send hit EAGAIN: wait for POLLOUT
    std::string closeReason;   // non-empty once dropped; closed by Sweep
};

RelayServer::RelayServer(RelayConfig config, LogFn log)
    : config_(std::move(config)), log_(std::move(log)), readBuffer_(kReadChunk) {
    if (!log_) log_ = [](const std::string&) {};
}

RelayServer::~RelayServer() {
    for (auto& c : clients_) close(c->fd);
    if (listenFd_ >= 0) close(listenFd_);
}

bool RelayServer::Listen(std::string& error) {
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(config_.port);
    if (inet_pton(AF_INET, config_.bindAddress.c_str(), &addr.sin_addr) != 1) {
        error = "'" + config_.bindAddress + "' is not an IPv4 address";
        return false;
    }
    const std::string where = config_.bindAddress + ":" + std::to_string(config_.port);
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        error = ErrnoText("socket");
        return false;
    }
    int one = 1;
    // A restarted relay must not wait for old connections in TIME_WAIT.
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    if (bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) < 0 || listen(fd, SOMAXCONN) < 0) {
        error = "cannot listen on " + where + ": " + std::strerror(errno);
        close(fd);
        return false;
    }
    socklen_t len = sizeof addr;
    getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
    if (listenFd_ >= 0) close(listenFd_);
    listenFd_ = fd;
    port_ = ntohs(addr.sin_port);
    log_("listening on " + Endpoint(addr) + (config_.echo ? ", echo on" : ""));
    return true;
}

bool RelayServer::Run(int stopFd) {
    std::vector<pollfd> fds;
    bool ok = true;
    for (;;) {
        const bool accepting = listenFd_ >= 0 && std::chrono::steady_clock::now() >= acceptPausedUntil_;
        fds.clear();
        fds.push_back({stopFd, POLLIN, 0});
        fds.push_back({accepting ? listenFd_ : -1, POLLIN, 0});  // poll skips a negative fd
        for (const auto& c : clients_)
            fds.push_back({c->fd, static_cast<short>(POLLIN | (c->blocked ? POLLOUT : 0)), 0});

        const int timeout = accepting ? -1 : static_cast<int>(kAcceptPause.count());
        if (poll(fds.data(), fds.size(), timeout) < 0) {
            if (errno == EINTR) continue;
            log_(ErrnoText("poll"));
            ok = false;
            break;
        }
        if (fds[0].revents) break;

        // Accept only after the reads, so fds[i + 2] still matches clients_[i].
        for (size_t i = 0; i < clients_.size(); ++i) {
            Client& c = *clients_[i];
            const short ev = fds[i + 2].revents;
            if (!c.closeReason.empty()) continue;
            if (ev & POLLOUT) c.blocked = false;
            if (ev & (POLLIN | POLLHUP | POLLERR)) ReadFrom(c);
        }
        if (fds[1].revents & POLLIN) AcceptAll();
        for (auto& c : clients_)
            if (c->closeReason.empty() && !c->blocked && !c->queue.Empty()) Flush(*c);
        Sweep();
    }
    CloseAll(ok ? "relay stopping" : "relay failed");
    return ok;
}

void RelayServer::AcceptAll() {
    for (;;) {
        sockaddr_in addr{};
        socklen_t len = sizeof addr;
        int fd = accept4(listenFd_, reinterpret_cast<sockaddr*>(&addr), &len, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) {
            switch (errno) {
                case EAGAIN:
#if EWOULDBLOCK != EAGAIN
                case EWOULDBLOCK:
#endif
                    return;
                // The connection died in the backlog; the next one may be fine.
                case EINTR:
                case ECONNABORTED:
                case EPROTO:
                case ENETDOWN:
                case ENETUNREACH:
                case EHOSTUNREACH:
                case EHOSTDOWN:
                case ENONET:
                case ENOPROTOOPT:
                case EOPNOTSUPP:
                    continue;
                default:
                    log_(ErrnoText("accept") + ", not accepting for a moment");
                    acceptPausedUntil_ = std::chrono::steady_clock::now() + kAcceptPause;
                    return;
            }
        }
        int one = 1;
        // Packets are small and each must go out on its own, so no Nagle delay.
        setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        clients_.push_back(std::make_unique<Client>(fd, Endpoint(addr)));
        log_("connect " + clients_.back()->peer + " " + Clients(LiveCount()));
    }
}

void RelayServer::ReadFrom(Client& client) {
    const ssize_t n = recv(client.fd, readBuffer_.data(), readBuffer_.size(), 0);
    if (n == 0) return Drop(client, "closed by peer");
    if (n < 0) {
        if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) return;
        return Drop(client, ErrnoText("read"));
    }
    packets_.clear();
    const bool fine = client.splitter.Feed(readBuffer_.data(), static_cast<size_t>(n), packets_);
    Broadcast(client, packets_);
    if (!fine) Drop(client, std::to_string(kMaxPacketBytes) + " bytes without a packet end");
}

void RelayServer::Broadcast(const Client& from, std::vector<std::string>& packets) {
    for (std::string& text : packets) {
        auto packet = std::make_shared<const std::string>(std::move(text));
        for (auto& other : clients_) {
            if (!other->closeReason.empty() || (other.get() == &from && !config_.echo)) continue;
            if (!other->queue.Push(packet))
                Drop(*other, "stopped reading, over " + std::to_string(kMaxBacklogBytes) + " bytes unsent");
        }
    }
}

void RelayServer::Flush(Client& client) {
    while (!client.queue.Empty()) {
        // One send per packet: the client takes each read as a single packet.
        const std::string_view data = client.queue.Front();
        const ssize_t n = send(client.fd, data.data(), data.size(), MSG_NOSIGNAL);
        if (n < 0) {
            if (errno == EINTR) continue;
            if (errno == EAGAIN || errno == EWOULDBLOCK) {
                client.blocked = true;
                return;
            }
            return Drop(client, ErrnoText("write"));
        }
        client.queue.Consume(static_cast<size_t>(n));
    }
}

void RelayServer::Drop(Client& client, std::string reason) {
    if (client.closeReason.empty()) client.closeReason = std::move(reason);
}

size_t RelayServer::LiveCount() const {
    size_t n = 0;
    for (const auto& c : clients_) n += c->closeReason.empty();
    return n;
}

void RelayServer::Sweep() {
    const size_t live = LiveCount();
    if (live == clients_.size()) return;
    for (auto& c : clients_) {
        if (c->closeReason.empty()) continue;
        close(c->fd);
        log_("disconnect " + c->peer + ": " + c->closeReason + " " + Clients(live));
    }
    std::erase_if(clients_, [](const auto& c) { return !c->closeReason.empty(); });
}

void RelayServer::CloseAll(const std::string& reason) {
    for (auto& c : clients_) Drop(*c, reason);
    Sweep();
}

}  // namespace zc::relay
