// A file over 127.0.0.1 through the transfer workers, beside a plain copy over a socket with the
// same 4096-byte blocks, in one run. Prints both throughputs and their ratio.
// Usage: transfer_bench [DIR] [MEGABYTES] [ROUNDS]   (run it inside a network namespace)
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "qt/posix_transfer_sockets.h"
#include "services/transfer_worker.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr size_t kBlock = 4096;

[[noreturn]] void Die(const std::string& what) {
    std::perror(what.c_str());
    std::exit(1);
}

void MakeFile(const std::string& path, uint64_t size) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) Die("open " + path);
    std::vector<char> chunk(1 << 20);
    uint32_t seed = 12345;
    for (auto& c : chunk) c = static_cast<char>((seed = seed * 1664525u + 1013904223u) >> 24);
    for (uint64_t left = size; left > 0;) {
        const size_t n = static_cast<size_t>(std::min<uint64_t>(left, chunk.size()));
        if (::write(fd, chunk.data(), n) != static_cast<ssize_t>(n)) Die("write " + path);
        left -= n;
    }
    ::close(fd);
}

uint64_t FileSize(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return 0;
    const off_t size = ::lseek(fd, 0, SEEK_END);
    ::close(fd);
    return static_cast<uint64_t>(size);
}

double Seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

double ThroughWorkers(const std::string& source, const std::string& folder, int port) {
    zc::PosixTransferSockets sockets;
    std::atomic<bool> stop{false};
    zc::TransferJob send;
    send.peerIp = "127.0.0.1";
    send.port = port;
    send.path = source;
    zc::TransferJob receive;
    receive.peerIp = "127.0.0.1";
    receive.port = port;
    receive.folder = folder;
    receive.name = "workers.out";
    receive.overwrite = true;
    receive.retryPauseMs = 5;
    receive.connectRetries = 1000;
    const auto start = Clock::now();
    zc::TransferResult sent;
    std::thread sender([&] { sent = zc::RunSendWorker(sockets, send, stop, nullptr); });
    const zc::TransferResult got = zc::RunReceiveWorker(sockets, receive, stop, nullptr);
    sender.join();
    const double seconds = Seconds(start);
    if (sent.end != zc::TransferEnd::Done || got.end != zc::TransferEnd::Done) {
        std::fprintf(stderr, "workers failed: %s / %s\n", sent.why.c_str(), got.why.c_str());
        std::exit(1);
    }
    return seconds;
}

bool SendAll(int fd, const char* data, size_t size) {
    while (size > 0) {
        const ssize_t n = ::send(fd, data, size, MSG_NOSIGNAL);
        if (n <= 0) return false;
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

// The same job written plainly: read -> send, recv -> write, 4096 bytes at a time.
double PlainCopy(const std::string& source, const std::string& target, int port) {
    const int listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const int on = 1;
    ::setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<uint16_t>(port));
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::bind(listener, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || ::listen(listener, 5) != 0)
        Die("listen");
    const auto start = Clock::now();
    std::thread sender([&] {
        const int conn = ::accept(listener, nullptr, nullptr);
        const int in = ::open(source.c_str(), O_RDONLY | O_CLOEXEC);
        if (conn < 0 || in < 0) Die("plain sender");
        const uint64_t size = FileSize(source);
        const unsigned char header[4] = {static_cast<unsigned char>(size >> 24), static_cast<unsigned char>(size >> 16),
                                         static_cast<unsigned char>(size >> 8), static_cast<unsigned char>(size)};
        SendAll(conn, reinterpret_cast<const char*>(header), 4);
        char block[kBlock];
        ssize_t n;
        while ((n = ::read(in, block, sizeof block)) > 0)
            if (!SendAll(conn, block, static_cast<size_t>(n))) Die("plain send");
        ::close(in);
        ::close(conn);
    });
    const int conn = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (::connect(conn, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) Die("connect");
    const int out = ::open(target.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (out < 0) Die("open " + target);
    char block[kBlock];
    size_t header = 0;
    ssize_t n;
    while ((n = ::recv(conn, block, header < 4 ? 4 - header : sizeof block, 0)) > 0) {
        if (header < 4) {
            header += static_cast<size_t>(n);
            continue;
        }
        if (::write(out, block, static_cast<size_t>(n)) != n) Die("plain write");
    }
    ::close(out);
    ::close(conn);
    sender.join();
    ::close(listener);
    return Seconds(start);
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    const std::string dir = argc > 1 ? argv[1] : "/tmp";
    const uint64_t megabytes = argc > 2 ? std::strtoull(argv[2], nullptr, 10) : 1024;
    const int rounds = argc > 3 ? std::max(1, std::atoi(argv[3])) : 3;
    const uint64_t size = megabytes << 20;
    const std::string folder = dir + "/zc-transfer-bench." + std::to_string(::getpid());
    if (::mkdir(folder.c_str(), 0700) != 0) Die("mkdir " + folder);
    const std::string source = folder + "/source.bin", plainOut = folder + "/plain.out";
    MakeFile(source, size);

    std::vector<double> workers, plain;
    int port = 41000;
    // Alternating, so both see the same machine state.
    for (int r = 0; r < rounds; ++r) {
        workers.push_back(ThroughWorkers(source, folder, port++));
        if (FileSize(folder + "/workers.out") != size) Die("workers: wrong size");
        ::unlink((folder + "/workers.out").c_str());
        plain.push_back(PlainCopy(source, plainOut, port++));
        if (FileSize(plainOut) != size) Die("plain: wrong size");
        ::unlink(plainOut.c_str());
        std::printf("round %d: workers %.2f s, plain %.2f s\n", r + 1, workers.back(), plain.back());
        std::fflush(stdout);
    }
    ::unlink(source.c_str());
    ::rmdir(folder.c_str());

    const double mb = static_cast<double>(size) / (1 << 20);
    const double w = mb / Median(workers), p = mb / Median(plain);
    std::printf("file: %llu MB, %d rounds (median)\n", static_cast<unsigned long long>(megabytes), rounds);
    std::printf("transfer workers: %8.1f MB/s\n", w);
    std::printf("plain copy:       %8.1f MB/s\n", p);
    std::printf("ratio workers/plain: %.2f\n", w / p);
    return 0;
}
