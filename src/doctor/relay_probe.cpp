#include "doctor/relay_probe.h"

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace zc::doctor {

namespace {

using Clock = std::chrono::steady_clock;

int MsLeft(Clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

struct Connection {
    int fd = -1;
    std::string pending;  // bytes of a packet whose zero byte has not come yet
    ~Connection() {
        if (fd >= 0) ::close(fd);
    }
};

// 0 on success, else the errno of the failure; ETIMEDOUT when the deadline passed.
int Connect(Connection& c, const sockaddr_in& to, Clock::time_point deadline) {
    c.fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (c.fd < 0) return errno;
    if (::connect(c.fd, reinterpret_cast<const sockaddr*>(&to), sizeof to) == 0) return 0;
    if (errno != EINPROGRESS) return errno;
    pollfd p{c.fd, POLLOUT, 0};
    if (::poll(&p, 1, MsLeft(deadline)) <= 0) return ETIMEDOUT;
    int error = 0;
    socklen_t len = sizeof error;
    ::getsockopt(c.fd, SOL_SOCKET, SO_ERROR, &error, &len);
    return error;
}

bool Resolve(const std::string& server, int port, sockaddr_in& out) {
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (::getaddrinfo(server.c_str(), std::to_string(port).c_str(), &hints, &found) != 0 || !found) return false;
    std::memcpy(&out, found->ai_addr, sizeof out);
    ::freeaddrinfo(found);
    return true;
}

// Hands every complete packet of the stream to answers; a stream that never ends a packet is
// cut off past 64 KB.
void Feed(Connection& c, const char* data, size_t n, PeerAnswers& answers) {
    c.pending.append(data, n);
    size_t start = 0, zero;
    while ((zero = c.pending.find('\0', start)) != std::string::npos) {
        answers.Offer(c.pending.substr(start, zero - start), "", -1);
        start = zero + 1;
    }
    c.pending.erase(0, start);
    if (c.pending.size() > 65536) c.pending.clear();
}

}  // namespace

CheckLine ProbeRelay(const std::string& server, int port, const std::string& whoBytes, PeerAnswers& answers,
                     int waitMs, bool& reached) {
    const std::string kName = "relay";
    const std::string where = server + " port " + std::to_string(port);
    const std::string settings = "check SERVER and SERVERPORT in [NETWORK] of the profile";
    reached = false;
    sockaddr_in to{};
    if (!Resolve(server, port, to)) return Fail(kName, "cannot find " + server, settings);
    Connection first, second;
    const auto deadline = Clock::now() + std::chrono::milliseconds(waitMs);
    int error = Connect(first, to, deadline);
    if (error == 0) error = Connect(second, to, deadline);
    if (error == ECONNREFUSED)
        return Fail(kName, where + " refuses connections", "start the relay there (zeltorelay), or " + settings);
    if (error == ETIMEDOUT)
        return Fail(kName, "no answer from " + where + " within " + std::to_string(waitMs / 1000) + " s",
                    "check that the relay runs and no firewall drops tcp port " + std::to_string(port));
    if (error != 0) return Fail(kName, "cannot reach " + where + ": " + std::strerror(error), settings);
    reached = true;

    size_t sent = 0;
    const auto listenUntil = Clock::now() + std::chrono::milliseconds(waitMs);
    while (MsLeft(listenUntil) > 0) {
        pollfd p[2] = {{first.fd, static_cast<short>(POLLIN | (sent < whoBytes.size() ? POLLOUT : 0)), 0},
                       {second.fd, POLLIN, 0}};
        if (::poll(p, 2, MsLeft(listenUntil)) <= 0) continue;
        if (p[0].revents & POLLOUT) {
            const ssize_t n = ::send(first.fd, whoBytes.data() + sent, whoBytes.size() - sent, MSG_NOSIGNAL);
            if (n > 0) sent += static_cast<size_t>(n);
        }
        Connection* both[2] = {&first, &second};
        for (int i = 0; i < 2; ++i) {
            if (!(p[i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
            char buffer[4096];
            const ssize_t n = ::recv(both[i]->fd, buffer, sizeof buffer, 0);
            if (n > 0) Feed(*both[i], buffer, static_cast<size_t>(n), answers);
            else if (n == 0 || (errno != EAGAIN && errno != EINTR))
                return Fail(kName, where + " closed our connection", "see the relay's log");
        }
    }
    if (answers.OwnWhoSeen()) return Ok(kName, where + " passed our WHO on");
    return Fail(kName,
                where + " accepts connections but did not pass our WHO on within " + std::to_string(waitMs / 1000) +
                    " s",
                "check that a ZeltoChat relay listens there");
}

RelayStatus QueryRelayStatus(const std::string& server, int port, int waitMs) {
    sockaddr_in to{};
    Connection c;
    const auto deadline = Clock::now() + std::chrono::milliseconds(waitMs);
    if (!Resolve(server, port, to) || Connect(c, to, deadline) != 0) return {};
    const std::string query(kRelayStatusQuery, sizeof kRelayStatusQuery);  // with its zero byte
    if (::send(c.fd, query.data(), query.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(query.size())) return {};
    // Chat packets the relay passes on before it reads the query are skipped, within a bound.
    size_t total = 0;
    while (MsLeft(deadline) > 0 && total < 16 * kMaxRelayStatusBytes) {
        pollfd p{c.fd, POLLIN, 0};
        if (::poll(&p, 1, MsLeft(deadline)) <= 0) continue;
        char buffer[kMaxRelayStatusBytes];
        const ssize_t n = ::recv(c.fd, buffer, sizeof buffer, 0);
        if (n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR)) return {};
        if (n < 0) continue;
        total += static_cast<size_t>(n);
        for (ssize_t i = 0; i < n; ++i) {
            if (buffer[i] != '\0') {
                if (c.pending.size() <= kMaxRelayStatusBytes) c.pending += buffer[i];
                continue;
            }
            RelayStatus status = ParseRelayStatus(c.pending);
            if (status.answered) return status;
            c.pending.clear();
        }
    }
    return {};
}

}  // namespace zc::doctor
