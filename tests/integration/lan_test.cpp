// Several chats on one fake LAN: the protocol as users meet it.
#include <gtest/gtest.h>

#include "base/ini_file.h"
#include "base/registry_keys.h"
#include "support/lan_host.h"

namespace zc {
using namespace zc::test;

TEST_F(ThreeHosts, PresenceConvergesWithArrivalLines) {
    for (Host* h : {&alice, &bob, &carol}) {
        ASSERT_EQ(h->dlg().Roster().Entries().size(), 3u) << h->dlg().User().nickname;
    }
    EXPECT_EQ(alice.dlg().OwnId(), "020000000001");
    EXPECT_EQ(lan.ttlSeen, 8);
    EXPECT_NE(alice.Body().find("&lt;Bob&gt;</span>"), std::string::npos);
    EXPECT_NE(alice.Body().find(alice.dlg().Language().LangString(89)), std::string::npos);
    EXPECT_EQ(carol.dlg().Roster().Find("020000000002")->modeText, "Available ");
    alice.chat.timers.Advance(4000);  // the list page follows the roster a little later
    const std::string list = alice.chat.views.Live(ViewRole::UserList)->Page();
    for (const char* name : {"Alice", "Bob", "Carol"}) EXPECT_NE(list.find(name), std::string::npos) << name;
    EXPECT_NE(list.find("Available"), std::string::npos);

    // A refresh empties the roster; the answers fill it again.
    alice.dlg().RefreshPresence();
    EXPECT_EQ(alice.dlg().Roster().Entries().size(), 1u);
    lan.Pump();
    EXPECT_EQ(alice.dlg().Roster().Entries().size(), 3u);

    bob.dlg().ExitMain();
    lan.Pump();
    EXPECT_EQ(alice.dlg().Roster().Find("020000000002"), nullptr);
    EXPECT_NE(alice.Body().find(alice.dlg().Language().LangString(90)), std::string::npos);
}

TEST_F(ThreeHosts, PublicAndPrivateMessages) {
    alice.dlg().SendChatMessage("hello: all of you");
    lan.Pump();
    for (Host* h : {&bob, &carol}) EXPECT_EQ(Count(h->Body(), "<span>hello: all of you</span>"), 1u);
    EXPECT_EQ(Count(alice.Body(), "hello: all of you"), 1u);  // own copy only, the echo is dropped
    EXPECT_NE(alice.Body().find("class=\"mymessage\""), std::string::npos);

    alice.dlg().SendChatMessage("MSG->Bob:secret plan");
    lan.Pump();
    EXPECT_NE(bob.Body().find("secret plan"), std::string::npos);
    EXPECT_EQ(carol.Body().find("secret plan"), std::string::npos);
    EXPECT_NE(bob.root.Read(bob.dlg().History().PathFor(false)).find("secret plan"), std::string::npos);
    EXPECT_NE(carol.root.Read(carol.dlg().History().PathFor(true)).find("hello: all of you"), std::string::npos);

    const size_t sent = lan.Wire().size();
    alice.dlg().SendChatMessage("MSG->:nobody");
    alice.dlg().SendChatMessage("MSG->Zed:unknown");
    EXPECT_EQ(lan.Wire().size(), sent);
    alice.dlg().SendChatMessage("msg->Bob: lower case is a public message");
    lan.Pump();
    EXPECT_NE(carol.Body().find("msg-&gt;Bob") == std::string::npos ? carol.Body().find("msg-") : 0, std::string::npos);
}

TEST_F(ThreeHosts, AlertDialogOpenExistsAndRead) {
    alice.dlg().SendChatMessage("ALERT->Bob:server down");
    lan.Pump();
    ASSERT_EQ(bob.chat.dialogs.open.size(), 1u);
    EXPECT_EQ(bob.chat.dialogs.open[0].text, "server down");
    EXPECT_EQ(ReadAppRegValue(bob.chat.registry, "Profile\\", "AlertFrom"), "Alice");

    // One window per sender: Alice's second waits for her first, Carol's opens beside it.
    alice.dlg().SendChatMessage("ALERT->Bob:still down");
    carol.dlg().SendChatMessage("ALERT->Bob:me too");
    lan.Pump();
    EXPECT_EQ(bob.chat.dialogs.open.size(), 2u);
    EXPECT_NE(alice.Body().find("class=\"alertexist\">" + alice.dlg().Language().LangString(40)), std::string::npos);
    EXPECT_EQ(carol.Body().find("class=\"alertexist\""), std::string::npos);
    EXPECT_EQ(ReadAppRegValue(bob.chat.registry, "Profile\\", "AlertFrom"), "Carol");

    bob.dlg();
    bob.chat.dialogs.Answer();
    lan.Pump();
    EXPECT_NE(alice.Body().find("class=\"alertread\">" + alice.dlg().Language().LangString(41)), std::string::npos);
    EXPECT_EQ(carol.Body().find("class=\"alertread\""), std::string::npos);
    bob.dlg();
    bob.chat.dialogs.Answer();
    EXPECT_EQ(ReadAppRegValue(bob.chat.registry, "Profile\\", "AlertFrom"), " ");
}

TEST_F(ThreeHosts, ConferenceInviteAcceptMessageLeave) {
    ASSERT_TRUE(alice.dlg().InviteToConference("Bob"));
    lan.Pump();
    ASSERT_EQ(bob.chat.dialogs.open.size(), 1u);
    bob.dlg();
    bob.chat.dialogs.Answer(true);
    lan.Pump();
    EXPECT_TRUE(alice.dlg().Roster().IsMember("020000000002"));
    EXPECT_TRUE(bob.dlg().Roster().IsMember("020000000001"));
    EXPECT_EQ(alice.dlg().User().pageMode, PageMode::Conference);

    alice.dlg().SendChatMessage("conference only");
    lan.Pump();
    const std::string second = bob.chat.views.Live(ViewRole::SecondText)->Body();
    EXPECT_NE(second.find("conference only"), std::string::npos);
    EXPECT_EQ(carol.Body().find("conference only"), std::string::npos);

    bob.dlg().LeaveConference();
    lan.Pump();
    EXPECT_FALSE(alice.dlg().Roster().IsMember("020000000002"));
}

TEST_F(ThreeHosts, NameAndModeChanges) {
    bob.dlg().SetChatMode(3);
    lan.Pump();
    EXPECT_EQ(alice.dlg().Roster().Find("020000000002")->mode, 3);
    EXPECT_EQ(alice.dlg().Roster().Find("020000000002")->modeText, "Busy ");

    bob.dlg();
    WriteIniValue("profiles/default.cfg", "INFO", "CHATNAME", "Robert");
    bob.dlg().ChangeName();
    lan.Pump();
    EXPECT_NE(alice.Body().find(alice.dlg().Language().LangString(75) + " "), std::string::npos);
    EXPECT_NE(alice.Body().find("&lt;Robert&gt;"), std::string::npos);
    // The new name is Bob's at once, not only after Alice's next refresh.
    EXPECT_EQ(alice.dlg().Roster().NameOf("020000000002"), "Robert");
    for (int step = 0; step < 7; ++step)  // past a refresh on every copy: renamed, never gone
        for (Host* h : {&alice, &bob, &carol}) {
            h->dlg();
            h->chat.timers.Advance(10000);
            lan.Pump();
        }
    for (Host* h : {&alice, &carol}) EXPECT_EQ(h->Body().find(h->dlg().Language().LangString(90)), std::string::npos);
    EXPECT_TRUE(alice.dlg().SendChatMessage("MSG->Robert: lunch?"));
    lan.Pump();
    EXPECT_NE(bob.Body().find("lunch?"), std::string::npos);
}

TEST_F(ThreeHosts, IgnoredSendersAndTheEchoOption) {
    alice.dlg();
    WriteIniValue("profiles/default.cfg", "IGNORELIST", "10002", "1");
    bob.dlg().SendChatMessage("you will not see this");
    lan.Pump();
    EXPECT_EQ(alice.Body().find("you will not see this"), std::string::npos);
    EXPECT_NE(carol.Body().find("you will not see this"), std::string::npos);
}

TEST(Lan, EchoOptionShowsOwnPackets) {
    FakeLan lan;
    Host alice(lan, "Alice", "10.0.0.1", std::string("\x02\x00\x00\x00\x00\x01", 6));
    WriteIniValue("system/zeltochat.ini", "GLOBAL", "ECHO", "T#((");
    alice.Start();
    lan.Pump();
    alice.dlg().SendChatMessage("echoed");
    lan.Pump();
    EXPECT_EQ(Count(alice.Body(), "echoed"), 2u);  // own copy and the echo
}

TEST(Lan, FloodGuardRefusesTheSixteenthUntilFifteenQuietSeconds) {
    FakeLan lan;
    Host alice(lan, "Alice", "10.0.0.1", std::string("\x02\x00\x00\x00\x00\x01", 6));
    alice.Start();
    lan.Pump();
    const size_t before = lan.Wire().size();
    for (int i = 0; i < 16; ++i) alice.dlg().SendChatMessage("m" + std::to_string(i));
    EXPECT_EQ(lan.Wire().size() - before, 15u);
    EXPECT_NE(alice.Body().find("Please wait 15 seconds"), std::string::npos);
    alice.chat.clock.AdvanceMs(15000);
    alice.dlg().SendChatMessage("still too early");
    EXPECT_EQ(lan.Wire().size() - before, 15u);  // 15 s, not more: refused, penalty restarts
    alice.chat.clock.AdvanceMs(16000);
    alice.dlg().SendChatMessage("now it goes");
    EXPECT_EQ(lan.Wire().size() - before, 16u);
}

TEST_F(ThreeHosts, FloodLimitFromAPeer) {
    auto send45 = [&](const std::string& body) {
        carol.dlg().SendPacket(CMD_FLOODLIMIT, body, "0.0");
        lan.Pump();
    };
    // A peer may slow us down, to a floor, but neither stop us nor switch the guard off.
    send45("x:-3");
    send45("x:0");
    EXPECT_EQ(alice.dlg().Flood().Limit(), 15);
    send45("x:1");
    EXPECT_EQ(alice.dlg().Flood().Limit(), FloodGuard::kPeerFloor);
    send45("x:30");
    const size_t before = lan.Wire().size();
    for (int i = 0; i < 31; ++i) alice.dlg().SendChatMessage("free " + std::to_string(i));
    EXPECT_EQ(lan.Wire().size() - before, 30u);
}

TEST(Lan, GroupMessagePacedThreeHundredMillisecondsApart) {
    FakeLan lan;
    // Bob by name, Carol and Dave by an address range whose ends are their addresses.
    const std::vector<Setting> groups = {{"GROUPS", "GROUPON", "1"},  {"GROUPS", "GROUP0", "Everyone"},
                                         {"GROUPS", "GROUP1", "Team"}, {"GROUPMEMBER", "Bob", "1"},
                                         {"GROUPS", "GROUP2MASK", "10.0.0.3-10.0.0.4"}};
    Host alice(lan, "Alice", "10.0.0.1", std::string("\x02\x00\x00\x00\x00\x01", 6), groups);
    Host bob(lan, "Bob", "10.0.0.2", std::string("\x02\x00\x00\x00\x00\x02", 6));
    Host carol(lan, "Carol", "10.0.0.3", std::string("\x02\x00\x00\x00\x00\x03", 6));
    Host dave(lan, "Dave", "10.0.0.4", std::string("\x02\x00\x00\x00\x00\x04", 6));
    for (Host* h : {&alice, &bob, &carol, &dave}) {
        h->Start();
        lan.Pump();
    }
    ASSERT_EQ(alice.dlg().Roster().Entries().size(), 4u);
    alice.dlg().SendChatMessage("MSGGROUP->Team:standup now");
    lan.Pump();
    auto reached = [&] {
        int n = 0;
        for (Host* h : {&bob, &carol, &dave}) n += h->Body().find("standup now") != std::string::npos;
        return n;
    };
    EXPECT_EQ(reached(), 1);
    alice.chat.timers.Advance(299);
    lan.Pump();
    EXPECT_EQ(reached(), 1);
    alice.chat.timers.Advance(1);
    lan.Pump();
    EXPECT_EQ(reached(), 2);
    alice.chat.timers.Advance(300);
    lan.Pump();
    EXPECT_EQ(reached(), 3);
    EXPECT_NE(alice.Body().find(alice.dlg().Language().LangString(61) + " Team"), std::string::npos);
}

TEST_F(ThreeHosts, AttackPacketsWithForgedAddressesAreDropped) {
    const CSubstCodec& codec = alice.dlg().Codec();
    const size_t known = alice.dlg().Roster().Entries().size();
    for (const std::string& head : {std::string("10.0.0.9\" onclick=\"x(ID9)"), std::string("10.0.0.9(ID\" onmouseover=\"x)"),
                                    std::string("10.0.0.300(ID9)"), std::string("(ID9)")}) {
        alice.dlg().OnPacketText(codec.EncodeText(head + "||Mallory||||0.0||0||6||1:pwned//end"));
    }
    EXPECT_EQ(alice.Body().find("pwned"), std::string::npos);
    EXPECT_EQ(alice.dlg().Roster().Entries().size(), known);
    alice.dlg().OnPacketText(codec.EncodeText("10.0.0.9(ID9)||<b>Mallory\"||||0.0||0||6||1:<script>x</script>//end"));
    EXPECT_NE(alice.Body().find("scriptx/script"), std::string::npos);
    EXPECT_EQ(alice.Body().find("<script>"), std::string::npos);
    EXPECT_NE(alice.Body().find("&lt;bMallory&quot;&gt;"), std::string::npos);
}

}  // namespace zc
