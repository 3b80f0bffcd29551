// The relay against clients that push its limits: the longest packet, too many clients, a
// peer that vanished without a close, bursts to one reader, and thousands of connections.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "relay/stream_splitter.h"
#include "relay_test_server.h"

namespace zc::relay::test {
namespace {

TEST_F(RelaySocketTest, LongestPacketIsRelayedAndItsSenderStaysServed) {
    auto a = Connect(), b = Connect();
    const std::string longest(kMaxPacketText, 'L');
    // Twice, as a chat line and its repeat would come; the sender must not be cut off.
    ASSERT_TRUE(a->SendPacket(longest));
    ASSERT_TRUE(a->SendPacket(longest));
    EXPECT_EQ(b->NextPacket(), longest);
    EXPECT_EQ(b->NextPacket(), longest);
    ASSERT_TRUE(a->SendPacket("after"));
    EXPECT_EQ(b->NextPacket(), "after");
    ASSERT_TRUE(b->SendPacket("back to a"));
    EXPECT_EQ(a->NextPacket(), "back to a");
    EXPECT_FALSE(log_.Has("disconnect " + a->Peer() + ":"));
}

// A burst from one sender, sent in one write and read by the relay in one go.
std::string Burst(int count) {
    std::string burst;
    for (int i = 0; i < count; ++i) burst += "packet " + std::to_string(i) + std::string(90, '.') + '\0';
    return burst;
}

TEST_F(RelaySocketTest, ABurstReachesAReaderThatKeepsUpOnePacketPerWriteSpacedOut) {
    auto sender = Connect(), reader = Connect();
    const auto sent = Clock::now();
    ASSERT_TRUE(sender->Send(Burst(50)));
    for (int i = 0; i < 50; ++i) {
        auto got = reader->NextPacket();
        ASSERT_TRUE(got) << i;
        ASSERT_TRUE(got->starts_with("packet " + std::to_string(i) + ".")) << *got;
    }
    // Half a millisecond for the reader to take each one.
    EXPECT_GE(Clock::now() - sent, 49 * 500us);
    StopServer();
    EXPECT_EQ(server_->Stats().writes, 50u);
    EXPECT_EQ(server_->Stats().catchUpWrites, 0u);
}

TEST_F(RelaySocketTest, ABurstTooLongToSpaceOutLeavesInFewGatheredWrites) {
    auto sender = Connect(), reader = Connect();
    ASSERT_TRUE(sender->Send(Burst(1000)));
    for (int i = 0; i < 1000; ++i) {
        auto got = reader->NextPacket();
        ASSERT_TRUE(got) << i;
        ASSERT_TRUE(got->starts_with("packet " + std::to_string(i) + ".")) << *got;
    }
    StopServer();
    // Spaced out it would take over half a second; gathered, a packet goes alone only when the
    // client's turn comes before the next gathered write.
    EXPECT_GE(server_->Stats().catchUpWrites, 1u);
    EXPECT_LE(server_->Stats().writes, 500u);
}

class CappedRelayTest : public RelaySocketTest {
protected:
    void Configure(RelayConfig& config) const override { config.maxClients = 3; }
};

TEST_F(CappedRelayTest, ClientsPastTheCapAreClosedAtOnceAndLoggedOncePerBurst) {
    auto a = Connect(), b = Connect(), c = Connect();
    std::vector<std::unique_ptr<TestClient>> extra;
    for (int i = 0; i < 10; ++i) {
        extra.push_back(std::make_unique<TestClient>(server_->Port()));
        ASSERT_TRUE(extra.back()->Ok());
    }
    for (auto& e : extra) {
        e->SendPacket("from a refused client");
        EXPECT_TRUE(e->WaitClosed(3000ms)) << e->Peer() << " was left waiting";
    }
    EXPECT_EQ(log_.Count("refused "), 1u);
    EXPECT_NE(log_.WaitFor("refused ").find("client limit of 3"), std::string::npos);

    // The three served never saw a refused client's packet, and still talk.
    ASSERT_TRUE(a->SendPacket("members only"));
    EXPECT_EQ(b->NextPacket(), "members only");
    EXPECT_EQ(c->NextPacket(), "members only");

    // A free place is taken again.
    const std::string leaving = c->Peer();
    c->Close();
    ASSERT_NE(log_.WaitFor("disconnect " + leaving + ":"), "");
    auto d = Connect();
    EXPECT_NE(log_.WaitFor("accepting again after refusing 10 connections"), "");
    ASSERT_TRUE(d->SendPacket("newcomer"));
    EXPECT_EQ(a->NextPacket(), "newcomer");
    EXPECT_EQ(b->NextPacket(), "newcomer");
}

class QuietTimeoutRelayTest : public RelaySocketTest {
protected:
    void Configure(RelayConfig& config) const override { config.quietTimeout = std::chrono::seconds(2); }
};

TEST_F(QuietTimeoutRelayTest, VanishedClientIsDroppedWhileAQuietLiveOneStays) {
    auto quiet = Connect(), gone = Connect(), talker = Connect();
    const auto start = Clock::now();
    ASSERT_TRUE(gone->GoDeaf());

    // Nobody sends anything: only the relay's probes can tell the two apart.
    const std::string line = log_.WaitFor("disconnect " + gone->Peer() + ":", 15000ms);
    ASSERT_NE(line, "") << "a vanished client was kept";
    EXPECT_NE(line.find("link gone"), std::string::npos) << line;
    // Probing starts only after half the timeout of silence.
    EXPECT_GE(Clock::now() - start, 1s);

    // Past twice the timeout, the quiet client that answers probes is still served.
    std::this_thread::sleep_until(start + 4s);
    EXPECT_FALSE(log_.Has("disconnect " + quiet->Peer() + ":"));
    ASSERT_TRUE(talker->SendPacket("still there?"));
    EXPECT_EQ(quiet->NextPacket(), "still there?");
}

class CrowdedRelayTest : public RelaySocketTest {
protected:
    void Configure(RelayConfig& config) const override { config.maxPerAddress = 5000; }
};

// All from 127.0.0.1, so the limit per address is raised.
TEST_F(CrowdedRelayTest, TwoThousandClientsAllGetEveryPacket) {
    constexpr size_t kClients = 2000;
    rlimit files{};
    getrlimit(RLIMIT_NOFILE, &files);
    // Both ends of every connection live in this process.
    if (files.rlim_max < 2 * kClients + 64) GTEST_SKIP() << "descriptor limit " << files.rlim_max << " too low";
    const rlim_t before = files.rlim_cur;
    files.rlim_cur = files.rlim_max;
    ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &files), 0);
    {
        std::vector<std::unique_ptr<TestClient>> clients;
        for (size_t i = 0; i < kClients; ++i) {
            clients.push_back(std::make_unique<TestClient>(server_->Port()));
            ASSERT_TRUE(clients.back()->Ok()) << "client " << i;
        }
        ASSERT_TRUE(log_.WaitCount("connect ", kClients + 1, 20000ms));  // and the probe of SetUp
        for (int p = 0; p < 5; ++p) ASSERT_TRUE(clients[7]->SendPacket("to all " + std::to_string(p)));
        for (size_t i = 0; i < kClients; ++i) {
            if (i == 7) continue;
            for (int p = 0; p < 5; ++p) ASSERT_EQ(clients[i]->NextPacket(), "to all " + std::to_string(p)) << i;
        }
        EXPECT_FALSE(log_.Has("refused "));
    }
    files.rlim_cur = before;
    setrlimit(RLIMIT_NOFILE, &files);
}

}  // namespace
}  // namespace zc::relay::test
