#pragma once
// A plain blocking TCP client for the relay tests. It splits packets itself, independently of
// the relay's own splitter, so a fault there cannot hide in both ends.
#include <arpa/inet.h>
#include <linux/filter.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <deque>
#include <optional>
#include <string>
#include <string_view>

#include "net/subst_codec.h"

namespace zc::relay::test {

// A chat packet as it travels, naming `address`: the program passes on only packets that name
// the address they come from.
inline std::string WirePacket(std::string_view line, std::string_view address = "127.0.0.1") {
    CSubstCodec codec;
    codec.SetTables(SubstTableA(), SubstTableB());
    return codec.EncodeText(std::string(address) + "(TESTER01)||Tester||||0.0||0||6||1:" + std::string(line) + "//end");
}

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

class TestClient {
public:
    // receiveBuffer > 0 shrinks SO_RCVBUF, so a client that never reads fills up quickly.
    // `from` is the loopback address it connects from, so one test can play several hosts.
    explicit TestClient(uint16_t port, int receiveBuffer = 0, const char* from = "127.0.0.1") {
        fd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (fd_ < 0) return;
        if (receiveBuffer > 0) setsockopt(fd_, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
        sockaddr_in source{};
        source.sin_family = AF_INET;
        inet_pton(AF_INET, from, &source.sin_addr);
        // The port is chosen at connect, so thousands of clients do not run out of ports.
        int one = 1;
        setsockopt(fd_, IPPROTO_IP, IP_BIND_ADDRESS_NO_PORT, &one, sizeof one);
        if (bind(fd_, reinterpret_cast<sockaddr*>(&source), sizeof source) != 0) {
            close(fd_);
            fd_ = -1;
            return;
        }
        from_ = from;
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_port = htons(port);
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (connect(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
            close(fd_);
            fd_ = -1;
            return;
        }
        socklen_t len = sizeof addr;
        getsockname(fd_, reinterpret_cast<sockaddr*>(&addr), &len);
        localPort_ = ntohs(addr.sin_port);
    }
    ~TestClient() { Close(); }
    TestClient(const TestClient&) = delete;
    TestClient& operator=(const TestClient&) = delete;

    bool Ok() const { return fd_ >= 0; }
    // How the relay names this client in its log.
    std::string Peer() const { return from_ + ":" + std::to_string(localPort_); }
    void Close() {
        if (fd_ >= 0) close(fd_);
        fd_ = -1;
    }

    // Drops every segment that reaches this socket before TCP sees it, so to the relay it is
    // a peer whose link went away without a close: nothing is answered, not even keepalives.
    bool GoDeaf() {
        sock_filter dropAll[] = {{BPF_RET | BPF_K, 0, 0, 0}};
        sock_fprog program{1, dropAll};
        return setsockopt(fd_, SOL_SOCKET, SO_ATTACH_FILTER, &program, sizeof program) == 0;
    }

    bool Send(std::string_view bytes) {
        while (!bytes.empty()) {
            const ssize_t n = send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) return false;
            bytes.remove_prefix(static_cast<size_t>(n));
        }
        return true;
    }
    bool SendPacket(std::string_view text) { return Send(std::string(text) + '\0'); }

    // The next packet without its zero byte; nullopt on timeout or end of stream.
    std::optional<std::string> NextPacket(std::chrono::milliseconds timeout = 3000ms) {
        const auto deadline = Clock::now() + timeout;
        while (ready_.empty()) {
            if (!ReadSome(deadline)) return std::nullopt;
        }
        std::string packet = std::move(ready_.front());
        ready_.pop_front();
        return packet;
    }

    // Reads as a client built to take one packet per read does: one read of up to 4096 bytes,
    // whose text ends at the first zero byte; whatever follows in that read is lost. nullopt on
    // timeout or end of stream.
    std::optional<std::string> ReadOnePacket(std::chrono::milliseconds timeout = 3000ms) {
        pollfd p{fd_, POLLIN, 0};
        if (fd_ < 0 || poll(&p, 1, static_cast<int>(timeout.count())) <= 0) return std::nullopt;
        char buf[4096];
        const ssize_t n = recv(fd_, buf, sizeof buf, 0);
        if (n <= 0) return std::nullopt;
        return std::string(buf, strnlen(buf, static_cast<size_t>(n)));
    }

    // True when the relay closes the connection in time; whatever arrives first is discarded.
    bool WaitClosed(std::chrono::milliseconds timeout = 5000ms) {
        const auto deadline = Clock::now() + timeout;
        while (ReadSome(deadline)) ready_.clear();
        return closed_;
    }

private:
    // False on timeout or once the stream has ended.
    bool ReadSome(Clock::time_point deadline) {
        if (fd_ < 0 || closed_) return false;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) return false;
        pollfd p{fd_, POLLIN, 0};
        if (poll(&p, 1, static_cast<int>(left.count())) <= 0) return false;
        char buf[65536];
        const ssize_t n = recv(fd_, buf, sizeof buf, 0);
        if (n <= 0) {
            closed_ = true;  // an orderly close or a reset both end the stream
            return false;
        }
        for (ssize_t i = 0; i < n; ++i) {
            if (buf[i] == '\0') {
                ready_.push_back(std::move(partial_));
                partial_.clear();
            } else {
                partial_ += buf[i];
            }
        }
        return true;
    }

    int fd_ = -1;
    uint16_t localPort_ = 0;
    std::string from_;
    bool closed_ = false;
    std::string partial_;
    std::deque<std::string> ready_;
};

}  // namespace zc::relay::test
