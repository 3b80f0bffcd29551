// Load generator for the relay benchmark: one sender and N receivers on 127.0.0.1, speaking
// either the relay's zero-terminated packets or MQTT 3.1.1 at QoS 0 to a broker. It counts the
// deliveries of a measured window and the CPU time the server process spent in that window.
//
//   relay_load --proto zc|mqtt --port P --clients N --server-pid PID [--size 200] [--seconds 5]
//              [--per-write 1]
#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/epoll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

[[noreturn]] void Die(const std::string& why) {
    std::fprintf(stderr, "relay_load: %s (%s)\n", why.c_str(), std::strerror(errno));
    std::exit(1);
}

int ConnectTo(uint16_t port) {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) Die("socket");
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(port);
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) Die("connect");
    int one = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    return fd;
}

void SendAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (n <= 0) Die("send");
        bytes.remove_prefix(static_cast<size_t>(n));
    }
}

// Blocking read of exactly `size` bytes, for the MQTT handshakes.
std::string ReadExactly(int fd, size_t size) {
    std::string out(size, '\0');
    size_t got = 0;
    while (got < size) {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, 5000) <= 0) Die("handshake timed out");
        const ssize_t n = recv(fd, out.data() + got, size - got, 0);
        if (n <= 0) Die("handshake read");
        got += static_cast<size_t>(n);
    }
    return out;
}

// utime + stime of a process, in seconds.
double ProcessCpu(int pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string stat((std::istreambuf_iterator<char>(in)), {});
    const size_t close = stat.rfind(')');
    if (close == std::string::npos) Die("cannot read the server's /proc stat");
    std::istringstream fields(stat.substr(close + 2));
    std::string f;
    unsigned long long utime = 0, stime = 0;
    for (int i = 3; i <= 15 && fields >> f; ++i) {
        if (i == 14) utime = std::stoull(f);
        if (i == 15) stime = std::stoull(f);
    }
    return static_cast<double>(utime + stime) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

std::string MqttString(std::string_view s) {
    std::string out;
    out += static_cast<char>(s.size() >> 8);
    out += static_cast<char>(s.size() & 0xff);
    out += s;
    return out;
}

std::string MqttFrame(uint8_t type, const std::string& body) {
    std::string out(1, static_cast<char>(type));
    size_t len = body.size();
    do {
        uint8_t b = len % 128;
        len /= 128;
        if (len) b |= 0x80;
        out += static_cast<char>(b);
    } while (len);
    return out + body;
}

void MqttConnect(int fd, const std::string& id) {
    std::string body = MqttString("MQTT");
    body += '\x04';            // protocol level 3.1.1
    body += '\x02';            // clean session
    body += std::string("\x00\x3c", 2);  // keep alive 60 s
    body += MqttString(id);
    SendAll(fd, MqttFrame(0x10, body));
    if (ReadExactly(fd, 4) != std::string("\x20\x02\x00\x00", 4)) Die("no CONNACK from the broker");
}

// Counts delivered messages in a receiver's byte stream.
struct Receiver {
    int fd = -1;
    long long received = 0;
    // MQTT frame parser: bytes of the current frame still to skip, and a partial header.
    size_t skip = 0;
    std::string header;

    void FeedZc(const char* p, size_t n) {
        const char* end = p + n;
        while ((p = static_cast<const char*>(std::memchr(p, '\0', static_cast<size_t>(end - p))))) {
            ++received;
            ++p;
        }
    }
    void FeedMqtt(const char* p, size_t n) {
        while (n > 0) {
            if (skip > 0) {
                const size_t step = std::min(skip, n);
                skip -= step;
                p += step;
                n -= step;
                continue;
            }
            header += *p++;
            --n;
            // A header is the type byte and 1..4 length bytes, the last without its top bit.
            if (header.size() >= 2 && !(static_cast<uint8_t>(header.back()) & 0x80)) {
                size_t len = 0, mul = 1;
                for (size_t i = 1; i < header.size(); ++i, mul *= 128) len += (static_cast<uint8_t>(header[i]) & 0x7f) * mul;
                if ((static_cast<uint8_t>(header[0]) >> 4) == 3) ++received;
                skip = len;
                header.clear();
            }
        }
    }
};

}  // namespace

int main(int argc, char** argv) {
    std::string proto = "zc";
    uint16_t port = 0;
    int clients = 64, serverPid = 0, size = 200, perWrite = 1;
    double seconds = 5;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string_view key = argv[i];
        const char* value = argv[i + 1];
        if (key == "--proto") proto = value;
        else if (key == "--port") port = static_cast<uint16_t>(std::atoi(value));
        else if (key == "--clients") clients = std::atoi(value);
        else if (key == "--server-pid") serverPid = std::atoi(value);
        else if (key == "--size") size = std::atoi(value);
        else if (key == "--seconds") seconds = std::atof(value);
        else if (key == "--per-write") perWrite = std::atoi(value);
        else Die("unknown option " + std::string(key));
    }
    if (port == 0 || serverPid <= 0 || clients < 1 || size < 2 || perWrite < 1) Die("usage: --proto zc|mqtt --port P --clients N --server-pid PID");
    const bool mqtt = proto == "mqtt";

    rlimit limit{};
    getrlimit(RLIMIT_NOFILE, &limit);
    limit.rlim_cur = limit.rlim_max;
    setrlimit(RLIMIT_NOFILE, &limit);

    std::vector<Receiver> receivers(static_cast<size_t>(clients));
    for (int i = 0; i < clients; ++i) {
        Receiver& r = receivers[static_cast<size_t>(i)];
        r.fd = ConnectTo(port);
        if (mqtt) {
            MqttConnect(r.fd, "r" + std::to_string(i));
            SendAll(r.fd, MqttFrame(0x82, std::string("\x00\x01", 2) + MqttString("b") + '\x00'));
            if (ReadExactly(r.fd, 5) != std::string("\x90\x03\x00\x01\x00", 5)) Die("no SUBACK from the broker");
        }
    }
    const int sender = ConnectTo(port);
    std::string message;
    if (mqtt) {
        MqttConnect(sender, "sender");
        message = MqttFrame(0x30, MqttString("b") + std::string(static_cast<size_t>(size), 'm'));
    } else {
        message = std::string(static_cast<size_t>(size - 1), 'm') + '\0';
    }

    const int ep = epoll_create1(EPOLL_CLOEXEC);
    for (size_t i = 0; i < receivers.size(); ++i) {
        epoll_event ev{EPOLLIN, {.u64 = i}};
        epoll_ctl(ep, EPOLL_CTL_ADD, receivers[i].fd, &ev);
    }

    // The sender keeps at most two batches in flight beyond what every receiver has, so no
    // receiver's backlog nears a server's limit however the two processes share the cores.
    constexpr long long kBatch = 128;
    std::string batch;
    for (long long i = 0; i < kBatch; ++i) batch += message;
    long long sentBatches = 0;
    std::vector<long long> batchDone;  // receivers that have all of batch b
    long long total = 0;
    std::vector<char> buf(256 * 1024);
    std::vector<epoll_event> events(1024);

    bool counting = false;  // batches are counted once the warm-up is over
    auto pump = [&](int timeoutMs) {
        const int n = epoll_wait(ep, events.data(), static_cast<int>(events.size()), timeoutMs);
        for (int e = 0; e < n; ++e) {
            Receiver& r = receivers[events[e].data.u64];
            const ssize_t got = recv(r.fd, buf.data(), buf.size(), 0);
            if (got <= 0) Die("a receiver was disconnected");
            const long long before = r.received;
            mqtt ? r.FeedMqtt(buf.data(), static_cast<size_t>(got)) : r.FeedZc(buf.data(), static_cast<size_t>(got));
            total += r.received - before;
            if (counting && r.received > sentBatches * kBatch) Die("a receiver got more messages than were sent");
            if (!counting) continue;
            for (long long b = before / kBatch; b < r.received / kBatch; ++b) ++batchDone[static_cast<size_t>(b)];
        }
    };
    auto canSend = [&] { return sentBatches < 2 || batchDone[static_cast<size_t>(sentBatches - 2)] == clients; };
    auto sendBatch = [&] {
        batchDone.push_back(0);
        // Messages per sender write: 1 is a chat client's pace, more lets a server batch.
        for (size_t at = 0; at < batch.size(); at += message.size() * static_cast<size_t>(perWrite))
            SendAll(sender, std::string_view(batch).substr(at, message.size() * static_cast<size_t>(perWrite)));
        ++sentBatches;
    };

    // Warm-up: single messages until every receiver is served (the server may still be
    // accepting the last connections), then a quiet spell so nothing is in flight.
    const auto warmDeadline = Clock::now() + std::chrono::seconds(20);
    auto allServed = [&] {
        for (const Receiver& r : receivers)
            if (r.received == 0) return false;
        return true;
    };
    auto nextProbe = Clock::now();
    while (!allServed()) {
        if (Clock::now() > warmDeadline) Die("receivers were not served during warm-up");
        if (Clock::now() >= nextProbe) {
            SendAll(sender, message);
            nextProbe = Clock::now() + std::chrono::milliseconds(50);
        }
        pump(20);
    }
    for (long long seen = -1; seen != total;) {
        seen = total;
        for (const auto quiet = Clock::now() + std::chrono::milliseconds(300); Clock::now() < quiet;) pump(50);
    }
    for (Receiver& r : receivers) r.received = 0;
    total = 0;
    counting = true;
    for (int i = 0; i < 4; ++i) {
        while (!canSend()) pump(100);
        sendBatch();
    }

    const long long startTotal = total;
    const double cpu0 = ProcessCpu(serverPid);
    const auto t0 = Clock::now();
    const auto end = t0 + std::chrono::duration<double>(seconds);
    while (Clock::now() < end) {
        if (canSend()) sendBatch();
        pump(canSend() ? 0 : 100);
    }
    const double cpu = ProcessCpu(serverPid) - cpu0;
    const double wall = std::chrono::duration<double>(Clock::now() - t0).count();
    const long long delivered = total - startTotal;
    std::printf("%s clients=%d size=%d per_write=%d delivered=%lld wall_s=%.2f server_cpu_s=%.2f per_cpu_s=%.0f per_wall_s=%.0f\n",
                proto.c_str(), clients, size, perWrite, delivered, wall, cpu, cpu > 0 ? delivered / cpu : 0.0, delivered / wall);
    return 0;
}
