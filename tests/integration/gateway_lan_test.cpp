// Two segments joined by a gateway relay: packets of the other segment arrive from the gateway's
// address and count only where that gateway is trusted, and only for hosts of other segments.
#include <gtest/gtest.h>

#include "net/user_roster.h"
#include "support/lan_host.h"

namespace zc {
using namespace zc::test;

namespace {

// What zeltorelay --multicast does: the datagrams of one segment, sent again on the other from
// the gateway's own address.
struct GatewayHop {
    FakeLan& from;
    std::string address;
    std::vector<Host*> to;
    size_t carried = 0;
    bool Carry() {
        const bool any = carried < from.Wire().size();
        for (; carried < from.Wire().size(); ++carried) {
            const std::string bytes = from.Wire()[carried];
            for (Host* h : to) h->dlg().OnPacketText(bytes.substr(0, bytes.find('\0')), address);
        }
        return any;
    }
};

Ipv4Subnet Net(std::uint32_t address, int bits) { return {address, ~0u << (32 - bits)}; }

void Claim(Host& h, const std::string& source, const std::string& ip, const std::string& id, const std::string& text) {
    const std::string plain = ip + "(" + id + ")||Mallory||||" + kEveryone + "||0||" + std::to_string(CMD_MESSAGE) +
                              "||1:" + text + "//end";
    h.dlg().OnPacketText(h.dlg().Codec().EncodeText(plain), source);
}

}  // namespace

TEST(GatewayLan, TrustedGatewayJoinsTwoSegmentsAndSpeaksForNobodyOfItsOwn) {
    FakeLan siteA, siteB;
    Host alice{siteA, "Alice", "10.1.0.1", std::string("\x02\x00\x00\x00\x00\x01", 6),
               {{"NETWORK", "GATEWAYS", "10.1.0.254, 10.9.9.1 bogus"}}};
    Host carol{siteA, "Carol", "10.1.0.3", std::string("\x02\x00\x00\x00\x00\x03", 6)};  // trusts no gateway
    Host dora{siteB, "Dora", "10.2.0.4", std::string("\x02\x00\x00\x00\x00\x04", 6), {{"NETWORK", "GATEWAYS", "10.2.0.254"}}};
    alice.chat.system.subnets = {Net(0x0A010001, 16)};
    dora.chat.system.subnets = {Net(0x0A020004, 24)};
    GatewayHop toA{siteB, "10.1.0.254", {&alice, &carol}}, toB{siteA, "10.2.0.254", {&dora}};
    auto settle = [&] {
        for (int round = 0; round < 20; ++round) {
            siteA.Pump();
            siteB.Pump();
            if (!toA.Carry() && !toB.Carry()) return;
        }
        ADD_FAILURE() << "packets still crossing";
    };
    for (Host* h : {&alice, &carol, &dora}) {
        h->Start();
        settle();
    }
    const std::string doraId = dora.dlg().OwnId();
    ASSERT_NE(alice.dlg().Roster().Find(doraId), nullptr);
    EXPECT_EQ(alice.dlg().Roster().Find(doraId)->ip, "10.2.0.4");  // the claimed address, not the gateway's
    EXPECT_NE(dora.dlg().Roster().Find(alice.dlg().OwnId()), nullptr);
    EXPECT_EQ(carol.dlg().Roster().Find(doraId), nullptr);
    EXPECT_GT(carol.dlg().Senders().forged, 0u);

    const size_t aliceForged = alice.dlg().Senders().forged;
    dora.dlg().SendChatMessage("hello from site B");
    dora.dlg().SendChatMessage("MSG->Alice:between sites");
    GatewayHop echo{siteA, "10.1.0.254", {&alice}, siteA.Wire().size()};
    alice.dlg().SendChatMessage("MSG->Dora:and back");
    // Alice's own packet carried back by a second gateway is no forgery.
    echo.Carry();
    settle();
    EXPECT_EQ(Count(alice.Body(), "hello from site B"), 1u);
    EXPECT_NE(alice.Body().find("between sites"), std::string::npos);
    EXPECT_NE(dora.Body().find("and back"), std::string::npos);
    EXPECT_EQ(carol.Body().find("site B"), std::string::npos);
    EXPECT_EQ(alice.dlg().Senders().forged, aliceForged);

    // Nobody speaks for a host of the gateway's own segment, not even the trusted gateway.
    Claim(alice, "10.1.0.254", "10.1.0.3", carol.dlg().OwnId(), "carol from afar");
    Claim(alice, "10.1.0.254", "10.1.200.9", "02000000AB09", "own segment from afar");
    // A gateway on no network of ours stands on its /24.
    Claim(alice, "10.9.9.1", "10.9.9.7", "02000000AB07", "beside the far gateway");
    Claim(alice, "10.9.9.1", "10.9.8.7", "02000000AB08", "behind the far gateway");
    for (const char* text : {"carol from afar", "own segment from afar", "beside the far gateway"})
        EXPECT_EQ(alice.Body().find(text), std::string::npos) << text;
    EXPECT_NE(alice.Body().find("behind the far gateway"), std::string::npos);
    EXPECT_EQ(alice.dlg().Senders().forged, aliceForged + 3);

    // A bad entry is told once, not at every start of the network.
    alice.dlg().OnNetworkChanged();
    settle();
    alice.dlg();
    EXPECT_EQ(Count(alice.chat.LogText(), "bogus"), 1u);
}

}  // namespace zc
