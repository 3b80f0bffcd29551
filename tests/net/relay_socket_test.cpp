// The relay server running in-process on 127.0.0.1 against real TCP clients.
#include <fcntl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <condition_variable>
#include <cstdio>
#include <memory>
#include <mutex>
#include <thread>

#include "relay/output_queue.h"
#include "relay/relay_server.h"
#include "relay/stream_splitter.h"
#include "relay_test_client.h"

namespace zc::relay::test {
namespace {

// Log lines of the server thread, so a test can wait for the server to see a connection.
class LogRecorder {
public:
    void Add(const std::string& line) {
        std::lock_guard lock(mutex_);
        lines_.push_back(line);
        changed_.notify_all();
    }
    // Waits for a line starting with `prefix`; returns it, or "" on timeout.
    std::string WaitFor(const std::string& prefix, std::chrono::milliseconds timeout = 5000ms) {
        std::unique_lock lock(mutex_);
        std::string found;
        changed_.wait_for(lock, timeout, [&] {
            for (const auto& l : lines_)
                if (l.starts_with(prefix)) return found = l, true;
            return false;
        });
        return found;
    }
    bool Has(const std::string& prefix) {
        std::lock_guard lock(mutex_);
        return std::any_of(lines_.begin(), lines_.end(), [&](const auto& l) { return l.starts_with(prefix); });
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::string> lines_;
};

class RelaySocketTest : public ::testing::Test {
protected:
    virtual bool Echo() const { return false; }

    void SetUp() override {
        RelayConfig config;
        config.bindAddress = "127.0.0.1";
        config.port = 0;
        config.echo = Echo();
        server_ = std::make_unique<RelayServer>(config, [this](const std::string& l) { log_.Add(l); });
        std::string error;
        if (!server_->Listen(error)) GTEST_SKIP() << "127.0.0.1 unavailable (" << error << "); run inside a network namespace with lo up";
        ASSERT_NE(server_->Port(), 0);
        ASSERT_EQ(pipe2(stop_, O_CLOEXEC), 0);
        thread_ = std::thread([this] { runResult_ = server_->Run(stop_[0]); });
        TestClient probe(server_->Port());
        if (!probe.Ok()) GTEST_SKIP() << "cannot connect to 127.0.0.1; run inside a network namespace with lo up";
    }

    void TearDown() override {
        if (thread_.joinable()) {
            EXPECT_EQ(write(stop_[1], "x", 1), 1);
            thread_.join();
            EXPECT_TRUE(runResult_);
        }
        for (int fd : stop_)
            if (fd >= 0) close(fd);
    }

    // A connected client the server has already accepted, so it gets every later packet.
    std::unique_ptr<TestClient> Connect(int receiveBuffer = 0) {
        auto c = std::make_unique<TestClient>(server_->Port(), receiveBuffer);
        EXPECT_TRUE(c->Ok());
        EXPECT_NE(log_.WaitFor("connect " + c->Peer() + " "), "") << "server never saw " << c->Peer();
        return c;
    }

    std::unique_ptr<RelayServer> server_;
    LogRecorder log_;
    std::thread thread_;
    int stop_[2] = {-1, -1};
    bool runResult_ = false;
};

class EchoRelaySocketTest : public RelaySocketTest {
protected:
    bool Echo() const override { return true; }
};

TEST_F(RelaySocketTest, PacketReachesEveryOtherClientButNotItsSender) {
    auto a = Connect(), b = Connect(), c = Connect();
    ASSERT_TRUE(a->SendPacket("hello from a"));
    EXPECT_EQ(b->NextPacket(), "hello from a");
    EXPECT_EQ(c->NextPacket(), "hello from a");
    // The relay keeps order per client, so had A got its own packet it would come before this.
    ASSERT_TRUE(b->SendPacket("from b"));
    EXPECT_EQ(a->NextPacket(), "from b");
    EXPECT_EQ(c->NextPacket(), "from b");
}

TEST_F(EchoRelaySocketTest, EchoSendsThePacketBackToItsSenderToo) {
    auto a = Connect(), b = Connect(), c = Connect();
    ASSERT_TRUE(a->SendPacket("echoed"));
    EXPECT_EQ(a->NextPacket(), "echoed");
    EXPECT_EQ(b->NextPacket(), "echoed");
    EXPECT_EQ(c->NextPacket(), "echoed");
}

TEST_F(RelaySocketTest, PacketsAreCutByZeroBytesNotBySends) {
    auto a = Connect(), b = Connect();
    // Two packets in one send arrive as two.
    ASSERT_TRUE(a->Send(std::string("first\0second\0", 13)));
    EXPECT_EQ(b->NextPacket(), "first");
    EXPECT_EQ(b->NextPacket(), "second");

    // One packet over several sends, far enough apart to be separate reads, arrives whole.
    ASSERT_TRUE(a->Send("hel"));
    std::this_thread::sleep_for(50ms);
    ASSERT_TRUE(a->Send("lo wo"));
    std::this_thread::sleep_for(50ms);
    ASSERT_TRUE(a->Send(std::string("rld\0", 4)));
    EXPECT_EQ(b->NextPacket(), "hello world");

    // The largest packet the client can take passes unchanged.
    const std::string largest(kMaxPacketBytes - 1, 'z');
    ASSERT_TRUE(a->SendPacket(largest));
    EXPECT_EQ(b->NextPacket(), largest);
}

TEST_F(RelaySocketTest, ClientThatStopsReadingIsCutOffWhileOthersGetEverything) {
    // Small receive buffers make the relay meet short writes and EAGAIN towards both.
    auto sender = Connect(), reader = Connect(16384), stalled = Connect(4096);

    // Sent in batches the reader drains in between, so only the stalled client builds up a
    // backlog; the total is far beyond what kernel buffers and 1 MiB can hold.
    constexpr int kPackets = 4096, kBatch = 64;
    const std::string padding(4000, 'p');
    auto textOf = [&](int i) {
        char seq[16];
        std::snprintf(seq, sizeof seq, "%06d:", i);
        return seq + padding;
    };
    for (int start = 0; start < kPackets; start += kBatch) {
        std::string batch;
        for (int i = start; i < start + kBatch; ++i) batch += textOf(i) + '\0';
        ASSERT_TRUE(sender->Send(batch)) << "sender lost at packet " << start;
        for (int i = start; i < start + kBatch; ++i) {
            auto got = reader->NextPacket();
            ASSERT_TRUE(got.has_value()) << "reader lost packet " << i;
            ASSERT_EQ(got->substr(0, 7), textOf(i).substr(0, 7));
            ASSERT_EQ(got->size(), textOf(i).size());
        }
    }

    const std::string line = log_.WaitFor("disconnect " + stalled->Peer() + ":");
    EXPECT_NE(line.find("stopped reading"), std::string::npos) << line;
    EXPECT_TRUE(stalled->WaitClosed());
    EXPECT_FALSE(log_.Has("disconnect " + reader->Peer() + ":"));
    EXPECT_FALSE(log_.Has("disconnect " + sender->Peer() + ":"));
}

TEST_F(RelaySocketTest, ClientSending4096BytesWithoutZeroIsDisconnected) {
    auto rogue = Connect(), other = Connect();
    ASSERT_TRUE(rogue->Send(std::string(kMaxPacketBytes, 'x')));
    EXPECT_TRUE(rogue->WaitClosed());
    const std::string line = log_.WaitFor("disconnect " + rogue->Peer() + ":");
    EXPECT_NE(line.find("without a packet end"), std::string::npos) << line;

    // Nothing of it was passed on, and the relay still serves the others.
    auto third = Connect();
    ASSERT_TRUE(third->SendPacket("still here"));
    EXPECT_EQ(other->NextPacket(), "still here");
}

}  // namespace
}  // namespace zc::relay::test
