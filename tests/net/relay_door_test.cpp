// Who gets in: one host cannot take every place, and a connection that never speaks goes.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <algorithm>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "relay_test_server.h"

namespace zc::relay::test {
namespace {

TEST_F(RelaySocketTest, OneHostHoldingThousandsOfConnectionsLeavesRoomForOthers) {
    // Only the relay's side of a refused connection is closed; ours stay open, as a flood's would.
    rlimit files{};
    getrlimit(RLIMIT_NOFILE, &files);
    files.rlim_cur = files.rlim_max;
    ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &files), 0);
    const size_t flood = std::min<size_t>(10000, files.rlim_max - 200);
    std::vector<std::unique_ptr<TestClient>> idle;
    for (size_t i = 0; i < flood; ++i) {
        idle.push_back(std::make_unique<TestClient>(server_->Port()));
        ASSERT_TRUE(idle.back()->Ok()) << i;
    }
    // Accepted in order, so once the last is turned away the relay has seen them all.
    ASSERT_TRUE(idle.back()->WaitClosed(20000ms));
    EXPECT_EQ(log_.Count("connect 127.0.0.1:"), 16u + 1u);  // and the probe of SetUp
    EXPECT_NE(log_.WaitFor("refused 127.0.0.1:").find("limit of 16 connections from its address"), std::string::npos);

    auto alice = Connect(0, "127.0.0.2"), bob = Connect(0, "127.0.0.3");
    EXPECT_NE(log_.WaitFor("accepting again after refusing " + std::to_string(flood - 16) + " connections"), "");
    ASSERT_TRUE(alice->SendPacket("still room for us"));
    EXPECT_EQ(bob->NextPacket(), "still room for us");
    // The flood's connections that got in are served like any other.
    EXPECT_EQ(idle[0]->NextPacket(), "still room for us");
}

class GreetingRelayTest : public RelaySocketTest {
protected:
    void Configure(RelayConfig& config) const override { config.greetingTimeout = 1000ms; }
};

TEST_F(GreetingRelayTest, ConnectionThatSendsNoPacketIsClosedOthersStay) {
    const auto start = Clock::now();
    auto silent = Connect(), talker = Connect(), late = Connect();
    ASSERT_TRUE(talker->SendPacket("hello"));
    // Bytes without a packet end do not count as speaking.
    ASSERT_TRUE(silent->Send("half a packet"));
    std::this_thread::sleep_for(500ms);
    ASSERT_TRUE(late->SendPacket("me too"));

    EXPECT_TRUE(silent->WaitClosed(5000ms));
    EXPECT_GE(Clock::now() - start, 1000ms);
    EXPECT_NE(log_.WaitFor("disconnect " + silent->Peer() + ": no packet within 1 s of connecting"), "");

    // Long past the timeout, those that spoke are still served.
    std::this_thread::sleep_until(start + 2500ms);
    ASSERT_TRUE(talker->SendPacket("anyone?"));
    EXPECT_EQ(late->NextPacket(), "hello");
    EXPECT_EQ(late->NextPacket(), "anyone?");
    EXPECT_FALSE(log_.Has("disconnect " + late->Peer() + ":"));
}

}  // namespace
}  // namespace zc::relay::test
