#include "qt/posix_transfer_sockets.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>
#include <utility>

namespace zc {

namespace {

using Clock = std::chrono::steady_clock;

// How often a blocked call looks at the stop flag.
constexpr int kSliceMs = 100;

class Socket {
public:
    explicit Socket(int fd) : fd_(fd) {}
    ~Socket() {
        if (fd_ >= 0) ::close(fd_);
    }
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;
    int Get() const { return fd_; }
    int Release() { return std::exchange(fd_, -1); }

private:
    int fd_;
};

std::unique_ptr<ByteLink> NoLink(std::string* why, const std::string& text) {
    if (why) *why = text;
    return nullptr;
}

std::string ErrnoText(const char* what) { return std::string(what) + ": " + std::strerror(errno); }

std::string AddressText(const sockaddr_in& addr) {
    char text[INET_ADDRSTRLEN] = {};
    return ::inet_ntop(AF_INET, &addr.sin_addr, text, sizeof text) ? text : "";
}

// The kernel wakes blocked calls every slice, so the link can look at stop and its idle time
// without an extra poll per block.
bool SetSliceTimeouts(int fd) {
    const timeval slice{0, kSliceMs * 1000};
    return ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &slice, sizeof slice) == 0 &&
           ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &slice, sizeof slice) == 0;
}

class PosixLink : public ByteLink {
public:
    PosixLink(int fd, const std::atomic<bool>& stop, int idleTimeoutMs, std::string peer)
        : socket_(fd), stop_(stop), idle_(idleTimeoutMs), peer_(std::move(peer)) {}

    long Send(const char* data, size_t size) override {
        return Retry([&] { return ::send(socket_.Get(), data, size, MSG_NOSIGNAL); });
    }
    long Receive(char* data, size_t size) override {
        return Retry([&] { return ::recv(socket_.Get(), data, size, 0); });
    }
    std::string PeerIp() const override { return peer_; }

private:
    template <typename Call>
    long Retry(Call call) {
        const auto giveUp = Clock::now() + idle_;
        for (;;) {
            const ssize_t n = call();
            if (n >= 0) return static_cast<long>(n);
            if (errno == EINTR) continue;
            if (errno != EAGAIN && errno != EWOULDBLOCK) return -1;
            if (stop_ || Clock::now() >= giveUp) return -1;
        }
    }

    Socket socket_;
    const std::atomic<bool>& stop_;
    std::chrono::milliseconds idle_;
    std::string peer_;
};

std::string PortProblem(int port) {
    return port > 0 && port <= 65535 ? std::string() : "port " + std::to_string(port) + " is out of range";
}

}  // namespace

PosixTransferSockets::PosixTransferSockets(int connectTimeoutMs, int idleTimeoutMs)
    : connectTimeoutMs_(connectTimeoutMs), idleTimeoutMs_(idleTimeoutMs) {}

std::unique_ptr<ByteLink> PosixTransferSockets::Accept(int port, const std::atomic<bool>& stop, std::string* why) {
    if (const std::string problem = PortProblem(port); !problem.empty()) return NoLink(why, problem);
    Socket listener(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (listener.Get() < 0) return NoLink(why, ErrnoText("socket"));
    const int on = 1;
    ::setsockopt(listener.Get(), SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<uint16_t>(port));
    addr.sin_addr.s_addr = htonl(INADDR_ANY);
    if (::bind(listener.Get(), reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0)
        return NoLink(why, ErrnoText("bind"));
    if (::listen(listener.Get(), 5) != 0) return NoLink(why, ErrnoText("listen"));

    for (;;) {
        if (stop) return NoLink(why, "stopped");
        pollfd p{listener.Get(), POLLIN, 0};
        const int ready = ::poll(&p, 1, kSliceMs);
        if (ready < 0 && errno != EINTR) return NoLink(why, ErrnoText("poll"));
        if (ready <= 0) continue;
        sockaddr_in peer{};
        socklen_t len = sizeof peer;
        const int fd = ::accept4(listener.Get(), reinterpret_cast<sockaddr*>(&peer), &len, SOCK_CLOEXEC);
        if (fd < 0) {
            // The caller gave up on its attempt before we took it; wait for the next one.
            if (errno == EINTR || errno == EAGAIN || errno == ECONNABORTED) continue;
            return NoLink(why, ErrnoText("accept"));
        }
        Socket accepted(fd);
        if (!SetSliceTimeouts(fd)) return NoLink(why, ErrnoText("setsockopt"));
        return std::make_unique<PosixLink>(accepted.Release(), stop, idleTimeoutMs_, AddressText(peer));
    }
}

std::unique_ptr<ByteLink> PosixTransferSockets::Connect(const std::string& ip, int port,
                                                        const std::atomic<bool>& stop, std::string* why) {
    if (const std::string problem = PortProblem(port); !problem.empty()) return NoLink(why, problem);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<uint16_t>(port));
    if (::inet_pton(AF_INET, ip.c_str(), &addr.sin_addr) != 1)
        return NoLink(why, "\"" + ip + "\" is not an IPv4 address");
    Socket s(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    if (s.Get() < 0) return NoLink(why, ErrnoText("socket"));

    if (::connect(s.Get(), reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        if (errno != EINPROGRESS) return NoLink(why, ErrnoText("connect"));
        const auto giveUp = Clock::now() + std::chrono::milliseconds(connectTimeoutMs_);
        for (;;) {
            if (stop) return NoLink(why, "stopped");
            if (Clock::now() >= giveUp) return NoLink(why, "connect: timed out");
            pollfd p{s.Get(), POLLOUT, 0};
            const int ready = ::poll(&p, 1, kSliceMs);
            if (ready < 0 && errno != EINTR) return NoLink(why, ErrnoText("poll"));
            if (ready > 0) break;
        }
        int error = 0;
        socklen_t len = sizeof error;
        if (::getsockopt(s.Get(), SOL_SOCKET, SO_ERROR, &error, &len) != 0) error = errno;
        if (error != 0) {
            errno = error;
            return NoLink(why, ErrnoText("connect"));
        }
    }
    const int flags = ::fcntl(s.Get(), F_GETFL);
    if (flags < 0 || ::fcntl(s.Get(), F_SETFL, flags & ~O_NONBLOCK) != 0 || !SetSliceTimeouts(s.Get()))
        return NoLink(why, ErrnoText("fcntl"));
    return std::make_unique<PosixLink>(s.Release(), stop, idleTimeoutMs_, ip);
}

void PosixTransferSockets::Pause(int ms, const std::atomic<bool>& stop) {
    const auto end = Clock::now() + std::chrono::milliseconds(ms);
    while (!stop) {
        const Clock::duration left = end - Clock::now();
        if (left <= Clock::duration::zero()) return;
        std::this_thread::sleep_for(std::min<Clock::duration>(left, std::chrono::milliseconds(kSliceMs)));
    }
}

}  // namespace zc
