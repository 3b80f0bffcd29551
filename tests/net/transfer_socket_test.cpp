// File transfers over real TCP on 127.0.0.1 (CTest runs inside a private network namespace).
#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QThread>
#include <chrono>
#include <fstream>
#include <functional>
#include <thread>

#include "qt/posix_transfer_sockets.h"
#include "qt/qt_worker_threads.h"
#include "services/transfer_stream.h"
#include "services/transfer_worker.h"
#include "support/temp_root.h"

namespace zc {
namespace {

using namespace zc::test;
using Clock = std::chrono::steady_clock;

QCoreApplication& App() {
    static int argc = 1;
    static char name[] = "ztransfer_net_tests";
    static char* argv[] = {name, nullptr};
    static auto* app = new QCoreApplication(argc, argv);
    return *app;
}

long ElapsedMs(Clock::time_point since) {
    return static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - since).count());
}

long VmRssKb() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
    return -1;
}

// A 64-bit FNV-1a over a stream of pieces.
struct Hash {
    uint64_t value = 1469598103934665603ull;
    void Add(const char* data, size_t size) {
        for (size_t i = 0; i < size; ++i) value = (value ^ static_cast<unsigned char>(data[i])) * 1099511628211ull;
    }
};

// Writes size pseudo-random bytes; their hash.
uint64_t WriteRandomFile(const std::string& path, uint64_t size, uint32_t seed) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    std::vector<char> chunk(1 << 20);
    Hash hash;
    for (uint64_t left = size; left > 0;) {
        const size_t n = static_cast<size_t>(std::min<uint64_t>(left, chunk.size()));
        for (size_t i = 0; i < n; ++i) {
            seed = seed * 1664525u + 1013904223u;
            chunk[i] = static_cast<char>(seed >> 24);
        }
        out.write(chunk.data(), static_cast<std::streamsize>(n));
        hash.Add(chunk.data(), n);
        left -= n;
    }
    return hash.value;
}

uint64_t HashFile(const std::string& path, uint64_t* size) {
    std::ifstream in(path, std::ios::binary);
    std::vector<char> chunk(1 << 20);
    Hash hash;
    *size = 0;
    while (in) {
        in.read(chunk.data(), static_cast<std::streamsize>(chunk.size()));
        hash.Add(chunk.data(), static_cast<size_t>(in.gcount()));
        *size += static_cast<uint64_t>(in.gcount());
    }
    return hash.value;
}

// A raw listening socket on 127.0.0.1, for peers that do not follow the rules.
int RawListen(int port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const int on = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<uint16_t>(port));
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    // A port that is taken fails the test at once instead of leaving a worker waiting.
    if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || ::listen(fd, 5) != 0) {
        ADD_FAILURE() << "cannot listen on port " << port;
        ::close(fd);
        return -1;
    }
    return fd;
}

// A raw client from the given loopback address.
int RawConnect(const char* from, int port) {
    sockaddr_in local{}, remote{};
    local.sin_family = remote.sin_family = AF_INET;
    ::inet_pton(AF_INET, from, &local.sin_addr);
    remote.sin_port = htons(static_cast<uint16_t>(port));
    ::inet_pton(AF_INET, "127.0.0.1", &remote.sin_addr);
    // The worker may not listen yet.
    for (int i = 0; i < 100; ++i) {
        const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (::bind(fd, reinterpret_cast<sockaddr*>(&local), sizeof local) == 0 &&
            ::connect(fd, reinterpret_cast<sockaddr*>(&remote), sizeof remote) == 0)
            return fd;
        ::close(fd);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ADD_FAILURE() << "cannot connect to port " << port;
    return -1;
}

void WriteRaw(int fd, const std::string& bytes) {
    ASSERT_EQ(::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL), static_cast<ssize_t>(bytes.size()));
}

struct Side {
    TransferResult result;
    std::vector<TransferTick> ticks;
    bool finished = false;
    bool ticksOnUiThread = true;
    std::atomic<bool> stop{false};
    // On the worker thread, for each tick before it is posted.
    std::function<void(const TransferTick&)> onTick;
};

class RealTransfer : public ::testing::Test {
protected:
    void SetUp() override { App(); }

    // A received file, or its partial form, still in the download folder.
    bool Left(const std::string& name) const {
        return root.Exists("download/" + name) || root.Exists("download/" + name + ".part");
    }
    TransferJob SendJob(const std::string& file, int port) const {
        TransferJob job;
        job.port = port;
        job.path = root.Path() + file;
        job.peerIp = "127.0.0.1";
        return job;
    }
    TransferJob ReceiveJob(const std::string& name, int port) const {
        TransferJob job;
        job.peerIp = "127.0.0.1";
        job.port = port;
        job.folder = root.Path() + "download";
        job.name = name;
        job.retryPauseMs = 100;  // the sender may not listen yet
        return job;
    }
    // Starts one worker the way the program does: ticks and the result come back as posted closures.
    std::unique_ptr<WorkerHandle> Start(Side& side, const TransferJob& job, bool sending) {
        QThread* ui = QThread::currentThread();
        return workers.Start([this, &side, job, sending, ui] {
            const TransferTickSink tick = [this, &side, ui](const TransferTick& t) {
                if (side.onTick) side.onTick(t);
                workers.PostToUi([&side, t, ui] {
                    side.ticksOnUiThread = side.ticksOnUiThread && QThread::currentThread() == ui;
                    side.ticks.push_back(t);
                });
            };
            const TransferResult r = sending ? RunSendWorker(sockets, job, side.stop, tick)
                                             : RunReceiveWorker(sockets, job, side.stop, tick);
            workers.PostToUi([&side, r] {
                side.result = r;
                side.finished = true;
            });
        });
    }
    bool PumpUntil(const std::function<bool()>& done, int timeoutMs = 30000) {
        const auto start = Clock::now();
        while (!done() && ElapsedMs(start) < timeoutMs) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        return done();
    }
    // Both workers, to the end of both.
    void RunBoth(Side& sender, const TransferJob& send, Side& receiver, const TransferJob& receive) {
        auto s = Start(sender, send, true);
        auto r = Start(receiver, receive, false);
        ASSERT_TRUE(PumpUntil([&] { return sender.finished && receiver.finished; }));
    }

    TempRoot root{false};
    PosixTransferSockets sockets;
    QtWorkerThreads workers;
};

TEST_F(RealTransfer, SmallFilesArriveWholeAndReportOnTheUiThread) {
    int port = 23010;
    for (const size_t size : {size_t{0}, size_t{5000}}) {
        SCOPED_TRACE(size);
        const std::string name = "f" + std::to_string(size) + ".bin";
        const uint64_t hash = WriteRandomFile(root.Path() + name, size, 7);
        Side sender, receiver;
        RunBoth(sender, SendJob(name, port), receiver, ReceiveJob(name, port));
        ++port;
        EXPECT_EQ(sender.result.end, TransferEnd::Done) << sender.result.why;
        ASSERT_EQ(receiver.result.end, TransferEnd::Done) << receiver.result.why;
        uint64_t got = 0;
        EXPECT_EQ(HashFile(receiver.result.path, &got), hash);
        EXPECT_EQ(got, size);
        for (const Side* side : {&sender, &receiver}) {
            EXPECT_TRUE(side->ticksOnUiThread);
            ASSERT_GE(side->ticks.size(), 2u);
            EXPECT_TRUE(side->ticks.front().connected);
            EXPECT_EQ(side->ticks.back().done, size);
            EXPECT_EQ(side->ticks.back().length, size);
        }
    }
}

TEST_F(RealTransfer, TwoHundredMegabytesArriveUnchanged) {
    constexpr uint64_t kSize = 200ull << 20;
    const uint64_t hash = WriteRandomFile(root.Path() + "big.bin", kSize, 11);
    Side sender, receiver;
    RunBoth(sender, SendJob("big.bin", 23020), receiver, ReceiveJob("big.bin", 23020));
    EXPECT_EQ(sender.result.end, TransferEnd::Done) << sender.result.why;
    ASSERT_EQ(receiver.result.end, TransferEnd::Done) << receiver.result.why;
    uint64_t size = 0;
    EXPECT_EQ(HashFile(root.Path() + "download/big.bin", &size), hash);
    EXPECT_EQ(size, kSize);
    EXPECT_EQ(receiver.result.bytes, kSize);
    EXPECT_LE(receiver.ticks.size(), 131u);
    EXPECT_LE(sender.ticks.size(), 131u);
}

TEST_F(RealTransfer, CancelOnEitherSideEndsBothWorkers) {
    WriteRandomFile(root.Path() + "c.bin", 64ull << 20, 3);
    {
        Side sender, receiver;
        sender.onTick = [&](const TransferTick& t) {
            if (t.done >= (1u << 20)) sender.stop = true;
        };
        RunBoth(sender, SendJob("c.bin", 23030), receiver, ReceiveJob("c.bin", 23030));
        EXPECT_EQ(sender.result.end, TransferEnd::Stopped) << sender.result.why;
        EXPECT_LT(sender.result.bytes, 64ull << 20);
        // Everything sent arrived, then the close came early: the partial file goes.
        EXPECT_EQ(receiver.result.end, TransferEnd::Failed);
        EXPECT_EQ(receiver.result.bytes, sender.result.bytes);
        EXPECT_FALSE(Left("c.bin"));
    }
    {
        Side sender, receiver;
        receiver.onTick = [&](const TransferTick& t) {
            if (t.done >= (1u << 20)) receiver.stop = true;
        };
        RunBoth(sender, SendJob("c.bin", 23031), receiver, ReceiveJob("c.bin", 23031));
        EXPECT_EQ(receiver.result.end, TransferEnd::Stopped) << receiver.result.why;
        EXPECT_EQ(sender.result.end, TransferEnd::Failed);
        EXPECT_FALSE(Left("c.bin"));
    }
}

TEST_F(RealTransfer, CancelIsNoticedWhileAPeerStalls) {
    WriteRandomFile(root.Path() + "s.bin", 64ull << 20, 5);
    // A receiver that connects and never reads: the sender blocks once the buffers are full.
    Side sender;
    auto s = Start(sender, SendJob("s.bin", 23040), true);
    const int stalled = RawConnect("127.0.0.1", 23040);
    ASSERT_TRUE(PumpUntil([&] { return !sender.ticks.empty() && sender.ticks.back().length > 0; }, 5000));
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    const auto cancelled = Clock::now();
    sender.stop = true;
    ASSERT_TRUE(PumpUntil([&] { return sender.finished; }, 5000));
    EXPECT_LT(ElapsedMs(cancelled), 1000);
    EXPECT_EQ(sender.result.end, TransferEnd::Stopped);
    ::close(stalled);

    // A sender that gives the length and then nothing.
    const int listener = RawListen(23041);
    ASSERT_GE(listener, 0);
    Side receiver;
    auto r = Start(receiver, ReceiveJob("stall.bin", 23041), false);
    const int peer = ::accept(listener, nullptr, nullptr);
    WriteRaw(peer, EncodeTransferHeader(1000));
    ASSERT_TRUE(PumpUntil([&] { return receiver.ticks.size() >= 2; }, 5000));
    const auto cancelled2 = Clock::now();
    receiver.stop = true;
    ASSERT_TRUE(PumpUntil([&] { return receiver.finished; }, 5000));
    EXPECT_LT(ElapsedMs(cancelled2), 1000);
    EXPECT_EQ(receiver.result.end, TransferEnd::Stopped);
    ::close(peer);
    ::close(listener);
}

TEST_F(RealTransfer, APeerThatGoesQuietIsGivenUp) {
    PosixTransferSockets impatient(3000, 300);
    const int listener = RawListen(23050);
    ASSERT_GE(listener, 0);
    std::atomic<bool> stop{false};
    TransferResult result;
    std::thread r([&] { result = RunReceiveWorker(impatient, ReceiveJob("quiet.bin", 23050), stop, nullptr); });
    const int peer = ::accept(listener, nullptr, nullptr);
    WriteRaw(peer, EncodeTransferHeader(100) + "abc");
    const auto start = Clock::now();
    r.join();
    EXPECT_EQ(result.end, TransferEnd::Failed);
    EXPECT_GE(ElapsedMs(start), 250);
    EXPECT_LT(ElapsedMs(start), 3000);
    EXPECT_FALSE(Left("quiet.bin"));
    ::close(peer);
    ::close(listener);
}

TEST_F(RealTransfer, PeerClosingEarlyKeepsNoPartialFile) {
    const int listener = RawListen(23060);
    ASSERT_GE(listener, 0);
    Side receiver;
    auto r = Start(receiver, ReceiveJob("cut.bin", 23060), false);
    const int peer = ::accept(listener, nullptr, nullptr);
    WriteRaw(peer, EncodeTransferHeader(10000) + std::string(3000, 'p'));
    ::close(peer);
    ASSERT_TRUE(PumpUntil([&] { return receiver.finished; }));
    EXPECT_EQ(receiver.result.end, TransferEnd::Failed);
    EXPECT_TRUE(receiver.result.connectionLost);
    EXPECT_FALSE(root.Exists("download/cut.bin"));
    EXPECT_FALSE(root.Exists("download/cut.bin.part"));
    ::close(listener);
}

TEST_F(RealTransfer, RefusedConnectionsAreRetriedThenFail) {
    TransferJob job = ReceiveJob("none.bin", 23070);  // nobody listens there
    job.connectRetries = 3;
    job.retryPauseMs = 100;
    std::atomic<bool> stop{false};
    const auto start = Clock::now();
    const TransferResult result = RunReceiveWorker(sockets, job, stop, nullptr);
    EXPECT_EQ(result.end, TransferEnd::Failed);
    EXPECT_NE(result.why.find("refused"), std::string::npos) << result.why;
    EXPECT_GE(ElapsedMs(start), 300);
    EXPECT_FALSE(root.Exists("download"));
}

TEST_F(RealTransfer, HugeLengthDoesNotGrowMemory) {
    const int listener = RawListen(23080);
    ASSERT_GE(listener, 0);
    Side receiver;
    const long before = VmRssKb();
    long during = 0;
    receiver.onTick = [&](const TransferTick&) { during = std::max(during, VmRssKb()); };
    auto r = Start(receiver, ReceiveJob("huge.bin", 23080), false);
    const int peer = ::accept(listener, nullptr, nullptr);
    WriteRaw(peer, EncodeTransferHeader(0xFFFFFFFFu) + "0123456789");
    ::close(peer);
    ASSERT_TRUE(PumpUntil([&] { return receiver.finished; }));
    EXPECT_EQ(receiver.result.end, TransferEnd::Failed);
    EXPECT_FALSE(Left("huge.bin"));
    EXPECT_LT(std::max(during, VmRssKb()) - before, 4 * 1024);
    ::close(listener);
}

TEST_F(RealTransfer, AnotherHostCannotTakeTheFile) {
    root.Write("secret.txt", "for the one who accepted");
    Side sender;
    auto s = Start(sender, SendJob("secret.txt", 23090), true);
    // 127.0.0.2 is another loopback address: not the accepting user's.
    const int intruder = RawConnect("127.0.0.2", 23090);
    char buf[64];
    EXPECT_EQ(::recv(intruder, buf, sizeof buf, 0), 0);
    ::close(intruder);

    Side receiver;
    auto r = Start(receiver, ReceiveJob("secret.txt", 23090), false);
    ASSERT_TRUE(PumpUntil([&] { return sender.finished && receiver.finished; }));
    EXPECT_EQ(sender.result.end, TransferEnd::Done) << sender.result.why;
    EXPECT_EQ(root.Read("download/secret.txt"), "for the one who accepted");
}

}  // namespace
}  // namespace zc
