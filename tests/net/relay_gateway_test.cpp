// The relay as a gateway to the multicast group: who a packet may speak for, and each packet
// passed on once.
#include <gtest/gtest.h>

#include "relay/claimed_address.h"
#include "relay/seen_packets.h"
#include "relay/sender_check.h"
#include "relay_group_member.h"
#include "relay_test_server.h"

namespace zc::relay::test {
namespace {

TEST(RelayGateway, PacketsSpeakOnlyForTheirOwnAddressAndPassOnce) {
    EXPECT_EQ(ClaimedAddress(WirePacket("hi", "10.77.0.9")), Ip("10.77.0.9"));
    for (const std::string& bad : {WirePacket("hi", "10.77.0"), WirePacket("hi", "10.77.0.900"), WirePacket("hi", ""),
                                  std::string("10.77.0.9(X)||plain text"), WirePacket("hi", "1.2.3.4").substr(0, 7)})
        EXPECT_FALSE(ClaimedAddress(bad)) << bad;
    // The command is read as the chat reads it; a packet cut short has none.
    EXPECT_EQ(PacketCommand(WirePacket("hi")), 6);
    EXPECT_EQ(PacketCommand(WirePacket("hi").substr(0, 30)), std::nullopt);

    SenderCheck strict, nat(true);
    strict.SetLocalAddresses({Ip("10.77.0.4")});
    const std::string fromNine = WirePacket("hi", "10.77.0.9");
    EXPECT_EQ(strict.Check(fromNine, Ip("10.77.0.9")), SenderCheck::Verdict::Own);
    EXPECT_EQ(strict.Check(fromNine, Ip("10.77.0.8")), SenderCheck::Verdict::Forged);
    EXPECT_EQ(nat.Check(fromNine, Ip("192.0.2.1")), SenderCheck::Verdict::Translated);
    EXPECT_EQ(nat.Check("no address at all", Ip("192.0.2.1")), SenderCheck::Verdict::Forged);
    // A client on the relay's own host connects over loopback and names the host's address.
    EXPECT_EQ(strict.Check(WirePacket("hi", "10.77.0.4"), Ip("127.0.0.1")), SenderCheck::Verdict::Own);
    EXPECT_EQ(strict.Check(fromNine, Ip("127.0.0.1")), SenderCheck::Verdict::Forged);

    SeenPackets seen;
    const auto t0 = SeenPackets::Clock::now();
    EXPECT_TRUE(seen.Fresh("ok", 1, t0));
    EXPECT_TRUE(seen.Fresh("ok", 1, t0 + 1s));   // the same sender saying it again
    EXPECT_FALSE(seen.Fresh("ok", 2, t0 + 2s));  // the same bytes by another way
    EXPECT_TRUE(seen.Fresh("ok", 2, t0 + 7s));   // long after: a new packet
    for (int i = 0; i < 40000; ++i) seen.Fresh(std::to_string(i), 3, t0 + 8s);
    EXPECT_LE(seen.Size(), SeenPackets::kMaxEntries);
}

class GatewaySocketTest : public RelaySocketTest {
protected:
    void Configure(RelayConfig& config) const override {
        config.checkSenders = config.gateway = true;
        config.group = {"lo", "225.0.0.1", GroupMember::kPort, 1};
    }
};

TEST_F(GatewaySocketTest, GroupAndClientsMeetWithoutEchoesOrForgeries) {
    GroupMember member;
    ASSERT_TRUE(member.Ok()) << "multicast on lo is needed: run inside the test network namespace";
    auto client = Connect();
    auto stranger = Connect(0, "127.0.0.2");

    client->SendPacket(WirePacket("from a relay client"));
    stranger->SendPacket(WirePacket("forged", "10.77.0.9"));
    // The group hears the client once, never the forgery; the gateway does not take its own back.
    EXPECT_EQ(member.Received(), std::vector<std::string>{WirePacket("from a relay client")});
    EXPECT_EQ(stranger->NextPacket(), WirePacket("from a relay client"));
    EXPECT_EQ(client->NextPacket(300ms), std::nullopt);

    member.Send(WirePacket("from the group"));
    member.Send(WirePacket("forged in the group", "10.77.0.9"));
    EXPECT_EQ(client->NextPacket(), WirePacket("from the group"));
    EXPECT_EQ(client->NextPacket(300ms), std::nullopt);
    // Only its own two come back to the member: the gateway sends nothing from the group to it.
    EXPECT_EQ(member.Received(),
              (std::vector<std::string>{WirePacket("from the group"), WirePacket("forged in the group", "10.77.0.9")}));

    StopServer();
    EXPECT_EQ(server_->Stats().forged, 2u);
    EXPECT_EQ(server_->Stats().toGroup, 1u);
    EXPECT_EQ(server_->Stats().fromGroup, 1u);
}

}  // namespace
}  // namespace zc::relay::test
