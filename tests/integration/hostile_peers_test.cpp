// Packets a stranger on the LAN may send: each costs bounded work, state and replies.
#include <gtest/gtest.h>

#include "base/ini_file.h"
#include "net/chat_packet.h"
#include "net/user_roster.h"
#include "support/lan_host.h"
#include "ui/html/user_list_page.h"
#include "net/conference_guard.h"
#include "net/peer_windows.h"
#include "net/transfer_requests.h"

namespace zc {
using namespace zc::test;

namespace {

struct Forger {
    Host& victim;
    // Sent from the address it claims, as a stranger at its own address would.
    bool fromItsAddress = false;
    // A packet as a peer with this address and identity would send it.
    void Send(const std::string& ip, const std::string& id, int command, const std::string& body,
              const std::string& target = kEveryone, const std::string& name = "Mallory",
              const std::string& avatar = "") {
        const std::string plain =
            ip + "(" + id + ")||" + name + "||" + avatar + "||" + target + "||0||" + std::to_string(command) + "||" +
            body + "//end";
        victim.dlg().OnPacketText(victim.dlg().Codec().EncodeText(plain), fromItsAddress ? ip : "");
    }
};

std::string RepeatedLinks(int n) {
    std::string text;
    for (int i = 0; i < n; ++i) text += "www.a ";
    return text;
}

}  // namespace

TEST_F(ThreeHosts, InvitationsOpenOneQuestionPerPeerAndAFewInAll) {
    Forger mallory{alice};
    const size_t before = lan.Wire().size();
    for (int i = 0; i < 2000; ++i) mallory.Send("10.0.0.66", "0200000000AA", CMD_INVCONFERENCE, "x", alice.dlg().OwnId());
    EXPECT_EQ(alice.chat.dialogs.open.size(), 1u);
    for (int peer = 0; peer < 20; ++peer)
        mallory.Send("10.0.0." + std::to_string(100 + peer), "0200000001" + std::to_string(10 + peer),
                     CMD_INVCONFERENCE, "x", alice.dlg().OwnId());
    EXPECT_EQ(alice.chat.dialogs.open.size(), 21u);
    EXPECT_EQ(lan.Wire().size(), before);  // and no packet in reply
    // An answered question lets the same peer ask again.
    alice.chat.dialogs.Answer(false);
    mallory.Send("10.0.0.66", "0200000000AA", CMD_INVCONFERENCE, "x", alice.dlg().OwnId());
    EXPECT_EQ(alice.chat.dialogs.open.size(), 21u);
}

TEST_F(ThreeHosts, AStrangersWindowsNeitherBlockNorRefuseAColleagues) {
    Forger mallory{alice, true};
    const std::string to = alice.dlg().OwnId();
    // A stranger's alert, then a colleague's: each sender has a window of its own.
    mallory.Send("10.0.0.66", "0200000000AA", CMD_ALERT, "Alice:click here", to);
    ASSERT_TRUE(bob.dlg().SendChatMessage("ALERT->Alice:server down"));
    lan.Pump();
    ASSERT_EQ(alice.chat.dialogs.open.size(), 2u);
    EXPECT_EQ(alice.chat.dialogs.open[1].text, "server down");
    EXPECT_EQ(bob.Body().find("class=\"alertexist\""), std::string::npos);
    ASSERT_TRUE(bob.dlg().SendChatMessage("ALERT->Alice:still down"));
    lan.Pump();
    EXPECT_EQ(alice.chat.dialogs.open.size(), 2u);  // his first is still open
    EXPECT_NE(bob.Body().find("class=\"alertexist\""), std::string::npos);

    // File offers from ten stranger addresses, ten identities each: an address gets a few
    // windows, and past the cap the flood's own oldest give way, refused.
    for (int a = 0; a < 10; ++a)
        for (int i = 0; i < 10; ++i)
            mallory.Send("10.0.1." + std::to_string(a), "03000" + std::to_string(1000000 + a * 100 + i), CMD_FREQUEST,
                         "setup.exe", to);
    EXPECT_EQ(alice.chat.dialogs.open.size(), PeerWindows::kMaxOpen);
    carol.root.Write("notes.txt", "minutes");
    ASSERT_TRUE(OfferFile(carol.dlg(), "Alice", carol.root.Path() + "notes.txt"));
    lan.Pump();
    const auto& open = alice.chat.dialogs.open;
    ASSERT_EQ(open.size(), PeerWindows::kMaxOpen);
    EXPECT_EQ(open[0].text, "click here");
    EXPECT_EQ(open[1].text, "server down");
    EXPECT_EQ(open.back().text, "notes.txt (7 bytes)?");
    EXPECT_EQ(open.back().caption, "[" + std::to_string(open.back().number) + "] " +
                                       alice.dlg().Language().LangString(58) + " Carol");
    EXPECT_NE(alice.chat.LogText().find("Too many windows open"), std::string::npos);
}

TEST_F(ThreeHosts, UnaskedAcceptancesChangeNothing) {
    Forger mallory{alice};
    for (int i = 0; i < 200; ++i) {
        mallory.Send("10.0.0.66", "0200000000A" + std::to_string(i % 10), CMD_CONF_ACCEPT, "x", alice.dlg().OwnId());
        mallory.Send("10.0.0.66", "0200000000B" + std::to_string(i % 10), CMD_CONF_JOINED, "x", alice.dlg().OwnId());
    }
    EXPECT_TRUE(alice.dlg().Roster().Members().empty());
    EXPECT_EQ(alice.dlg().User().pageMode, PageMode::Main);
    const size_t before = lan.Wire().size();
    EXPECT_TRUE(alice.dlg().SendChatMessage("to everybody"));
    EXPECT_EQ(lan.Wire().size(), before + 1);  // one public packet, not one per made-up member
    lan.Pump();
    EXPECT_NE(bob.Body().find("to everybody"), std::string::npos);

    // An invitation we sent makes the answer count, for a while.
    ASSERT_TRUE(alice.dlg().InviteToConference("Bob"));
    lan.Pump();
    bob.dlg();
    bob.chat.dialogs.Answer(true);
    lan.Pump();
    EXPECT_TRUE(alice.dlg().Roster().IsMember(bob.dlg().OwnId()));
    alice.chat.clock.AdvanceMs((ConferenceGuard::kAnswerWindowSeconds + 1) * 1000);
    Forger{alice}.Send("10.0.0.3", carol.dlg().OwnId(), CMD_CONF_ACCEPT, "x", alice.dlg().OwnId());
    EXPECT_FALSE(alice.dlg().Roster().IsMember(carol.dlg().OwnId()));
}

TEST_F(ThreeHosts, MadeUpSendersFillTheUserListOnlyUpToItsCap) {
    Forger mallory{alice};
    for (size_t i = 0; i < CUserRoster::kMaxUsers + 500; ++i) {
        const std::string id = "03" + std::to_string(1000000000 + i);
        mallory.Send("10." + std::to_string(i / 65536) + "." + std::to_string(i / 256 % 256) + "." +
                         std::to_string(i % 256),
                     id, CMD_HERE, "1:Available");
    }
    EXPECT_EQ(alice.dlg().Roster().Entries().size(), CUserRoster::kMaxUsers);
    EXPECT_EQ(Count(alice.chat.LogText(), "User list full"), 1u);
}

TEST_F(ThreeHosts, RepeatedAddressesCostTheirLengthInPageAndHistory) {
    Forger mallory{alice};
    const std::string body = "1:" + RepeatedLinks(670);
    const size_t page = alice.Body().size();
    const std::string history = alice.dlg().History().PathFor(true);
    const size_t stored = alice.root.Read(history).size();
    mallory.Send("10.0.0.66", "0200000000AA", CMD_MESSAGE, body);
    EXPECT_LT(alice.Body().size() - page, body.size() * 16);
    EXPECT_LT(alice.root.Read(history).size() - stored, body.size() * 16);
    // As a name, in a command nobody handles, or addressed to somebody else: nothing shown.
    mallory.Send("10.0.0.67", "0200000000AB", 99, "x", kEveryone, RepeatedLinks(600));
    mallory.Send("10.0.0.68", "0200000000AC", CMD_PRIVATE, "Bob:" + RepeatedLinks(600), bob.dlg().OwnId());
    mallory.Send("10.0.0.69", "0200000000AD", CMD_HERE, "1:x", kEveryone, "Eve", RepeatedLinks(600));
    EXPECT_LT(alice.Body().size() - page, body.size() * 16);
}

TEST_F(ThreeHosts, MarkupFromPeersNeverGoesLive) {
    alice.dlg();
    WriteIniValue("system/zeltochat.ini", "GLOBAL", "DEBUGCOMMAND", kDebugCommandCode);
    WriteIniValue("system/zeltochat.ini", "GLOBAL", "DONOTSHOWIMAGE", "1");
    Forger mallory{alice};
    mallory.Send("10.0.0.66", "0200000000AA", CMD_MESSAGE, "1:<script>x()</script><img src=x onerror=y()>");
    mallory.Send("10.0.0.66", "0200000000AA", CMD_MESSAGE, "1:[IMG]javascript:alert(1)[/IMG]");
    const std::string body = alice.Body();
    EXPECT_EQ(body.find("<script"), std::string::npos);
    EXPECT_EQ(body.find("<img src=x"), std::string::npos);
    EXPECT_EQ(body.find("href=\"javascript"), std::string::npos);
    EXPECT_NE(body.find("&lt;script&gt;"), std::string::npos);  // the raw display shows the bytes as text
}

TEST(Lan, AHostileNicknameLeavesTheProfileAsItWas) {
    FakeLan lan;
    Host alice(lan, "Alice", "10.0.0.1", std::string("\x02\x00\x00\x00\x00\x01", 6),
               {{"GROUPS", "GROUPON", "1"}, {"GROUPS", "GROUP0", "Everyone"}, {"GROUPS", "GROUP1", "Team"}});
    alice.Start();
    const std::string profile = alice.dlg().User().ProfilePath();
    const std::string before = alice.root.Read(profile);
    Forger mallory{alice};
    const std::string name = "x\r\n[GLOBAL]\r\nMODE=4\r\n;y =z";
    mallory.Send("10.0.0.66", "0200000000AA", CMD_HERE, "1:Available", kEveryone, name, name);
    mallory.Send("10.0.0.66", "0200000000AA", CMD_MESSAGE, "1:hi", kEveryone, name, name);
    EXPECT_EQ(alice.root.Read(profile), before);
    // Putting that user into a group writes one plain key.
    ASSERT_TRUE(AssignGroup(alice.dlg().Roster(), profile, "0200000000AA", 1));
    const std::string after = alice.root.Read(profile);
    EXPECT_EQ(after.find("[GLOBAL]\r\nMODE=4"), std::string::npos);
    EXPECT_NE(after.find("xGLOBALMODE4yz=1"), std::string::npos);
}

}  // namespace zc
