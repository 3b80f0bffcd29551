// Who a packet is from: the address it came from, and the identity that belongs to that address.
#include <gtest/gtest.h>

#include "net/chat_packet.h"
#include "net/commands.h"
#include "net/identity_owners.h"
#include "net/user_roster.h"
#include "support/lan_host.h"

namespace zc {
using namespace zc::test;

namespace {

// A stranger at `source` that writes whatever it likes into the packet's sender fields.
void Forge(Host& victim, const std::string& source, const std::string& ip, const std::string& id, int command,
           const std::string& body, const std::string& name = "Bob", const std::string& target = kEveryone) {
    const std::string plain = ip + "(" + id + ")||" + name + "||||" + target + "||0||" + std::to_string(command) +
                              "||" + body + "//end";
    victim.dlg().OnPacketText(victim.dlg().Codec().EncodeText(plain), source);
}

const CUserRecord* Entry(Host& h, const std::string& id) { return h.dlg().Roster().Find(id); }

}  // namespace

TEST_F(ThreeHosts, NobodySpeaksForAnotherAddressOrIdentity) {
    const std::string bobId = bob.dlg().OwnId();
    const size_t historyBefore = alice.root.Read(alice.dlg().History().PathFor(true)).size();

    // Bob's address written into a packet that came from the stranger's.
    Forge(alice, "10.0.0.66", "10.0.0.2", bobId, CMD_MESSAGE, "forged with his address");
    EXPECT_EQ(alice.Body().find("forged with his address"), std::string::npos);
    EXPECT_EQ(alice.dlg().Senders().forged, 1u);

    // Bob's identity from the stranger's own address: held, a probe goes out, Bob answers it,
    // and nothing the stranger said counts.
    const size_t wire = lan.Wire().size();
    Forge(alice, "10.0.0.66", "10.0.0.66", bobId, CMD_MESSAGE, "forged with his identity");
    Forge(alice, "10.0.0.66", "10.0.0.66", bobId, CMD_PRIVATE, "private forgery", "Bob", alice.dlg().OwnId());
    Forge(alice, "10.0.0.66", "10.0.0.66", bobId, CMD_CHANGENAME, "Bob:Mallory");
    Forge(alice, "10.0.0.66", "10.0.0.66", bobId, CMD_ALERT, "forged alert", "Bob", alice.dlg().OwnId());
    Forge(alice, "10.0.0.66", "10.0.0.66", bobId, CMD_EXIT, "");
    EXPECT_EQ(lan.Wire().size(), wire + 1);  // one probe for all five
    lan.Pump();
    alice.chat.timers.Advance(IdentityOwners::kProbeSeconds * 1000 + 1000);
    lan.Pump();
    EXPECT_TRUE(alice.chat.dialogs.open.empty());
    for (const char* text : {"forged with his identity", "private forgery", "Mallory", "forged alert"})
        EXPECT_EQ(alice.Body().find(text), std::string::npos) << text;
    ASSERT_NE(Entry(alice, bobId), nullptr);
    EXPECT_EQ(Entry(alice, bobId)->ip, "10.0.0.2");
    EXPECT_EQ(alice.dlg().Roster().NameOf(bobId), "Bob");
    EXPECT_EQ(alice.root.Read(alice.dlg().History().PathFor(true)).size(), historyBefore);
    EXPECT_NE(alice.chat.LogText().find("still answers"), std::string::npos);

    // The refused claim does not make every later packet a probe.
    const size_t afterRefusal = lan.Wire().size();
    for (int i = 0; i < 100; ++i) Forge(alice, "10.0.0.66", "10.0.0.66", bobId, CMD_MESSAGE, "again");
    EXPECT_EQ(lan.Wire().size(), afterRefusal);

    // Our own identity from elsewhere is nobody's.
    Forge(alice, "10.0.0.66", "10.0.0.66", alice.dlg().OwnId(), CMD_MESSAGE, "as Alice");
    EXPECT_EQ(alice.Body().find("as Alice"), std::string::npos);

    // What strangers send costs the log a few lines, not one each.
    const size_t logBefore = alice.chat.LogText().size();
    for (int i = 0; i < 20000; ++i)
        Forge(alice, "10.0.0.67", "10.0.0.67", "0200000000C7", i % 2 ? CMD_CONF_ACCEPT : CMD_MESSAGE, "1:x", "M",
              i % 2 ? alice.dlg().OwnId() : "0.0.0.9");
    EXPECT_LT(alice.chat.LogText().size() - logBefore, 4000u);

    // Bob himself is still Bob.
    EXPECT_TRUE(bob.dlg().SendChatMessage("the real Bob"));
    lan.Pump();
    EXPECT_NE(alice.Body().find("the real Bob"), std::string::npos);
}

TEST_F(ThreeHosts, OneAddressHoldsFewIdentitiesAndAFullListMakesRoomForANewcomer) {
    for (int i = 0; i < 100; ++i)
        Forge(alice, "10.0.0.66", "10.0.0.66", "0300000000" + std::to_string(10 + i), CMD_HERE, "1:Here", "M");
    size_t fromOne = 0;
    for (const CUserRecord& e : alice.dlg().Roster().Entries()) fromOne += e.ip == "10.0.0.66";
    EXPECT_EQ(fromOne, CUserRoster::kMaxPerAddress);

    // Thousands of addresses (spoofing them is easy on a LAN): a newcomer heard later still gets in.
    for (size_t i = 0; i < CUserRoster::kMaxUsers; ++i) {
        const std::string ip = "10.1." + std::to_string(i / 256) + "." + std::to_string(i % 256);
        Forge(alice, ip, ip, "04" + std::to_string(1000000000 + i), CMD_HERE, "1:Here", "M");
    }
    EXPECT_EQ(alice.dlg().Roster().Entries().size(), CUserRoster::kMaxUsers);
    alice.chat.clock.AdvanceMs(2000);
    Forge(alice, "10.0.0.9", "10.0.0.9", "02000000AB09", CMD_ENTER, "1:Here", "Dora");
    EXPECT_NE(Entry(alice, "02000000AB09"), nullptr);
    EXPECT_EQ(alice.dlg().Roster().Entries().size(), CUserRoster::kMaxUsers);
    EXPECT_NE(Entry(alice, alice.dlg().OwnId()), nullptr);  // we never make room for anybody
}

}  // namespace zc
